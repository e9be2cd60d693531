// Writes or deletes one string value in the registry; the program's only
// registry write is the autorun value at exit.
#pragma once

#include <string>

class CRegistryHelper {
 public:
  virtual ~CRegistryHelper() = default;

  // `root` is "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER" in any letter
  // case; the subkey is created when missing. Non-empty data sets the value
  // (REG_SZ), empty data deletes it. True when that succeeded; an unknown
  // root, a key that cannot be opened and a value to delete that does not
  // exist are all false.
  bool SetValue(const std::string& root, const std::string& subkey, const std::string& valueName,
                const std::string& data);
};
