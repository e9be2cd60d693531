#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>

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
    } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      // A link to a folder is entered like a Windows junction.
      // Too many links to resolve means a loop of folder links; Windows lists
      // a junction as a folder whatever it leads to.
      struct stat st;
      const int result = ::stat((m_folder + entry.name).c_str(), &st);
      entry.isDirectory = result == 0 ? S_ISDIR(st.st_mode) : errno == ELOOP;
    } else {
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
