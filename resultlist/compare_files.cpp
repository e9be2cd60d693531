#include "resultlist/compare_files.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <string_view>

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

void SortFiles(const std::vector<const CFileInfo*>& records, const SortKey& key, std::vector<uint32_t>& order) {
  order.resize(records.size());
  std::iota(order.begin(), order.end(), 0u);
  if (key.nKey != 0 && key.nKey != 1) {
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return CompareFiles(*records[a], *records[b], key) < 0; });
    return;
  }
  std::string folded;
  std::vector<size_t> starts{0};
  starts.reserve(records.size() + 1);
  for (const CFileInfo* record : records) {
    AppendMatchFolded(folded, key.nKey == 0 ? record->Title() : record->Folder());
    starts.push_back(folded.size());
  }
  const auto text = [&](uint32_t i) { return std::string_view(folded).substr(starts[i], starts[i + 1] - starts[i]); };
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    return Sign(text(a).compare(text(b))) * key.nDirection < 0;
  });
}
