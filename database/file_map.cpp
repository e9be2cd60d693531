#include "database/file_map.h"

CFileInfo* CFileMap::Lookup(std::string_view key) const {
  const auto it = m_index.find(key);
  return it == m_index.end() ? nullptr : m_records[it->second].get();
}

size_t CFileMap::SlotOf(std::string_view key) const {
  const auto it = m_index.find(key);
  return it == m_index.end() ? m_records.size() : it->second;
}

std::unique_ptr<CFileInfo> CFileMap::Insert(std::unique_ptr<CFileInfo> record) {
  ++m_generation;
  const auto it = m_index.find(record->m_strPath);
  if (it == m_index.end()) {
    m_index.emplace(std::string_view(record->m_strPath), m_records.size());
    m_records.push_back(std::move(record));
    return nullptr;
  }
  // The old key view dies with the old record; re-key the slot.
  const size_t slot = it->second;
  m_index.erase(it);
  m_index.emplace(std::string_view(record->m_strPath), slot);
  std::swap(m_records[slot], record);
  return record;
}

void CFileMap::reserve(size_t n) {
  m_records.reserve(n);
  m_index.reserve(n);
}

void CFileMap::clear() {
  ++m_generation;
  m_index.clear();
  m_records.clear();
}
