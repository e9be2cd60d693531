#include <string>
#include <string_view>

#include "framework/env.h"

std::string AtomicWriteTemporary(const std::string& path, uint32_t processId) {
  return path + "." + std::to_string(processId) + ".tmp";
}

bool IsAtomicWriteTemporary(std::string_view name, std::string_view target) {
  constexpr std::string_view kSuffix = ".tmp";
  if (name.size() <= target.size() + 1 + kSuffix.size() || name.substr(0, target.size()) != target ||
      name[target.size()] != '.' || name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  const std::string_view digits = name.substr(target.size() + 1, name.size() - target.size() - 1 - kSuffix.size());
  return digits.find_first_not_of("0123456789") == std::string_view::npos;
}
