// Outside Windows there are no shell special folders: the command-line tool
// indexes only the folders it is given.
#include "database/default_folders.h"

namespace {

class NoShellFolders final : public ShellFolders {
 public:
  bool GetSpecialFolderPath(int, std::string&) override { return false; }
};

}  // namespace

ShellFolders& ShellFolders::Real() {
  static NoShellFolders shell;
  return shell;
}
