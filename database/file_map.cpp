#include "database/file_map.h"

#include <algorithm>
#include <functional>

#if defined(_MSC_VER) && !defined(__clang__)
#include <xmmintrin.h>
#endif

namespace {

// The index is at most four fifths full: probes stay short (an entry's
// hash is compared before its key is read), and a million keys take about
// 10 MB. It grows by half again, not by doubling, so it never sits nearly
// empty at a size just past a power of two.
size_t CapacityFor(size_t records) { return std::max<size_t>(16, records + records / 4 + 1); }
bool Crowded(size_t capacity, size_t records) { return records > capacity - capacity / 5; }
size_t GrownCapacity(size_t records) { return CapacityFor(records + records / 2); }

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
  // Mixed (Fibonacci hashing), then scaled to the table by a multiply: any
  // table size works, with no division.
  const uint32_t mixed = hash * 2654435769u;
  return static_cast<size_t>((uint64_t{mixed} * m_index.size()) >> 32);
}

size_t CFileMap::Probe(std::string_view key, uint32_t hash) const {
  const size_t size = m_index.size();
  for (size_t i = HomeOf(hash);; i = i + 1 == size ? 0 : i + 1) {
    const IndexEntry& entry = m_index[i];
    if (entry.slotPlusOne == 0) return i;
    if (entry.hash == hash && at(entry.slotPlusOne - 1)->Path() == key) return i;
  }
}

void CFileMap::Rehash(size_t capacity) {
  std::vector<IndexEntry> old;
  old.swap(m_index);
  m_index.assign(capacity, IndexEntry{0, 0});
  for (const IndexEntry& entry : old) {
    if (entry.slotPlusOne == 0) continue;
    size_t i = HomeOf(entry.hash);
    while (m_index[i].slotPlusOne != 0) i = i + 1 == capacity ? 0 : i + 1;
    m_index[i] = entry;
  }
}

void CFileMap::ReindexAll() {
  m_index.clear();
  Rehash(CapacityFor(m_size));
  const size_t capacity = m_index.size();
  for (size_t slot = 0; slot < m_size; ++slot) {
    const uint32_t hash = HashOf(at(slot)->Path());
    size_t i = HomeOf(hash);
    while (m_index[i].slotPlusOne != 0) i = i + 1 == capacity ? 0 : i + 1;
    m_index[i] = IndexEntry{static_cast<uint32_t>(slot + 1), hash};
  }
}

const CFileInfo* CFileMap::Lookup(std::string_view key) const {
  if (m_index.empty()) return nullptr;
  const IndexEntry& entry = m_index[Probe(key, HashOf(key))];
  return entry.slotPlusOne == 0 ? nullptr : at(entry.slotPlusOne - 1);
}

CFileInfo* CFileMap::Lookup(std::string_view key) {
  const size_t slot = SlotOf(key);
  return slot == m_size ? nullptr : at(slot);
}

size_t CFileMap::SlotOf(std::string_view key) const {
  if (m_index.empty()) return m_size;
  const IndexEntry& entry = m_index[Probe(key, HashOf(key))];
  return entry.slotPlusOne == 0 ? m_size : entry.slotPlusOne - 1;
}

CFileInfo& CFileMap::NextSlot() {
  // Blocks are made whole (their records constructed) but their pages are
  // only touched as far as records are used.
  if ((m_size >> kBlockBits) >= m_blocks.size()) m_blocks.emplace_back(new CFileInfo[kBlockMask + 1]);
  return *at(m_size);
}

void CFileMap::AppendUnindexed(std::string_view path) {
  NextSlot().ViewPath(path);
  ++m_size;
}

CFileInfo* CFileMap::Add(std::string_view path) {
  if (Crowded(m_index.size(), m_size + 1)) Rehash(GrownCapacity(m_size + 1));
  const uint32_t hash = HashOf(path);
  IndexEntry& entry = m_index[Probe(path, hash)];
  CFileInfo& record = NextSlot();
  record.ViewPath(m_texts.Add(path));
  entry = IndexEntry{static_cast<uint32_t>(m_size + 1), hash};
  ++m_size;
  return &record;
}

void CFileMap::ResetRecord(CFileInfo& record) {
  record.SetKeyPath(std::string_view());
  record.SetType(nullptr);
  record.m_bFound = false;
  record.m_bHasTag = false;
  record.m_nUseCount = 0;
  record.m_nImage = 0;
  record.m_timeLastUsed = 0;
  record.m_pTag.reset();
}

