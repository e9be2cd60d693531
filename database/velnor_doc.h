// The one document: options, folders, file records and the launcher's
// placement, and the database file that keeps them across runs.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "database/file_map.h"
#include "database/folder.h"
#include "database/scan_host.h"
#include "database/window_placement.h"
#include "framework/archive.h"
#include "framework/file_system.h"

class CWatcherThread;

// The caption of the start-up refresh, whose progress window stays hidden.
extern const char kInitializeCaption[];
extern const char kRefreshCaption[];

// What a load found, for the command-line tool and for the damaged-file backup.
struct DatabaseLoadReport {
  bool opened = false;        // the file existed and was read
  bool damaged = false;       // reading stopped before the end
  size_t failOffset = 0;      // where reading stopped, when damaged
  std::string failReason;
  std::string backupPath;     // where a damaged file was copied, if it was
};

class CVelnorDoc {
 public:
  explicit CVelnorDoc(FileSystem& fs = FileSystem::Real());
  CVelnorDoc(const CVelnorDoc&) = delete;
  CVelnorDoc& operator=(const CVelnorDoc&) = delete;

  // Loads the database file; the document starts even when that fails.
  bool OnNewDocument();

  void LoadDatabase();
  // False when the file could not be written; the previous file then stays.
  bool SaveDatabase();
  // %APPDATA%\Plovant\velnor.dat; creates the Plovant folder.
  std::string GetDatabasePath();

  DatabaseLoadReport LoadDatabaseFrom(const std::string& path);
  bool SaveDatabaseTo(const std::string& path);

  // The file's contents without the file: what a load reads and a save writes.
  DatabaseLoadReport LoadDatabaseBytes(std::string_view bytes);
  std::string SaveDatabaseBytes();

  // Both directions. Loading adds to what the document already holds.
  void Serialize(CArchive& ar);

  // The full refresh: every record becomes not found, then every enabled
  // folder is counted and scanned again. Usage data is never touched.
  void RefreshDatabase(const std::string& caption);
  // Recursive scan of one folder: counts entries into *pCount, or updates the
  // records of its files and steps the progress window.
  void ScanFolder(std::string folder, bool bCountOnly, uint32_t* pCount, RefreshWindow* pProgress);
  // Marks not found every record whose key contains `text` (all for "").
  void MarkNotFound(std::string_view text);

  void SetScanHost(ScanHost* host) { m_host = host ? host : &DefaultScanHost(); }

  // Run-time state and stored members, in the document's declaration order.
  // m_files and m_folders are shared with the change watcher: hold m_lock
  // while touching either from any thread.
  bool m_bRefreshing = false;
  CFileMap m_files;
  std::vector<std::unique_ptr<CFolder>> m_folders;
  bool m_bAutorun = true;
  CWindowPlacement m_placement;
  bool m_bMp3Support = true;
  CWatcherThread* m_pWatcherThread = nullptr;
  bool m_bDpiWarningShown = false;
  RefreshWindow* m_pRefreshDlg = nullptr;
  std::atomic<bool> m_bCancelRefresh{false};
  bool m_bSearchFullPath = false;
  bool m_bFirstRun = true;

  std::mutex m_lock;

 private:
  void LoadFileRecords(CArchive& ar);
  void LoadFolders(CArchive& ar);

  void UpdateFileRecord(const std::string& folder, const std::string& name);
  static ScanHost& DefaultScanHost();

  FileSystem& m_fs;
  ScanHost* m_host = &DefaultScanHost();
  // Records replaced by a repeated key during a load; the archive may still
  // refer to them by number until the load ends.
  std::vector<std::unique_ptr<CFileInfo>> m_replacedDuringLoad;
};
