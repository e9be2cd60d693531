#include "database/folder_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/refresh_controller.h"
#include "tests/unit/byte_helpers.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/faulty_env.h"
#include "tests/unit/memory_env.h"

namespace {

using Strings = std::vector<std::string>;

const std::string kRefreshCreated = "create Refresh Database - Plovant Velnor";
const std::string kStartUpCreated = "create Initialize Database - Plovant Velnor";

std::string Mp3(const std::string& title, uint8_t genre) {
  return std::string(1000, 'a') + TagBytes().Put(3, title).Byte(127, genre).bytes;
}

class FolderScan : public ::testing::Test {
 protected:
  void SetUp() override {
    m_env.AddFile(Docs("a.txt"));
    m_env.AddFile(Docs("b.mp3"), Mp3("Yesterday", 17));
    m_env.AddFile(JoinPath({"C:", "Docs", "Sub", "c.lnk"}));
  }
  static std::string Docs(const std::string& name) { return JoinPath({"C:", "Docs", name}); }
  Strings Found() const { return Keys(m_doc, true); }
  void Refresh(RefreshKind kind = RefreshKind::kUserRequested) { m_refresh.Refresh(kind); }

  MemoryEnv m_env;
  FaultyEnv m_faults{m_env};
  CVelnorDoc m_doc{m_faults};
  CRefreshController m_refresh{m_doc};
};

// The range counts 2 dots, a.txt, b.mp3, Sub, Sub's 2 dots and c.lnk.
TEST_F(FolderScan, CountsEveryEntryAndFindsEveryFile) {
  AddFolder(m_doc, JoinPath({"C:", "Docs"}) + kPathSeparator);  // a trailing separator changes no key
  Refresh();
  EXPECT_EQ(m_env.log, (Strings{kRefreshCreated, "range 8", "show", "destroy after 8 steps"}));
  const std::string c = JoinPath({"C:", "Docs", "Sub", "c.lnk"});
  EXPECT_EQ(Found(), (Strings{Docs("a.txt"), Docs("b.mp3"), c}));
  EXPECT_EQ(m_doc.FindFile(c)->Name(), "c.lnk");
  EXPECT_EQ(m_refresh.GetProgressWindow(), nullptr);

  // The start-up refresh does the same work without ever showing its window.
  m_env.log.clear();
  Refresh(RefreshKind::kStartUp);
  EXPECT_EQ(m_env.log, (Strings{kStartUpCreated, "range 8", "destroy after 8 steps"}));
  EXPECT_EQ(m_env.identityLookups, 0);  // no link met, nothing asked of the platform
}

TEST_F(FolderScan, ALinkBackIntoTheTreeIsNotEnteredWhileALinkElsewhereIs) {
  // A long name leaves room for only a few levels below it: a scan that
  // followed the loops to the path limit would still end, and fail, quickly.
  const std::string x = JoinPath({"C:", std::string(180, 'x')});
  m_env.AddFile(JoinPath({x, "f1.txt"}));
  m_env.AddFolderLink(JoinPath({x, "build", "Release"}), x);
  m_env.AddFolderLink(JoinPath({x, "build", "Debug"}), x);
  m_env.AddFolderLink(JoinPath({x, "docs"}), JoinPath({"C:", "Docs"}));
  m_env.AddFolderLink(JoinPath({x, "self"}), x);  // to the very folder it sits in
  m_env.AddFolderLink(JoinPath({"C:", "Docs", "Sub", "up"}), x);  // back to the start, from below a link
  AddFolder(m_doc, x);
  Refresh();
  EXPECT_EQ(Found(), (Strings{JoinPath({x, "f1.txt"}), JoinPath({x, "docs", "a.txt"}), JoinPath({x, "docs", "b.mp3"}),
                              JoinPath({x, "docs", "Sub", "c.lnk"})}));
  // x: 2 dots, f1.txt, build, docs, self; build: 2 dots and both links;
  // docs: 2 dots, a.txt, b.mp3, Sub; Sub: 2 dots, c.lnk, up. Both passes alike.
  EXPECT_EQ(m_env.log,
            (Strings{kRefreshCreated, "range 19", "show", "destroy after 19 steps"}));
}

TEST_F(FolderScan, TagsAreReadOnlyFromMp3FilesWithSupportOnAndFollowTheFile) {
  m_env.AddFile(Docs("SONG.MP3"), Mp3("Loud", 125));
  m_env.AddFile(Docs("song.mp3.txt"), Mp3("Not a song", 1));
  AddFolder(m_doc, JoinPath({"C:", "Docs"}));
  Refresh();
  EXPECT_EQ(m_env.opened, (Strings{Docs("b.mp3"), Docs("SONG.MP3")}));
  const CFileInfo* song = m_doc.FindFile(Docs("SONG.MP3"));
  ASSERT_TRUE(song->IsTagged());
  EXPECT_EQ(song->Tag()->m_strTitle, "Loud");
  EXPECT_EQ(song->Tag()->m_strGenre, "Dance Hall");
  EXPECT_FALSE(m_doc.FindFile(Docs("song.mp3.txt"))->IsTagged());

  // A file another program holds keeps the tag it had; one whose tag is
  // gone, or cut short by a failing read, loses it.
  m_faults.lockedPath = Docs("SONG.MP3");
  m_env.AddFile(Docs("b.mp3"), "no tag any more");
  Refresh();
  EXPECT_TRUE(song->IsTagged());
  EXPECT_FALSE(m_doc.FindFile(Docs("b.mp3"))->IsTagged());
  m_faults.lockedPath.clear();
  m_faults.readLimit = 100;
  Refresh();
  EXPECT_FALSE(song->IsTagged());

  m_env.opened.clear();
  m_doc.m_bMp3Support = false;
  Refresh();
  EXPECT_TRUE(m_env.opened.empty());
}

// What a refresh no longer finds keeps its record, and with it its usage
// (a file that comes back is the watcher test's): a folder that vanished,
// one disabled and one missing contribute nothing.
TEST_F(FolderScan, FoldersThatAreGoneOrDisabledContributeNothingAndRecordsStay) {
  AddFolder(m_doc, JoinPath({"C:", "Docs"}));
  Refresh();
  m_faults.vanishedFolder = JoinPath({"C:", "Docs", "Sub"});
  Refresh();
  EXPECT_EQ(Found(), (Strings{Docs("a.txt"), Docs("b.mp3")}));
  CVelnorDoc::FolderList folders = m_doc.CopyFolders();
  folders[0]->m_bEnabled = false;
  m_doc.ReplaceFolders(std::move(folders));
  AddFolder(m_doc, JoinPath({"C:", "Gone"}));
  Refresh();
  EXPECT_TRUE(Found().empty());
  EXPECT_EQ(m_doc.FileCount(), 3u);
}

TEST(IsAbsoluteFolderPath, TakesDrivesAndSharesOnWindowsAndTheRootElsewhere) {
  for (const char* path : {"C:\\", "c:/Music", "\\\\srv\\share", "//srv/s/x"}) {
    EXPECT_TRUE(IsAbsoluteFolderPath(path, '\\')) << path;
  }
  for (const char* path : {"", "C:", "C:Music", "\\Music", "Music", "1:\\", "\\\\srv", "\\\\srv\\", "\\\\\\s", "/x"}) {
    EXPECT_FALSE(IsAbsoluteFolderPath(path, '\\')) << path;
  }
  for (const char* path : {"/", "/home/ana"}) EXPECT_TRUE(IsAbsoluteFolderPath(path, '/'));
  for (const char* path : {"", "home", "C:/Music", "C:\\Music"}) EXPECT_FALSE(IsAbsoluteFolderPath(path, '/')) << path;
}

// A damaged or hand-made database may list them: walked, they would be the
// root of everything (or the current folder); rescanned, "" would hold
// every record.
TEST_F(FolderScan, EmptyAndRelativeFoldersAreNeitherWalkedNorRescanned) {
  Strings listed;
  m_env.onOpenDirectory = [&](const std::string& folder) { listed.push_back(folder); };
  AddFolder(m_doc, "");
  AddFolder(m_doc, "Docs");
  AddFolder(m_doc, JoinPath({"C:", "Docs", "Sub"}));
  Refresh();
  const std::string sub = JoinPath({"C:", "Docs", "Sub"}) + kPathSeparator;
  EXPECT_EQ(listed, (Strings{sub, sub}));  // the counting pass, then the update pass
  EXPECT_EQ(CFolderScan(m_doc).Rescan(""), 0u);
  EXPECT_EQ(Found(), Strings{JoinPath({"C:", "Docs", "Sub", "c.lnk"})});
}

// Past MAX_PATH the launcher opens a file only through its short form; the
// limit counts UTF-16 units, not bytes.
TEST_F(FolderScan, FilesPastThePathLimitAreRecordedOnlyWhenTheyCanBeOpened) {
  const std::string deep = JoinPath({"C:", std::string(120, 'x'), std::string(120, 'y')});
  const std::string fits = JoinPath({deep, "日日日日日日.txt"});  // 22 bytes, 10 UTF-16 units
  const std::string named = JoinPath({deep, std::string(20, 'n')}), unnamed = JoinPath({deep, std::string(20, 'u')});
  for (const std::string& path : {fits, named, unnamed}) m_env.AddFile(path);
  m_env.shortNamed.insert(named);
  AddFolder(m_doc, deep);
  Refresh();
  EXPECT_EQ(Found(), (Strings{fits, named}));
  EXPECT_EQ(m_env.log[1], "range 5");  // every entry still counts, and is stepped over
  EXPECT_EQ(m_env.log.back(), "destroy after 5 steps");
}

TEST_F(FolderScan, ACancelStopsBothPassesAndOnlyTheUpdatePassDrainsTheQueue) {
  m_env.AddFile(JoinPath({"C:", "Music", "x.txt"}));
  AddFolder(m_doc, JoinPath({"C:", "Docs"}));
  AddFolder(m_doc, JoinPath({"C:", "Music"}));
  m_env.onPump = [&] { m_refresh.Cancel(); };
  Refresh();
  EXPECT_TRUE(Found().empty());
  // The cancel comes with the first drain, after Docs' "."; Docs then takes
  // "..", Music its "." (the counting pass, on its own thread, stops too).
  EXPECT_EQ(m_env.log.back(), "destroy after 3 steps");
  EXPECT_FALSE(m_refresh.CancelPending());
  EXPECT_FALSE(m_refresh.IsRunning());

  m_env.onPump = nullptr;
  m_env.pumps = 0;
  Refresh();  // Docs' 8 entries, the clock standing still
  EXPECT_EQ(m_env.pumps, 1);
  m_env.pumps = 0;
  m_env.tickStep = 5;  // every entry takes 5 ms: a drain every third entry
  Refresh();
  EXPECT_EQ(m_env.pumps, 4);  // the first entry of Docs and of Music too
}

TEST(MarkNotFound, TakesTheFolderAndWhatIsBelowItIgnoringCaseButNoSibling) {
  MemoryEnv env;
  CVelnorDoc doc(env);
  const std::string docs = JoinPath({"C:", "Docs"});
  for (const std::string& path : {JoinPath({"C:", "Docs", "a.txt"}), JoinPath({"C:", "docs", "Sub", "b.txt"}),
                                  JoinPath({"C:", "Docs2", "c.txt"}), JoinPath({"C:", "Docsa.txt"}),
                                  JoinPath({"C:", "Ünï", "d.txt"})}) {
    AddRecord(doc, path, 0, 0, true);
  }
  doc.MarkNotFound(docs + kPathSeparator);
  EXPECT_EQ(Keys(doc, true), (Strings{JoinPath({"C:", "Docs2", "c.txt"}), JoinPath({"C:", "Docsa.txt"}),
                                      JoinPath({"C:", "Ünï", "d.txt"})}));
  doc.MarkNotFound(JoinPath({"C:", "üNÏ"}));  // letters beyond ASCII fold too
  EXPECT_EQ(Keys(doc, true), (Strings{JoinPath({"C:", "Docs2", "c.txt"}), JoinPath({"C:", "Docsa.txt"})}));
  doc.MarkNotFound("");
  EXPECT_TRUE(Keys(doc, true).empty());
}

}  // namespace

