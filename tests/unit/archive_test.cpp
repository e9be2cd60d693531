#include <gtest/gtest.h>
#include "framework/archive.h"
TEST(Placeholder, Builds) { std::string out; CArchive ar(&out); ar.WriteUInt16(1); EXPECT_EQ(out.size(), 2u); }
