// The few file operations the database needs, behind an interface so tests
// can inject failures (disk full, unreadable files) without a real disk.
#pragma once

#include <string>
#include <string_view>

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  enum class ReadResult { kOk, kNotFound, kError };
  virtual ReadResult ReadWholeFile(const std::string& path, std::string& out) = 0;

  // Writes `data` to a temporary file beside `path`, flushes it to the disk
  // and only then puts it in place of `path`. On any failure the previous
  // file at `path` is left exactly as it was and false is returned.
  virtual bool WriteFileAtomic(const std::string& path, std::string_view data) = 0;

  // True when the directory exists afterwards.
  virtual bool MakeDirectory(const std::string& path) = 0;

  // The platform's real file system.
  static FileSystem& Real();
};

// "\" on Windows, "/" elsewhere.
extern const char kPathSeparator;

// The running executable's full path; empty when the platform cannot say.
std::string GetModuleFilePath();

// The per-user application-data folder, not created if absent; empty when
// the platform cannot name it.
std::string GetUserAppDataFolder();
