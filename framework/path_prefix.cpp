#include "framework/path_prefix.h"

#include "framework/case_fold.h"
#include "framework/env.h"

bool IsPathUnder(std::string_view path, std::string_view folder) {
  if (folder.empty()) return true;
  if (folder.back() == kPathSeparator) folder.remove_suffix(1);
  const size_t matched = FoldedPrefixLength(path, folder);
  return matched != std::string_view::npos && matched < path.size() && path[matched] == kPathSeparator;
}
