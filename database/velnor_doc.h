// The one document: options, folders, file records and the launcher's
// placement, and the database file that keeps them across runs.
//
// The file records and the folder list are shared with the change watcher's
// thread, so they are private and guarded by the document's own lock: every
// use from outside goes through an operation below that takes it.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "database/file_map.h"
#include "database/folder.h"
#include "database/stored_settings.h"
#include "database/usage_log.h"
#include "framework/archive.h"
#include "framework/env.h"
#include "framework/mutex.h"

// What a load found, for the command-line tool and for the damaged-file backup.
struct DatabaseLoadReport {
  bool opened = false;        // the file existed and was read
  bool unreadable = false;    // the file exists but could not be read, even after waiting
  bool busy = false;          // ... because another program held it
  bool damaged = false;       // reading stopped before the end
  size_t failOffset = 0;      // where reading stopped, when damaged
  std::string failReason;
  bool ranOut = false;        // ... because the bytes ended (more might read on)
  bool settingsLost = false;  // ... before the folder list and the options
  bool cut = false;           // only the first part of a huge damaged file was read
  size_t records = 0;         // file records read
  // Paths the file lists more than once, each now one record holding the
  // uses of all (a file written by hand, by another tool, or damaged).
  size_t repeatedKeys = 0;
  std::string backupPath;     // where a damaged file was put aside, if it was
  size_t loggedUses = 0;      // uses the usage log beside the file added

  // The next save would not give back the file's bytes: keep them aside.
  bool NeedsBackup() const { return damaged || repeatedKeys > 0; }
};

// What MoveRecords changed.
struct MoveReport {
  size_t records = 0;
  size_t folders = 0;
};

// What a scan learnt about one file, gathered without the document's lock.
struct ScannedFile {
  std::string path;       // the folder searched, a separator, the name
  size_t nameLength = 0;  // the name as the search reported it ends the path
  bool tagOpened = false;             // the file was opened to read its tag
  std::unique_ptr<Mp3TagInfo> tag;    // the tag read, null when there was none
};

// The document's stored settings (the options and the launcher's placement,
// database/stored_settings.h) are read and set as its own members.
class CVelnorDoc : public StoredSettings {
 public:
  using FolderList = std::vector<std::unique_ptr<CFolder>>;
  using FileVisitor = std::function<void(const CFileMap&)>;

  explicit CVelnorDoc(Env& env);
  CVelnorDoc(const CVelnorDoc&) = delete;
  CVelnorDoc& operator=(const CVelnorDoc&) = delete;

  Env& GetEnv() const { return m_env; }

  // Loads the database file; the document starts even when that fails.
  bool OnNewDocument();

  // Removes what crashed saves left beside the file, then loads it.
  void LoadDatabase();
  // False when the file could not be written; the previous file then stays.
  bool SaveDatabase();
  // Where the database file lives, made ready to be written there:
  // %APPDATA%\Plovant\velnor.dat, the Plovant folder created when missing;
  // or, for a portable copy (its folder holds portable.txt), velnor.dat
  // beside the program, when a file written there shows that the folder can
  // be written (decided at the first call).
  std::string PrepareDatabasePath();
  // The path the last PrepareDatabasePath gave (empty before it): a message
  // naming the file must not create its folder again.
  const std::string& DatabasePath() const { return m_databasePath; }
  // A portable copy whose folder cannot be written: its data is kept in
  // %APPDATA% instead, which the user is told.
  bool PortableCannotWrite() const { return m_portable == Portable::kCannotWrite; }
  // The folder of the running program, without a final separator.
  std::string ProgramFolder() const;

