#include "database/file_map.h"

#include <functional>

#if defined(_MSC_VER) && !defined(__clang__)
#include <xmmintrin.h>
#endif

namespace {

// The index stays at most half full: short probe runs, a rehash only when
// the record count doubles.
constexpr unsigned kMinIndexBits = 4;

size_t CapacityFor(size_t records) {
  size_t capacity = size_t{1} << kMinIndexBits;
  while (capacity < records * 2) capacity *= 2;
  return capacity;
}

// A hint to the processor that `p` is read soon; nothing else happens.
inline void PrefetchForRead(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p);
#elif defined(_MSC_VER)
  _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0);
#endif
}

}  // namespace

uint32_t CFileMap::HashOf(std::string_view key) {
  const uint64_t h = std::hash<std::string_view>()(key);
  return static_cast<uint32_t>(h ^ (h >> 32));
}

size_t CFileMap::HomeOf(uint32_t hash) const {
  // Fibonacci hashing spreads all of the hash over the table.
  return (hash * 2654435769u) >> (32 - m_indexBits);
}

size_t CFileMap::Probe(std::string_view key, uint32_t hash) const {
  const size_t mask = m_index.size() - 1;
  for (size_t i = HomeOf(hash);; i = (i + 1) & mask) {
    const IndexEntry& entry = m_index[i];
    if (entry.slotPlusOne == 0) return i;
    if (entry.hash == hash && m_records[entry.slotPlusOne - 1]->m_strPath == key) return i;
  }
}

void CFileMap::Rehash(size_t capacity) {
  std::vector<IndexEntry> old;
  old.swap(m_index);
  m_index.assign(capacity, IndexEntry{0, 0});
  m_indexBits = 0;
  while ((size_t{1} << m_indexBits) < capacity) ++m_indexBits;
  const size_t mask = capacity - 1;
  for (const IndexEntry& entry : old) {
    if (entry.slotPlusOne == 0) continue;
    size_t i = HomeOf(entry.hash);
    while (m_index[i].slotPlusOne != 0) i = (i + 1) & mask;
    m_index[i] = entry;
  }
}

CFileInfo* CFileMap::Lookup(std::string_view key) const {
  if (m_index.empty()) return nullptr;
  const IndexEntry& entry = m_index[Probe(key, HashOf(key))];
  return entry.slotPlusOne == 0 ? nullptr : m_records[entry.slotPlusOne - 1].get();
}

size_t CFileMap::SlotOf(std::string_view key) const {
  if (m_index.empty()) return m_records.size();
  const IndexEntry& entry = m_index[Probe(key, HashOf(key))];
  return entry.slotPlusOne == 0 ? m_records.size() : entry.slotPlusOne - 1;
}

std::unique_ptr<CFileInfo> CFileMap::Insert(std::unique_ptr<CFileInfo> record) {
  if (m_index.size() < (m_records.size() + 1) * 2) Rehash(CapacityFor(m_records.size() + 1));
  const uint32_t hash = HashOf(record->m_strPath);
  IndexEntry& entry = m_index[Probe(record->m_strPath, hash)];
  if (entry.slotPlusOne == 0) {
    entry = IndexEntry{static_cast<uint32_t>(m_records.size() + 1), hash};
    m_records.push_back(std::move(record));
    return nullptr;
  }
  // Same key, same hash: the entry stays; only the record in its slot changes.
  ++m_structureGeneration;
  std::swap(m_records[entry.slotPlusOne - 1], record);
  return record;
}

void CFileMap::InsertAll(Records records, Records& replaced) {
  if (records.empty()) return;
  reserve(m_records.size() + records.size());
  std::vector<uint32_t> hashes(records.size());
  for (size_t i = 0; i < records.size(); ++i) hashes[i] = HashOf(records[i]->m_strPath);
  // Asking for the entries a few records ahead lets their cache misses
  // overlap: a load of a million records spends much of its time here.
  constexpr size_t kAhead = 16;
  for (size_t i = 0; i < records.size(); ++i) {
    if (i + kAhead < records.size()) PrefetchForRead(&m_index[HomeOf(hashes[i + kAhead])]);
    IndexEntry& entry = m_index[Probe(records[i]->m_strPath, hashes[i])];
    if (entry.slotPlusOne == 0) {
      entry = IndexEntry{static_cast<uint32_t>(m_records.size() + 1), hashes[i]};
      m_records.push_back(std::move(records[i]));
    } else {
      ++m_structureGeneration;
      std::swap(m_records[entry.slotPlusOne - 1], records[i]);
      replaced.push_back(std::move(records[i]));
    }
  }
}

void CFileMap::reserve(size_t n) {
  m_records.reserve(n);
  if (m_index.size() < n * 2) Rehash(CapacityFor(n));
}

void CFileMap::clear() {
  ++m_structureGeneration;
  m_index.clear();
  m_indexBits = 0;
  m_records.clear();
}

CFileMap::Records CFileMap::TakeAll() {
  Records records;
  records.swap(m_records);
  clear();
  return records;
}
