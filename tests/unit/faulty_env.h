// Faults injected into another platform: reads come up short, one file is
// held by another program (for good, or for a few reads), one may not be
// read at all, one folder has vanished.
#pragma once

#include <algorithm>
#include <string>

#include "framework/env.h"

class FaultyEnv : public EnvWrapper {
 public:
  using EnvWrapper::EnvWrapper;

  size_t readLimit = SIZE_MAX; // an open file gives at most this many bytes; a larger file's whole read fails
  std::string lockedPath;      // a sharing violation: cannot be opened, read, renamed or replaced
  int lockedForReads = -1;     // >= 0: the lock clears after this many more reads, as the last one fails
  std::string deniedPath;      // exists, but reading it is refused
  std::string vanishedFolder;  // it and everything below cannot be searched
  std::string readOnlyFolder;  // nothing in it or below can be written
  size_t appendCut = SIZE_MAX; // the next append writes this many bytes and fails: the power went

  std::unique_ptr<DirectorySearch> OpenDirectory(const std::string& folder) override {
    if (!vanishedFolder.empty() && folder.compare(0, vanishedFolder.size(), vanishedFolder) == 0) return nullptr;
    return EnvWrapper::OpenDirectory(folder);
  }
  std::unique_ptr<CFile> OpenFile(const std::string& path) override {
    if (path == lockedPath) return nullptr;
    std::unique_ptr<CFile> file = EnvWrapper::OpenFile(path);
    if (!file || readLimit == SIZE_MAX) return file;
    return std::make_unique<ShortFile>(std::move(file), readLimit);
  }
  ReadResult ReadWholeFile(const std::string& path, std::string& out) override {
    if (path == lockedPath) {
      if (lockedForReads != 0) {
        if (lockedForReads > 0 && --lockedForReads == 0) lockedPath.clear();
        return ReadResult::kBusy;
      }
      lockedPath.clear();
    }
    if (path == deniedPath) return ReadResult::kError;
    const ReadResult result = EnvWrapper::ReadWholeFile(path, out);
    return result == ReadResult::kOk && out.size() > readLimit ? ReadResult::kError : result;
  }
  LockResult OpenLockedFile(const std::string& path, std::unique_ptr<CLockedFile>& file) override {
    if (path == lockedPath) return LockResult::kBusy;
    if (path == deniedPath || ReadOnly(path)) return LockResult::kError;
    const LockResult result = EnvWrapper::OpenLockedFile(path, file);
    if (result == LockResult::kOk) file = std::make_unique<CutAppends>(std::move(file), appendCut);
    return result;
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    return from != lockedPath && EnvWrapper::RenameFile(from, to);
  }
  bool WriteFileAtomic(const std::string& path, std::string_view data) override {
    return path != lockedPath && !ReadOnly(path) && EnvWrapper::WriteFileAtomic(path, data);
  }

 private:
  bool ReadOnly(const std::string& path) const {
    return !readOnlyFolder.empty() && path.compare(0, readOnlyFolder.size(), readOnlyFolder) == 0;
  }

  class CutAppends : public CLockedFile {
   public:
    CutAppends(std::unique_ptr<CLockedFile> file, size_t& cut) : m_file(std::move(file)), m_cut(cut) {}
    bool ReadAll(std::string& out) override { return m_file->ReadAll(out); }
    bool Replace(std::string_view data) override { return m_file->Replace(data); }
    bool Append(std::string_view data) override {
      if (m_cut >= data.size()) return m_file->Append(data);
      m_file->Append(data.substr(0, m_cut));
      m_cut = SIZE_MAX;
      return false;
    }

   private:
    std::unique_ptr<CLockedFile> m_file;
    size_t& m_cut;
  };

  class ShortFile : public CFile {
   public:
    ShortFile(std::unique_ptr<CFile> file, size_t limit) : m_file(std::move(file)), m_left(limit) {}
    bool GetLength(uint64_t& length) override { return m_file->GetLength(length); }
    bool GetPosition(uint64_t& position) override { return m_file->GetPosition(position); }
    bool Seek(uint64_t position) override { return m_file->Seek(position); }
    size_t Read(void* buffer, size_t count) override {
      const size_t got = m_file->Read(buffer, std::min(count, m_left));
      m_left -= got;
      return got;
    }

   private:
    std::unique_ptr<CFile> m_file;
    size_t m_left;
  };
};
