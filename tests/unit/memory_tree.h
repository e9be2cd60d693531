// An in-memory folder tree for scan tests: folders list "." and ".." first,
// as Windows does for every folder that is not a drive root.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "database/scan_host.h"
#include "framework/file_system.h"

inline std::string JoinPath(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& part : parts) {
    if (!out.empty()) out += kPathSeparator;
    out += part;
  }
  return out;
}

class MemoryTree : public DirectoryLister {
 public:
  // Adds a file (and every folder above it) by its full path.
  void AddFile(const std::string& path, std::string contents = "") {
    const size_t cut = path.rfind(kPathSeparator);
    AddFolder(path.substr(0, cut));
    m_children[path.substr(0, cut)].push_back({path.substr(cut + 1), false});
    m_contents[path] = std::move(contents);
  }
  void AddFolder(const std::string& path) {
    if (m_children.count(path)) return;
    m_children[path];
    const size_t cut = path.rfind(kPathSeparator);
    if (cut != std::string::npos && cut > 0) {
      AddFolder(path.substr(0, cut));
      m_children[path.substr(0, cut)].push_back({path.substr(cut + 1), true});
    }
  }
  void RemoveFile(const std::string& path) {
    const size_t cut = path.rfind(kPathSeparator);
    auto& list = m_children[path.substr(0, cut)];
    for (auto it = list.begin(); it != list.end(); ++it) {
      if (it->name == path.substr(cut + 1)) {
        list.erase(it);
        break;
      }
    }
    m_contents.erase(path);
  }
  const std::string* Contents(const std::string& path) const {
    const auto it = m_contents.find(path);
    return it == m_contents.end() ? nullptr : &it->second;
  }

  std::unique_ptr<DirectorySearch> Open(const std::string& folder) override {
    ++opens;
    const std::string key = folder.substr(0, folder.size() - 1);
    const auto it = m_children.find(key);
    if (it == m_children.end()) return nullptr;
    std::vector<DirectoryEntry> entries = {{".", true}, {"..", true}};
    entries.insert(entries.end(), it->second.begin(), it->second.end());
    return std::make_unique<Search>(std::move(entries));
  }

  int opens = 0;

 private:
  class Search : public DirectorySearch {
   public:
    explicit Search(std::vector<DirectoryEntry> entries) : m_entries(std::move(entries)) {}
    bool Next(DirectoryEntry& entry) override {
      if (m_next == m_entries.size()) return false;
      entry = m_entries[m_next++];
      return true;
    }

   private:
    std::vector<DirectoryEntry> m_entries;
    size_t m_next = 0;
  };

  std::map<std::string, std::vector<DirectoryEntry>> m_children;
  std::map<std::string, std::string> m_contents;
};

// An open file over bytes in memory; can be told to fail reads.
class MemoryMp3File : public CMp3File {
 public:
  explicit MemoryMp3File(std::string bytes) : m_bytes(std::move(bytes)) {}
  bool GetLength(uint64_t& length) override {
    length = m_bytes.size();
    return true;
  }
  bool GetPosition(uint64_t& position) override {
    position = m_position;
    return true;
  }
  bool Seek(uint64_t position) override {
    m_position = position;
    return true;
  }
  size_t Read(void* buffer, size_t count) override {
    if (failReads || m_position >= m_bytes.size()) return 0;
    const size_t n = std::min<size_t>(count, m_bytes.size() - static_cast<size_t>(m_position));
    std::copy_n(m_bytes.data() + m_position, n, static_cast<char*>(buffer));
    m_position += n;
    return n;
  }
  bool failReads = false;

 private:
  std::string m_bytes;
  uint64_t m_position = 0;
};