  // A file another program holds is waited for a few seconds. One that
  // still cannot be read is never replaced by this run: SaveDatabaseTo
  // first renames it aside (`<path>.unreadable-YYYYMMDD-HHMMSS`, UTC), or
  // when even that fails writes `<path>.new` beside it.
  DatabaseLoadReport LoadDatabaseFrom(const std::string& path);
  // When the file changed since this document loaded or last saved it
  // (another copy of the program, or velnor-cli), it is read again and this
  // run's launches are added to its counts; records only it has are kept;
  // folders and options are this run's. False, with nothing written, when
  // the file there cannot be read or written.
  bool SaveDatabaseTo(const std::string& path);
  // Writes this document over whatever `path` holds, merging nothing: for a
  // restore, whose records are the whole truth; the usage log beside it
  // starts anew. False, with the old file left, when it cannot be written.
  bool ReplaceDatabaseFile(const std::string& path);
  // For a tool that read the file at `path` itself (its bytes `loaded`):
  // adds the uses its usage log holds, when the log extends those very
  // bytes. Changes no file. The number of uses added.
  size_t ApplyUsageLog(const std::string& path, std::string_view loaded);
  // The usage log has grown past what a launch should append to: time for
  // a full save, which folds it into the file.
  bool UsageLogWantsCompaction() const;
  // What the last LoadDatabaseFrom found.
  const DatabaseLoadReport& LastLoad() const { return m_lastLoad; }
  // Where SaveDatabaseTo put a file that could not be read; empty if none.
  const std::string& SetAsidePath() const { return m_strSetAside; }
  // Removes what saves cut short by a crash left beside `path`.
  void RemoveSaveLeftovers(const std::string& path);

  // The file's contents without the file: what a load reads and a save writes.
  DatabaseLoadReport LoadDatabaseBytes(std::string_view bytes);
  std::string SaveDatabaseBytes();

  // Both directions. Loading adds to what the document already holds.
  void Serialize(CArchive& ar);

  // Whether the last full refresh read every enabled folder to its end: the
  // found flags then tell which files exist, and a save leaves out the
  // record of a file gone that holds nothing a scan could not give back (no
  // use, no last use, no tag). Refreshes set it; it starts false, so a tool
  // that never refreshes writes every record it read.
  void SetIndexComplete(bool complete) { m_bIndexComplete = complete; }
  // Marks not found every record below `folder` (all for ""), except the
  // records in `kept` (sorted). Works through the map in short stretches,
  // letting go of the lock between them, so the launcher never waits long
  // behind a rescan.
  void MarkNotFound(std::string_view folder, const std::vector<const CFileInfo*>& kept = {});

  // --- File records. Records are never removed while the program runs, so
  // pointers to them stay valid; their fields change only under the lock,
  // here, so the document hands them out const.

  // Runs `visit` over the records under the lock; it must not keep the map
  // nor call back into the document (the lock is not recursive).
  void VisitFiles(const FileVisitor& visit) const;
  // As VisitFiles, handing over too the slots whose searchable text changed
  // since the last such visit (the launcher's filter is their one reader).
  using ChangesVisitor = std::function<void(const CFileMap&, std::vector<uint32_t> changedSlots)>;
  void VisitFilesAndChanges(const ChangesVisitor& visit);
  const CFileInfo* FindFile(std::string_view path) const;
  size_t FileCount() const;
  // Adds records as a load does: a key met again replaces the earlier record,
  // which is freed (nothing may point to it: for loads and tools only).
  void AddFiles(CFileMap::Records records);
  // After a folder was moved or renamed: every record and folder at or below
  // `from` (letters compared ignoring case, as Windows compares paths) takes
  // `to` in place of that part of its path, keeping its usage; a record that
  // meets one already under its new key merges with it (uses added, the later
  // last use kept), and a folder already listed at its new place stays as
  // listed there. Records are rebuilt, so nothing may point to them: for
  // tools only, as AddFiles.
  MoveReport MoveRecords(std::string_view from, std::string_view to);
  // One accepted launch of the file `record` names: its count goes up by
  // one and the time is stamped; `afterwards` then runs under the same lock
  // (the filter's reordering). The use is on the disk, in the usage log,
  // when this returns (unless the log cannot be written: then it waits in
  // memory for the next save). The document changes its own record, found
  // by the path under the lock; a record it does not hold counts nothing.
  void RecordLaunch(const CFileInfo& record, VelnorTime now, const FileVisitor& afterwards = nullptr);
  // The shell's type name and the launcher's image for a record, found as
  // RecordLaunch finds it.
  void SetFileType(const CFileInfo& record, const std::string& type, int image);
  // A scan's results, under one hold of the lock: each file's record is
  // made or renamed, found, and given the tag read; with `applied`, the
  // records are appended to it.
  void ApplyScannedFiles(std::vector<ScannedFile>& files, std::vector<const CFileInfo*>* applied = nullptr);

  // --- Folders, in list order.

  FolderList CopyFolders() const;
  void ReplaceFolders(FolderList folders);
  // A copy of the folder at `index`; false past the end of the list.
  bool GetFolder(size_t index, CFolder& folder) const;


