#include <dirent.h>
#include <sys/stat.h>

#include "framework/directory_search.h"

namespace {

class PosixSearch final : public DirectorySearch {
 public:
  PosixSearch(DIR* dir, std::string folder) : m_dir(dir), m_folder(std::move(folder)) {}
  ~PosixSearch() override { ::closedir(m_dir); }
  PosixSearch(const PosixSearch&) = delete;
  PosixSearch& operator=(const PosixSearch&) = delete;

  bool Next(DirectoryEntry& entry) override {
    const dirent* e = ::readdir(m_dir);
    if (e == nullptr) return false;
    entry.name = e->d_name;
    if (e->d_type == DT_DIR) {
      entry.isDirectory = true;
    } else if (e->d_type == DT_UNKNOWN) {
      struct stat st;
      entry.isDirectory = ::lstat((m_folder + entry.name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    } else {
      // Symbolic links are listed, never entered, as find does: Linux trees
      // hold links such as /usr/bin/X11 -> . whose every level would be
      // indexed again up to the path limit.
      entry.isDirectory = false;
    }
    return true;
  }

 private:
  DIR* m_dir;
  std::string m_folder;
};

class PosixLister final : public DirectoryLister {
 public:
  std::unique_ptr<DirectorySearch> Open(const std::string& folder) override {
    if (!FitsSearchPathLimit(folder)) return nullptr;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return nullptr;
    return std::make_unique<PosixSearch>(dir, folder);
  }
};

}  // namespace

DirectoryLister& DirectoryLister::Real() {
  static PosixLister lister;
  return lister;
}
