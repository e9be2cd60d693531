// Files in memory, for tests of what the document does with its file.
#pragma once

#include <map>
#include <string>

#include "framework/file_system.h"

class MemoryFileSystem : public FileSystem {
 public:
  ReadResult ReadWholeFile(const std::string& path, std::string& out) override {
    const auto it = files.find(path);
    if (it == files.end()) return ReadResult::kNotFound;
    out = it->second;
    return ReadResult::kOk;
  }
  bool WriteFileAtomic(const std::string& path, std::string_view data) override {
    if (failWrites) return false;
    files[path] = std::string(data);
    return true;
  }
  bool MakeDirectory(const std::string&) override { return true; }

  std::map<std::string, std::string> files;
  bool failWrites = false;
};