 private:
  Env::ReadResult ReadDatabaseFile(const std::string& path, std::string& bytes);
  // The file whole, or only its first part when that shows it is damaged
  // already (`cut`): a huge file in the database's place is never held whole.
  Env::ReadResult ReadPlausibleDatabase(const std::string& path, std::string& bytes, bool& cut);
  // Loads the file, its usage log held meanwhile; true when a damaged file
  // was renamed aside, so that the document's state must be saved at once.
  bool LoadHeldDatabase(const std::string& path, DatabaseLoadReport& report);
  std::string SetAsideUnreadable(const std::string& path);
  bool MergeChangesOnDisk(const std::string& path, CLockedFile* log);
  // Writes the document to `target`; when that is the database file itself
  // (not a file set beside it), the document then knows the file as its own.
  bool WriteDatabaseFile(const std::string& target, bool isTheFile, CLockedFile* log);
  void MergeUsageFrom(CVelnorDoc& disk);
  // Loads bytes the file map then keeps (its keys are views into them).
  // `kept` is where the bytes then are.
  DatabaseLoadReport LoadDatabaseKept(std::string bytes, std::string_view& kept);
  // Whether a save writes the record (see SetIndexComplete).
  bool Keeps(const CFileInfo& record) const;
  void LoadFileRecords(CArchive& ar) VELNOR_REQUIRES(m_lock);
  void ReadFileRecord(CArchive& ar, std::string& converted) VELNOR_REQUIRES(m_lock);
  void LoadFolders(CArchive& ar) VELNOR_REQUIRES(m_lock);

  // The usage log (database_log.cpp). Used by the user interface thread
  // only, as loads, saves and launches are.
  // A random mark for this run's records and for each new log; never 0.
  static uint64_t NewMark(Env& env);
  std::unique_ptr<CLockedFile> TakeUsageLog(const std::string& path, uint32_t patienceMs);
  // The log beside the database file at `databasePath`, if there is one.
  std::unique_ptr<CLockedFile> TakeExistingUsageLog(const std::string& databasePath);
  // After the file at `databasePath` was read: adds its log's uses, or
  // starts a log for it.
  void TakeInUsageLog(const std::string& databasePath, CLockedFile* log, DatabaseLoadReport& report);
  // Adds the uses from record `first` on, but those of the copy `except`.
  size_t AddLoggedUses(const UsageLogContents& log, size_t first, uint64_t except);
  // Adds what other copies logged since this document last read the log,
  // when the log still extends the file this document holds.
  size_t FoldUsageLog(const UsageLogContents& log);
  // Empties the log, naming the file this document now holds.
  void StartUsageLog(CLockedFile& log);
  bool LogUse(std::string_view path, VelnorTime now);

  enum class Portable { kUnknown, kNo, kBesideProgram, kCannotWrite };
  Portable ChoosePortable(const std::string& programFolder);

  Env& m_env;
  Portable m_portable = Portable::kUnknown;  // decided once, at the first look
  std::string m_databasePath;
  bool m_bIndexComplete = false;
  mutable Mutex m_lock;
  CFileMap m_files VELNOR_GUARDED_BY(m_lock);
  FolderList m_folders VELNOR_GUARDED_BY(m_lock);
  // What this document knows of its file: whether it could read it, and a
  // fingerprint of the bytes it last read or wrote there (none: no file).
  DatabaseLoadReport m_lastLoad;
  bool m_bUnreadable = false;
  std::optional<uint64_t> m_fileFingerprint;
  std::string m_strSetAside;
  // Launches since the file was last read or written that the usage log
  // could not take, by key: what a save adds to the counts on the disk.
  std::unordered_map<std::string, int32_t> m_launchesSinceSave VELNOR_GUARDED_BY(m_lock);
  // The usage log beside the file this document loaded or saved last (empty:
  // none), this run's mark on its records, the generation of the log last
  // seen and how many of its bytes this document holds (read or written).
  std::string m_strLogPath;
  uint64_t m_copyId;
  uint64_t m_logGeneration = 0;
  size_t m_logHeld = 0;
  size_t m_logSize = 0;  // as this document last saw it
  size_t m_repeatedKeysDuringLoad VELNOR_GUARDED_BY(m_lock) = 0;
};
