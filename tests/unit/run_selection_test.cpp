#include "launcher/run_selection.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "database/velnor_doc.h"
#include "launcher/file_filter.h"

namespace {

class FakeShell : public ShellOpener {
 public:
  bool Open(const std::string& target) override {
    opened.push_back(target);
    return refused.count(target) == 0;
  }
  std::vector<std::string> opened;
  std::set<std::string> refused;
};

class CountingRecorder : public UsageRecorder {
 public:
  void RecordUse(CFileInfo& record) override { used.push_back(record.m_strPath); }
  std::vector<std::string> used;
};

class RunSelectionTest : public ::testing::Test {
 protected:
  CFileInfo* Add(const std::string& path) {
    auto record = std::make_unique<CFileInfo>();
    record->SetKeyPath(path);
    record->SetNameLength(path.size() - path.rfind('\\') - 1);
    record->m_bFound = true;
    CFileInfo* raw = record.get();
    m_doc.m_files.Insert(std::move(record));
    return raw;
  }

  CVelnorDoc m_doc;
  FakeShell shell;
  CountingRecorder usage;
};

using Paths = std::vector<std::string>;

TEST_F(RunSelectionTest, ListModeOpensEverySelectedRowAndCountsTheAcceptedOnes) {
  CFileInfo* a = Add("C:\\A\\a.txt");
  CFileInfo* b = Add("C:\\A\\b.txt");
  CFileInfo* c = Add("C:\\A\\c.txt");
  shell.refused = {b->m_strPath};
  EXPECT_TRUE(RunSelection(true, 3, {a, b, c}, "ignored", shell, usage));
  EXPECT_EQ(shell.opened, (Paths{a->m_strPath, b->m_strPath, c->m_strPath}));
  EXPECT_EQ(usage.used, (Paths{a->m_strPath, c->m_strPath}));
}

TEST_F(RunSelectionTest, OnlyTheLastLaunchDecidesWhetherTheLauncherEnds) {
  CFileInfo* a = Add("C:\\A\\a.txt");
  CFileInfo* b = Add("C:\\A\\b.txt");
  shell.refused = {b->m_strPath};
  EXPECT_FALSE(RunSelection(true, 2, {a, b}, "", shell, usage));
  EXPECT_EQ(usage.used, Paths{a->m_strPath});
}

TEST_F(RunSelectionTest, ListModeWithNothingSelectedDoesNothing) {
  Add("C:\\A\\a.txt");
  EXPECT_FALSE(RunSelection(true, 1, {}, "exit", shell, usage));
  EXPECT_TRUE(shell.opened.empty());
}

TEST_F(RunSelectionTest, ExitInAnyCaseEndsWithoutLaunchingWhenTheListIsEmptyOrInNativeMode) {
  EXPECT_TRUE(RunSelection(true, 0, {}, "  eXiT ", shell, usage));
  CFileInfo* a = Add("C:\\A\\exit.txt");
  EXPECT_TRUE(RunSelection(false, 1, {a}, "EXIT", shell, usage));
  EXPECT_TRUE(shell.opened.empty());
  // With rows listed, Enter opens the selected row instead.
  EXPECT_TRUE(RunSelection(true, 1, {a}, "exit", shell, usage));
  EXPECT_EQ(shell.opened, Paths{a->m_strPath});
}

TEST_F(RunSelectionTest, TypedTextGoesToTheShellTrimmedAndCountsNothing) {
  CFileInfo* a = Add("C:\\A\\a.txt");
  EXPECT_TRUE(RunSelection(false, 1, {a}, "  notepad  c:\\x.txt ", shell, usage));
  EXPECT_EQ(shell.opened, Paths{"notepad  c:\\x.txt"});
  EXPECT_TRUE(usage.used.empty());
  shell.refused = {"nosuchprogram"};
  EXPECT_FALSE(RunSelection(true, 0, {}, "nosuchprogram", shell, usage));
}

TEST_F(RunSelectionTest, EmptyTextDoesNothing) {
  EXPECT_FALSE(RunSelection(true, 0, {}, "   ", shell, usage));
  EXPECT_FALSE(RunSelection(false, 0, {}, "", shell, usage));
  EXPECT_TRUE(shell.opened.empty());
}

TEST_F(RunSelectionTest, ARecordedLaunchCountsStampsAndMovesTheRecordToTheTop) {
  Add("C:\\A\\alpha.txt");
  CFileInfo* zulu = Add("C:\\A\\zulu.txt");
  CFileFilter filter(m_doc);
  ASSERT_EQ(filter.Run("", {})[0]->m_strPath, "C:\\A\\alpha.txt");

  RecordLaunch(m_doc, filter, *zulu, 1700000000);
  EXPECT_EQ(zulu->m_nUseCount, 1);
  EXPECT_EQ(zulu->m_timeLastUsed, 1700000000);
  EXPECT_EQ(filter.Run("", {})[0], zulu);

  RecordLaunch(m_doc, filter, *zulu, 1700000100);
  EXPECT_EQ(zulu->m_nUseCount, 2);
  EXPECT_EQ(zulu->m_timeLastUsed, 1700000100);
}

}  // namespace
