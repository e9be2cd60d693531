// Everything the portable core asks of the operating system, behind one
// interface: listing folders, reading and writing files, the shell's special
// folders and launches, the clock, the user interface thread's message pump
// and the refresh's progress window. The program runs on the real one of its
// platform (Env::Default), tools wrap it (EnvWrapper) to change a service or
// two, and tests run on an in-memory one or inject faults into another.
//
// Threads. The user interface thread (the one that owns the document and
// pumps its messages; a tool's main thread) may call everything. Two other
// threads call a few methods, at any time, beside each other and beside the
// user interface thread:
// - the change watcher's thread (database/folder_watcher.cpp): TickCount and
//   GetFolderIdentity between its waits, and for each rescan OpenDirectory,
//   GetFolderIdentity, CanOpenPath, OpenFile and the CFile it opened;
// - the counting walk of a refresh (database/folder_scan.cpp): OpenDirectory
//   and GetFolderIdentity.
// An implementation must make those five methods safe to call from several
// threads at once. Every other method (Now, ToLocalTime, Pause, the shell,
// files read whole, written, renamed or locked, special folders, the module
// path, the message pump, the progress window, creating the change
// notifier) is called from the user interface thread alone and may keep
// state without a lock. The keyboard hook's thread
// (app/type_ahead_hold_win.cpp) never calls an Env.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "framework/change_notifier.h"
#include "framework/directory_search.h"
#include "framework/velnor_time.h"

// "\" on Windows, "/" elsewhere.
extern const char kPathSeparator;

// The shell's special folders by CSIDL value.
enum SpecialFolder : int {
  kCsidlPersonal = 0x05,
  kCsidlFavorites = 0x06,
  kCsidlRecent = 0x08,
  kCsidlStartMenu = 0x0B,
  kCsidlDesktopDirectory = 0x10,
  kCsidlCommonStartMenu = 0x16,
  kCsidlAppData = 0x1A,
};

// An open file read from a position, as the ID3v1 reader needs it.
class CFile {
 public:
  virtual ~CFile() = default;
  virtual bool GetLength(uint64_t& length) = 0;
  virtual bool GetPosition(uint64_t& position) = 0;
  virtual bool Seek(uint64_t position) = 0;
  // Bytes read; fewer than asked at the end of the file or on an error.
  virtual size_t Read(void* buffer, size_t count) = 0;
};

// A file this process has to itself while it is open (two copies of the
// program and the command-line tool share the usage log through it). Each
// write reaches the disk before it returns.
class CLockedFile {
 public:
  virtual ~CLockedFile() = default;
  // The whole file; false when it could not be read.
  virtual bool ReadAll(std::string& out) = 0;
  // Adds `data` at the end. False when not all of it was written: the file
  // may then end with a part of it.
  virtual bool Append(std::string_view data) = 0;
  // Makes `data` the whole file.
  virtual bool Replace(std::string_view data) = 0;
};

// The progress window of one refresh.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void SetRange(uint32_t count) = 0;
  virtual void Show(bool visible) = 0;
  virtual void StepIt() = 0;
  // Many steps at once.
  virtual void StepBy(uint32_t steps) {
    for (uint32_t i = 0; i < steps; ++i) StepIt();
  }
  // Shows the window and brings it to the front (hot key during a refresh).
  virtual void ShowAndActivate() = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // `folder` ends with the path separator. Null when the folder cannot be
  // searched (missing, no access, path too long) or holds nothing at all.
  virtual std::unique_ptr<DirectorySearch> OpenDirectory(const std::string& folder) = 0;

  // The identity of the folder `folder` (ending with the path separator)
  // leads to, following links. False when the platform cannot tell.
  virtual bool GetFolderIdentity(const std::string& folder, FolderIdentity& id) = 0;

  // Null when the file cannot be opened for reading or is no regular file
  // on a disk (a pipe, a socket, a device): those are never read. Other
  // programs may keep writing and deleting it meanwhile.
  virtual std::unique_ptr<CFile> OpenFile(const std::string& path) = 0;

  // Whether the shell can be handed the file `path` to open. Always so for
  // a path that fits MAX_PATH; a longer one only through a short (8.3) form
  // that fits, where the volume keeps such names (ShellLaunch then goes
  // through that form by itself).
  virtual bool CanOpenPath(const std::string& path) = 0;

  enum class ReadResult {
    kOk,
    kNotFound,
    kBusy,   // another program holds it (a sharing or lock violation): try again soon
    kError,  // it exists but cannot be read: no access, or a read failed midway
  };
  // Anything but kOk leaves `out` meaningless: a read cut short is never a
  // shorter file.
  virtual ReadResult ReadWholeFile(const std::string& path, std::string& out) = 0;

  // Writes `data` to a temporary file beside `path`, flushes it to the disk
  // and only then puts it in place of `path`. On any failure the previous
  // file at `path` is left exactly as it was and false is returned.
  virtual bool WriteFileAtomic(const std::string& path, std::string_view data) = 0;

  enum class LockResult { kOk, kBusy, kError };
  // Opens `path` for this process alone, creating it when missing. kBusy
  // while another process has it open: try again soon.
  virtual LockResult OpenLockedFile(const std::string& path, std::unique_ptr<CLockedFile>& file) = 0;

  // Gives a file another name; false when `to` exists already or the file
  // cannot be renamed (another program holds it).
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
  // False when the file cannot be removed; a file that another program
  // writes is never removed on Windows.
  virtual bool RemoveFile(const std::string& path) = 0;

  // True when the directory exists afterwards.
  virtual bool MakeDirectory(const std::string& path) = 0;

  // False when the platform cannot name the folder; never creates it.
  virtual bool GetSpecialFolderPath(int csidl, std::string& path) = 0;

  // Hands `target` to the shell with `verb` (empty: the default action);
  // `owner` is the window of any message the shell shows. Returns the
  // shell's instance value: above 32 when it accepted.
  virtual intptr_t ShellLaunch(const std::string& target, const std::string& verb, void* owner) = 0;
  // As ShellLaunch with the default action, but without the shell's own
  // message when it cannot (no program for the type, no such file): for
  // what the program opens unasked, which must never wait for an answer.
  virtual intptr_t ShellLaunchQuietly(const std::string& target) = 0;

  // Seconds since 1970-01-01 UTC.
  virtual int64_t Now() = 0;
  // `time` on the calendar of the user's time zone.
  virtual CalendarTime ToLocalTime(VelnorTime time) = 0;
  // Milliseconds from an arbitrary start; never goes back.
  virtual uint64_t TickCount() = 0;
  // Blocks the calling thread for a while.
  virtual void Pause(uint32_t milliseconds) = 0;

  // Dispatches what waits in the calling thread's message queue.
  virtual void PumpMessages() = 0;
  // Created hidden, in the corner of the work area; null where there is no
  // window to show.
  virtual std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string& caption) = 0;

  // The running executable's full path; empty when the platform cannot say.
  virtual std::string ModuleFilePath() = 0;

  // Null where the platform gives no change notifications: nothing is then
  // watched, and the index changes only when it is refreshed.
  virtual std::unique_ptr<ChangeNotifier> CreateChangeNotifier() = 0;

  // The platform's real services.
  static Env& Default();
};