void CFileMap::TakeFields(CFileInfo& to, CFileInfo& from) {
  to.m_nNameLength = from.m_nNameLength;
  to.m_pType = from.m_pType;
  to.m_bFound = from.m_bFound;
  to.m_bHasTag = from.m_bHasTag;
  to.m_nUseCount = from.m_nUseCount;
  to.m_nImage = from.m_nImage;
  to.m_timeLastUsed = from.m_timeLastUsed;
  to.m_pTag = std::move(from.m_pTag);
}

void CFileMap::MoveRecord(CFileInfo& to, CFileInfo& from) {
  // A record's own copy of its path moves into the arena; a view stays one.
  const bool owned = (from.m_nPathLength & CFileInfo::kOwnsPath) != 0;
  to.ViewPath(owned ? m_texts.Add(from.Path()) : from.Path());
  TakeFields(to, from);
  ResetRecord(from);
}

std::unique_ptr<CFileInfo> CFileMap::Detach(CFileInfo& record) {
  auto detached = std::make_unique<CFileInfo>();
  detached->SetKeyPath(record.Path());
  TakeFields(*detached, record);
  return detached;
}

std::unique_ptr<CFileInfo> CFileMap::Insert(std::unique_ptr<CFileInfo> record) {
  Records records, replaced;
  records.push_back(std::move(record));
  InsertAll(std::move(records), replaced);
  return replaced.empty() ? nullptr : std::move(replaced.front());
}

void CFileMap::InsertAll(Records records, Records& replaced) {
  if (records.empty()) return;
  const size_t first = m_size;
  reserve(m_size + records.size());
  for (auto& record : records) {
    MoveRecord(NextSlot(), *record);
    ++m_size;
  }
  IndexAppended(first, replaced);
}

void CFileMap::IndexAppended(size_t first, Records& replaced) {
  if (first >= m_size) return;
  if (Crowded(m_index.size(), m_size)) Rehash(CapacityFor(m_size));
  std::vector<uint32_t> hashes(m_size - first);
  for (size_t slot = first; slot < m_size; ++slot) hashes[slot - first] = HashOf(at(slot)->Path());
  // Asking for the entries a few records ahead lets their cache misses
  // overlap: a load of a million records spends much of its time here.
  constexpr size_t kAhead = 16;
  std::vector<size_t> dead;
  for (size_t slot = first; slot < m_size; ++slot) {
    const uint32_t hash = hashes[slot - first];
    if (slot + kAhead < m_size) PrefetchForRead(&m_index[HomeOf(hashes[slot + kAhead - first])]);
    IndexEntry& entry = m_index[Probe(at(slot)->Path(), hash)];
    if (entry.slotPlusOne == 0) {
      entry = IndexEntry{static_cast<uint32_t>(slot + 1), hash};
      continue;
    }
    // A key met again: its first slot takes the later fields.
    ++m_structureGeneration;
    CFileInfo& held = *at(entry.slotPlusOne - 1);
    replaced.push_back(Detach(held));
    MoveRecord(held, *at(slot));
    dead.push_back(slot);
  }
  if (!dead.empty()) RemoveSlots(dead);
}

void CFileMap::RemoveSlots(const std::vector<size_t>& dead) {
  // The emptied slots go; the records after them move down in order. Their
  // blocks stay allocated, so an emptied record is still an object.
  size_t to = dead.front();
  size_t next = 0;
  bool moved = false;
  for (size_t from = dead.front(); from < m_size; ++from) {
    if (next < dead.size() && dead[next] == from) {
      ++next;
      continue;
    }
    MoveRecord(*at(to++), *at(from));
    moved = true;
  }
  for (size_t slot = to; slot < m_size; ++slot) ResetRecord(*at(slot));
  m_size = to;
  if (moved) ReindexAll();
}

const std::string* CFileMap::InternType(std::string_view type) {
  auto it = m_types.find(type);
  if (it == m_types.end()) it = m_types.emplace(type).first;
  return &*it;
}

void CFileMap::reserve(size_t n) {
  // A map filled in many batches (a tool adding records as it reads them)
  // grows by half at least: an index sized to each batch's end would be
  // rebuilt whole at every batch.
  if (Crowded(m_index.size(), n)) Rehash(CapacityFor(std::max(n, m_size + m_size / 2)));
}

void CFileMap::clear() {
  ++m_structureGeneration;
  m_index.clear();
  m_blocks.clear();
  m_size = 0;
  m_texts.clear();
  m_changedSlots.clear();
}

CFileMap::Records CFileMap::TakeAll() {
  Records records;
  records.reserve(m_size);
  for (size_t slot = 0; slot < m_size; ++slot) records.push_back(Detach(*at(slot)));
  clear();
  return records;
}
