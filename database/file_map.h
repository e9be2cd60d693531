// The document's file records, keyed by full path (case-sensitive). Records
// are owned here and never move, so list rows can hold plain pointers. The
// map keeps insertion order: saving walks it, so a database loads and saves
// back byte for byte, and the launcher's ordering index can work from slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "database/file_info.h"

class CFileMap {
 public:
  using Records = std::vector<std::unique_ptr<CFileInfo>>;

  CFileMap() = default;
  CFileMap(const CFileMap&) = delete;
  CFileMap& operator=(const CFileMap&) = delete;

  CFileInfo* Lookup(std::string_view key) const;
  // The record's slot (its place in insertion order), or size() if absent.
  size_t SlotOf(std::string_view key) const;

  // Adds a record under its m_strPath. A record already under that key is
  // replaced in its slot and handed back to the caller.
  std::unique_ptr<CFileInfo> Insert(std::unique_ptr<CFileInfo> record);

  size_t size() const { return m_records.size(); }
  bool empty() const { return m_records.empty(); }
  Records::const_iterator begin() const { return m_records.begin(); }
  Records::const_iterator end() const { return m_records.end(); }
  CFileInfo* at(size_t slot) const { return m_records[slot].get(); }

  void reserve(size_t n);
  void clear();

  // Changes whenever a record is added or replaced, or a record's searchable
  // text changes (MarkTextChanged), so derived indexes know to rebuild.
  uint64_t generation() const { return m_generation; }
  void MarkTextChanged() { ++m_generation; }

 private:
  uint64_t m_generation = 0;
  Records m_records;
  // Keys are views into each record's own path.
  std::unordered_map<std::string_view, size_t> m_index;
};
