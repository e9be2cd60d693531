#include "resultlist/compare_files.h"

#include "database/file_info.h"
#include "framework/match_fold.h"
#include "resultlist/launcher_order.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

}  // namespace

int CompareFiles(const CFileInfo& a, const CFileInfo& b, const SortKey& key) {
  switch (key.nKey) {
    case 0:
      return Sign(CompareMatchFolded(a.Title(), b.Title())) * key.nDirection;
    case 1:
      return Sign(CompareMatchFolded(a.Folder(), b.Folder())) * key.nDirection;
    case 3:
      return CompareUsage(MakeLauncherOrderKey(a, {}, 0), MakeLauncherOrderKey(b, {}, 0));
    default:
      return 0;
  }
}
