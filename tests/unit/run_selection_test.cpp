#include "launcher/run_selection.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/unit/doc_builder.h"
#include "tests/unit/memory_env.h"

namespace {

using Paths = std::vector<std::string>;

std::string PathOf(const CFileInfo* record) { return std::string(record->Path()); }

class RunSelectionTest : public ::testing::Test {
 protected:
  bool Run(RunMode mode, size_t rows, const std::vector<const CFileInfo*>& selected, const std::string& query) {
    return RunSelection(mode, rows, selected, query, m_env, nullptr,
                        [this](const CFileInfo& record) { m_used.emplace_back(record.Path()); });
  }
  void Refuse(std::set<std::string> targets) {
    m_env.shellAccepts = [targets](const std::string& t) { return targets.count(t) == 0; };
  }

  MemoryEnv m_env;
  CVelnorDoc m_doc{m_env};
  const CFileInfo* a = AddRecord(m_doc, "C:\\A\\a.txt");
  const CFileInfo* b = AddRecord(m_doc, "C:\\A\\b.txt");
  const CFileInfo* exitFile = AddRecord(m_doc, "C:\\A\\exit.txt");
  Paths m_used;
};

TEST_F(RunSelectionTest, ListModeOpensEverySelectedRowAndOnlyTheLastLaunchDecides) {
  Refuse({PathOf(b)});
  EXPECT_TRUE(Run(RunMode::kList, 3, {a, b, exitFile}, "ignored"));
  EXPECT_EQ(m_env.launches, (Paths{PathOf(a), PathOf(b), PathOf(exitFile)}));
  EXPECT_EQ(m_used, (Paths{PathOf(a), PathOf(exitFile)}));

  // The earlier accepted launch still counts when the last is refused.
  m_used.clear();
  EXPECT_FALSE(Run(RunMode::kList, 2, {a, b}, ""));
  EXPECT_EQ(m_used, Paths{PathOf(a)});

  m_env.launches.clear();
  EXPECT_FALSE(Run(RunMode::kList, 1, {}, "exit"));  // rows listed, none selected
  EXPECT_TRUE(m_env.launches.empty());
}

TEST_F(RunSelectionTest, TypedTextGoesToTheShellTrimmedAndExitEndsWithoutLaunching) {
  EXPECT_TRUE(Run(RunMode::kList, 0, {}, "  eXiT "));
  EXPECT_TRUE(Run(RunMode::kTypedText, 1, {exitFile}, "EXIT"));
  EXPECT_FALSE(Run(RunMode::kList, 0, {}, "   "));
  EXPECT_TRUE(m_env.launches.empty());
  // With rows listed, Enter opens the selected row instead.
  EXPECT_TRUE(Run(RunMode::kList, 1, {exitFile}, "exit"));
  EXPECT_EQ(m_env.launches, Paths{PathOf(exitFile)});

  m_env.launches.clear();
  m_used.clear();
  EXPECT_TRUE(Run(RunMode::kTypedText, 1, {a}, "  notepad  c:\\x.txt "));
  EXPECT_EQ(m_env.launches, Paths{"notepad  c:\\x.txt"});
  EXPECT_TRUE(m_used.empty());
  Refuse({"nosuchprogram"});
  EXPECT_FALSE(Run(RunMode::kList, 0, {}, "nosuchprogram"));
}

}  // namespace
