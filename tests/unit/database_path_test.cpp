// Where the database lives: an installed copy keeps it in the user's
// application data, a portable one (portable.txt beside it) in its own
// folder, unless that folder cannot be written.
#include <gtest/gtest.h>

#include "tests/unit/doc_builder.h"
#include "tests/unit/faulty_env.h"
#include "tests/unit/memory_env.h"

namespace {

TEST(DatabasePath, PortableBesideTheProgramWhenItsFolderCanBeWrittenElseApplicationData) {
  MemoryEnv env;
  FaultyEnv faults(env);
  const std::string tools = JoinPath({"C:", "Tools", "Velnor"});
  const std::string roaming = JoinPath({"C:", "Users", "me", "Roaming"});
  env.modulePath = JoinPath({tools, "velnor.exe"});
  env.specialFolders[kCsidlAppData] = roaming;
  const std::string installed = JoinPath({roaming, "Plovant", "velnor.dat"});

  struct Case {
    bool marker;
    bool readOnly;
    std::string expected;
    bool told;
  };
  for (const Case& c : {Case{false, false, installed, false}, Case{true, false, JoinPath({tools, "velnor.dat"}), false},
                        Case{true, true, installed, true}, Case{false, true, installed, false}}) {
    SCOPED_TRACE(std::to_string(c.marker) + std::to_string(c.readOnly));
    if (c.marker) env.AddFile(JoinPath({tools, "portable.txt"}));
    else env.RemoveFile(JoinPath({tools, "portable.txt"}));
    faults.readOnlyFolder = c.readOnly ? tools : "";
    CVelnorDoc doc(faults);
    EXPECT_EQ(doc.PrepareDatabasePath(), c.expected);
    EXPECT_EQ(doc.PortableCannotWrite(), c.told);
    EXPECT_EQ(Keys(doc).size(), 0u);
    // Nothing is left behind by the look at the folder.
    EXPECT_EQ(env.Contents(JoinPath({tools, "velnor.dat.write-test"})), nullptr);
  }
  // Without application data, beside the program in a folder of its own.
  env.specialFolders.clear();
  CVelnorDoc doc(faults);
  EXPECT_EQ(doc.PrepareDatabasePath(), JoinPath({tools, "Plovant", "velnor.dat"}));
  // Nor where the program is: the working folder.
  env.modulePath.clear();
  const std::string working = std::string(".") + kPathSeparator + "Plovant" + kPathSeparator + "velnor.dat";
  EXPECT_EQ(CVelnorDoc(faults).PrepareDatabasePath(), working);

  // Naming the file in a message looks the path up; only preparing it makes
  // the folder again.
  env.specialFolders[kCsidlAppData] = roaming;
  CVelnorDoc named(faults);
  EXPECT_EQ(named.DatabasePath(), "");
  EXPECT_EQ(named.PrepareDatabasePath(), installed);
  env.RemoveFolder(JoinPath({roaming, "Plovant"}));
  EXPECT_EQ(named.DatabasePath(), installed);
  EXPECT_EQ(env.OpenDirectory(JoinPath({roaming, "Plovant"})), nullptr);
  named.PrepareDatabasePath();
  EXPECT_NE(env.OpenDirectory(JoinPath({roaming, "Plovant"})), nullptr);
}

}  // namespace
