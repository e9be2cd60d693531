// The document's file records, keyed by full path (case-sensitive). Records
// are owned here and never move, so list rows can hold plain pointers. The
// map keeps insertion order: saving walks it, so a database loads and saves
// back byte for byte, and the launcher's ordering index can work from slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
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
  // Adds many records as Insert would, one after the other; the records
  // replaced (by a key met again) are appended to `replaced`. For a large
  // load: keys are hashed in one pass and placed in another, so the index's
  // cache misses overlap instead of stalling on every record.
  void InsertAll(Records records, Records& replaced);

  size_t size() const { return m_records.size(); }
  bool empty() const { return m_records.empty(); }
  Records::const_iterator begin() const { return m_records.begin(); }
  Records::const_iterator end() const { return m_records.end(); }
  CFileInfo* at(size_t slot) const { return m_records[slot].get(); }

  void reserve(size_t n);
  void clear();
  // Empties the map and hands its records over in slot order, so a tool can
  // give them new keys and insert them again.
  Records TakeAll();

  // Counters that tell derived indexes what to rebuild. Adding a record only
  // grows size(); replacing or clearing changes the structure; a scan that
  // gives a record new searchable text (its name after a load, its tag)
  // calls MarkTextChanged, and one that flips found flags MarkFoundChanged.
  uint64_t structureGeneration() const { return m_structureGeneration; }
  uint64_t textGeneration() const { return m_textGeneration; }
  uint64_t foundGeneration() const { return m_foundGeneration; }
  void MarkTextChanged() { ++m_textGeneration; }
  void MarkFoundChanged() { ++m_foundGeneration; }

 private:
  uint64_t m_structureGeneration = 0;
  uint64_t m_textGeneration = 0;
  uint64_t m_foundGeneration = 0;
  Records m_records;
  // The key index: open addressing over slots. An entry holds its record's
  // slot + 1 (0: empty) and the key's 32-bit hash, so growing never rereads a
  // key and a probe reads a record's path only when the hashes agree. A
  // million keys take 16 MB and about one cache miss per lookup.
  struct IndexEntry {
    uint32_t slotPlusOne;
    uint32_t hash;
  };
  static uint32_t HashOf(std::string_view key);
  // Where a key of this hash starts probing.
  size_t HomeOf(uint32_t hash) const;
  // The entry that holds `key`, or the empty one where it would go.
  size_t Probe(std::string_view key, uint32_t hash) const;
  void Rehash(size_t capacity);
  std::vector<IndexEntry> m_index;
  unsigned m_indexBits = 0;
};
