#include "framework/path_prefix.h"

#include "framework/case_fold.h"
#include "framework/env.h"

namespace {

std::string_view WithoutFinalSeparator(std::string_view path) {
  if (!path.empty() && path.back() == kPathSeparator) path.remove_suffix(1);
  return path;
}

}  // namespace

bool SameFolderPath(std::string_view a, std::string_view b) {
  return CompareFolded(WithoutFinalSeparator(a), WithoutFinalSeparator(b)) == 0;
}

std::string FolderPathKey(std::string_view path) { return FoldCase(WithoutFinalSeparator(path)); }

bool IsPathUnder(std::string_view path, std::string_view folder) {
  if (folder.empty()) return true;
  if (folder.back() == kPathSeparator) folder.remove_suffix(1);
  const size_t matched = FoldedPrefixLength(path, folder);
  return matched != std::string_view::npos && matched < path.size() && path[matched] == kPathSeparator;
}
