// Listing one folder: what a directory search yields, how a folder is told
// apart from a link to it, and the path limit that every search honours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct DirectoryEntry {
  std::string name;  // as the file system reports it, UTF-8
  bool isDirectory = false;
  // A folder entry that leads somewhere else (a junction or a symbolic
  // link). Only these can lead a scan back into its own tree, so only these
  // are worth the price of asking where they lead.
  bool isLink = false;
};

// Which folder a path leads to, whatever links it goes through: two paths
// with the same identity list the same folder.
struct FolderIdentity {
  uint64_t volume = 0;
  uint64_t file = 0;
  bool operator==(const FolderIdentity& other) const { return volume == other.volume && file == other.file; }
};

// One open search over one folder. Entries come in the platform's order and
// include the "." and ".." entries where the platform reports them.
class DirectorySearch {
 public:
  virtual ~DirectorySearch() = default;
  // False when no entry is left.
  virtual bool Next(DirectoryEntry& entry) = 0;
};

// Windows' search pattern (folder + "*.*") must fit in MAX_PATH, and a file's
// path must for the shell to open it; Windows reaches a longer one through
// its short (8.3) form where the volume keeps one. The same limit applies
// everywhere, so a link that leads back into its own tree ends (when even
// its short form no longer fits) and the tool lists what the program could.
constexpr size_t kMaxPathUnits = 260;
bool FitsSearchPathLimit(const std::string& folderWithSeparator);
// Whether a file's path, with its terminator, fits in MAX_PATH.
bool FitsPathLimit(const std::string& path);

// Length of UTF-8 text in UTF-16 code units.
size_t Utf16Length(const std::string& text);
