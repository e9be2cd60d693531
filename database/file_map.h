// The document's file records, keyed by full path (case-sensitive). Records
// live in fixed blocks owned here and never move, so list rows can hold
// plain pointers, and a slot's record is found by arithmetic, with no table
// of pointers to read. The paths live in the map's text arena. The map keeps
// insertion order: saving walks it, so a database loads and saves back byte
// for byte, and the launcher's ordering index can work from slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "database/file_info.h"
#include "database/text_arena.h"

class CFileMap {
 public:
  // Records outside any map (each owns its path), as tools and tests make them.
  using Records = std::vector<std::unique_ptr<CFileInfo>>;

  CFileMap() = default;
  CFileMap(const CFileMap&) = delete;
  CFileMap& operator=(const CFileMap&) = delete;

  // A const map hands out const records: only the document, which holds
  // its map under its lock, gets to change one.
  const CFileInfo* Lookup(std::string_view key) const;
  CFileInfo* Lookup(std::string_view key);
  // The record's slot (its place in insertion order), or size() if absent.
  size_t SlotOf(std::string_view key) const;

  // A new record at the end for `path`, which no record has yet.
  CFileInfo* Add(std::string_view path);
  // Adds a record under its path, the map taking over its fields. A record
  // already under that key takes the new fields in its slot; its old fields
  // are handed back to the caller as a record of their own.
  std::unique_ptr<CFileInfo> Insert(std::unique_ptr<CFileInfo> record);
  // Adds many records as Insert would, one after the other; the old fields
  // of records met again are appended to `replaced`.
  void InsertAll(Records records, Records& replaced);

  // For a load, which makes records in place: the text arena keeps the file's
  // bytes (keys are views into them), NextSlot is the record after the last,
  // AppendUnindexed counts it under `path` (kept by the arena), and
  // IndexAppended then indexes every record appended since slot `first`,
  // as InsertAll would have added them one by one.
  std::string_view KeepText(std::string bytes) { return m_texts.Keep(std::move(bytes)); }
  std::string_view CopyText(std::string_view text) { return m_texts.Add(text); }
  CFileInfo& NextSlot();
  void AppendUnindexed(std::string_view path);
  void IndexAppended(size_t first, Records& replaced);

  // The one shared copy of a shell type name.
  const std::string* InternType(std::string_view type);

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = const CFileInfo*;
    using difference_type = std::ptrdiff_t;
    using pointer = const CFileInfo* const*;
    using reference = const CFileInfo*;
    const_iterator(const CFileMap* map, size_t slot) : m_map(map), m_slot(slot) {}
    const CFileInfo* operator*() const { return m_map->at(m_slot); }
    const_iterator& operator++() {
      ++m_slot;
      return *this;
    }
    bool operator==(const const_iterator& other) const { return m_slot == other.m_slot; }
    bool operator!=(const const_iterator& other) const { return m_slot != other.m_slot; }

   private:
    const CFileMap* m_map;
    size_t m_slot;
  };

  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, m_size); }
  const CFileInfo* at(size_t slot) const { return &m_blocks[slot >> kBlockBits][slot & kBlockMask]; }
  CFileInfo* at(size_t slot) { return &m_blocks[slot >> kBlockBits][slot & kBlockMask]; }

  void reserve(size_t n);
  void clear();
  // Empties the map and hands its records over in slot order, so a tool can
  // give them new keys and insert them again.
  Records TakeAll();

  // Counters that tell derived indexes what to rebuild. Adding a record only
  // grows size(); replacing or clearing changes the structure; a change to
  // every record's order (usage merged from another copy) calls
  // MarkTextChanged(), and a scan that flips found flags MarkFoundChanged.
  // A scan that gives one record new searchable text (its name, the first
  // time a scan sees it after a load; its tag) tells its slot, and the
  // launcher's filter takes those slots and updates only them: the first
  // scan after a load names every record, and a full rebuild then would
  // fall on the user's first keystroke.
  uint64_t structureGeneration() const { return m_structureGeneration; }
  uint64_t textGeneration() const { return m_textGeneration; }
  uint64_t foundGeneration() const { return m_foundGeneration; }
  void MarkTextChanged() { ++m_textGeneration; }
  void MarkFoundChanged() { ++m_foundGeneration; }
  void MarkTextChanged(size_t slot) { m_changedSlots.push_back(static_cast<uint32_t>(slot)); }
  // The slots told since the last call (one reader takes them).
  std::vector<uint32_t> TakeTextChangedSlots() { return std::exchange(m_changedSlots, {}); }

 private:
  static constexpr unsigned kBlockBits = 12;
  static constexpr size_t kBlockMask = (size_t{1} << kBlockBits) - 1;

  // The record's fields, path included, move to `to`; `from` is left empty.
  void MoveRecord(CFileInfo& to, CFileInfo& from);
  // Every field but the path (the tag moves).
  static void TakeFields(CFileInfo& to, CFileInfo& from);
  // Empty, as a record is made.
  static void ResetRecord(CFileInfo& record);
  std::unique_ptr<CFileInfo> Detach(CFileInfo& record);
  void RemoveSlots(const std::vector<size_t>& dead);

  uint64_t m_structureGeneration = 0;
  uint64_t m_textGeneration = 0;
  uint64_t m_foundGeneration = 0;
  std::vector<std::unique_ptr<CFileInfo[]>> m_blocks;
  size_t m_size = 0;
  CTextArena m_texts;
  std::set<std::string, std::less<>> m_types;
  std::vector<uint32_t> m_changedSlots;

  // The key index: open addressing over slots. An entry holds its record's
  // slot + 1 (0: empty) and the key's 32-bit hash, so growing never rereads a
  // key and a probe reads a record's path only when the hashes agree: about
  // one cache miss per lookup.
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
  void ReindexAll();
  std::vector<IndexEntry> m_index;
};