// Passes every call on to another Env; derived classes replace a few.
class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env& target) : m_target(target) {}
  Env& target() const { return m_target; }

  std::unique_ptr<DirectorySearch> OpenDirectory(const std::string& folder) override {
    return m_target.OpenDirectory(folder);
  }
  bool GetFolderIdentity(const std::string& folder, FolderIdentity& id) override {
    return m_target.GetFolderIdentity(folder, id);
  }
  std::unique_ptr<CFile> OpenFile(const std::string& path) override { return m_target.OpenFile(path); }
  bool CanOpenPath(const std::string& path) override { return m_target.CanOpenPath(path); }
  ReadResult ReadWholeFile(const std::string& path, std::string& out) override {
    return m_target.ReadWholeFile(path, out);
  }
  bool WriteFileAtomic(const std::string& path, std::string_view data) override {
    return m_target.WriteFileAtomic(path, data);
  }
  LockResult OpenLockedFile(const std::string& path, std::unique_ptr<CLockedFile>& file) override {
    return m_target.OpenLockedFile(path, file);
  }
  bool RenameFile(const std::string& from, const std::string& to) override { return m_target.RenameFile(from, to); }
  bool RemoveFile(const std::string& path) override { return m_target.RemoveFile(path); }
  bool MakeDirectory(const std::string& path) override { return m_target.MakeDirectory(path); }
  bool GetSpecialFolderPath(int csidl, std::string& path) override {
    return m_target.GetSpecialFolderPath(csidl, path);
  }
  intptr_t ShellLaunch(const std::string& target, const std::string& verb, void* owner) override {
    return m_target.ShellLaunch(target, verb, owner);
  }
  intptr_t ShellLaunchQuietly(const std::string& target) override { return m_target.ShellLaunchQuietly(target); }
  int64_t Now() override { return m_target.Now(); }
  CalendarTime ToLocalTime(VelnorTime time) override { return m_target.ToLocalTime(time); }
  uint64_t TickCount() override { return m_target.TickCount(); }
  void Pause(uint32_t milliseconds) override { m_target.Pause(milliseconds); }
  void PumpMessages() override { m_target.PumpMessages(); }
  std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string& caption) override {
    return m_target.CreateProgressWindow(caption);
  }
  std::unique_ptr<ChangeNotifier> CreateChangeNotifier() override { return m_target.CreateChangeNotifier(); }
  std::string ModuleFilePath() override { return m_target.ModuleFilePath(); }

 private:
  Env& m_target;
};

// The temporary file WriteFileAtomic writes beside `path` before it takes
// its place: the path, a dot, the writing process's id and ".tmp". A
// leftover of a process killed midway can be told by its name.
std::string AtomicWriteTemporary(const std::string& path, uint32_t processId);
// Whether `name` (a bare file name) is such a file beside a file named `target`.
bool IsAtomicWriteTemporary(std::string_view name, std::string_view target);

// A shell launch counts as accepted above this instance value.
constexpr intptr_t kShellLaunchAccepted = 32;
