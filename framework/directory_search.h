// Listing one folder, behind an interface: Win32 and POSIX searches for the
// real file system, and an in-memory tree for tests.
#pragma once

#include <memory>
#include <string>

struct DirectoryEntry {
  std::string name;  // as the file system reports it, UTF-8
  bool isDirectory = false;
};

// One open search over one folder. Entries come in the platform's order and
// include the "." and ".." entries where the platform reports them.
class DirectorySearch {
 public:
  virtual ~DirectorySearch() = default;
  // False when no entry is left.
  virtual bool Next(DirectoryEntry& entry) = 0;
};

class DirectoryLister {
 public:
  virtual ~DirectoryLister() = default;
  // `folder` ends with the path separator. Null when the folder cannot be
  // searched (missing, no access, path too long) or holds nothing at all.
  virtual std::unique_ptr<DirectorySearch> Open(const std::string& folder) = 0;

  static DirectoryLister& Real();
};

// Windows' search pattern (folder + "*.*") must fit in MAX_PATH; the same
// limit applies everywhere, so a link that leads back into its own tree
// ends where it would end on Windows.
constexpr size_t kMaxPathUnits = 260;
bool FitsSearchPathLimit(const std::string& folderWithSeparator);

// Length of UTF-8 text in UTF-16 code units.
size_t Utf16Length(const std::string& text);