namespace {

// A file deleted and never used leaves nothing worth a record once a
// finished refresh has not found it; one with a use, a last use or a tag
// keeps its record, and a refresh cut short or a tool that never refreshed
// drops nothing.
TEST_F(FolderScan, ASaveAfterAFinishedRefreshDropsUnusedRecordsOfFilesGone) {
  AddFolder(m_doc, JoinPath({"C:", "Docs"}));
  AddRecord(m_doc, Docs("gone.txt"), 0, 0, false);
  AddRecord(m_doc, Docs("used.txt"), 2, 50, false);
  AddRecord(m_doc, Docs("seen.txt"), 0, 60, false);
  const auto saved = [&] {
    CVelnorDoc read(m_env);
    read.LoadDatabaseBytes(m_doc.SaveDatabaseBytes());
    return Keys(read);
  };
  EXPECT_EQ(saved().size(), 3u);
  m_env.onOpenDirectory = [&](const std::string&) { m_refresh.Cancel(); };
  Refresh();
  EXPECT_EQ(m_env.log[1], "range 1");  // the counting pass stopped at its first entry too
  EXPECT_EQ(saved().size(), 3u);
  m_env.onOpenDirectory = nullptr;
  Refresh();
  EXPECT_EQ(saved(), (Strings{Docs("used.txt"), Docs("seen.txt"), Docs("a.txt"), Docs("b.mp3"),
                              JoinPath({"C:", "Docs", "Sub", "c.lnk"})}));
}

}  // namespace
