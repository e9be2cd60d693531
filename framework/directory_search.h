// Listing one folder: what a directory search yields, and the path limit
// that every search honours.
#pragma once

#include <cstddef>
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

// Windows' search pattern (folder + "*.*") must fit in MAX_PATH; the same
// limit applies everywhere, so a link that leads back into its own tree
// ends where it would end on Windows.
constexpr size_t kMaxPathUnits = 260;
bool FitsSearchPathLimit(const std::string& folderWithSeparator);

// Length of UTF-8 text in UTF-16 code units.
size_t Utf16Length(const std::string& text);
