// The launcher's filter, built to stay instant with a million files: the
// case-folded text the current mode searches sits in contiguous buffers, so
// a query is a few linear scans of bytes; and the launcher's order is kept
// as an index, so a run is one pass with no sort per keystroke. What a mode
// does not search is not kept: switching modes builds the new texts once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/file_map.h"
#include "framework/archive.h"
#include "launcher/query_match.h"
#include "launcher/search_text.h"
#include "resultlist/launcher_order.h"

class CFileInfo;
class CVelnorDoc;

class CFileFilter {
 public:
  explicit CFileFilter(CVelnorDoc& doc) : m_doc(doc) {}
  CFileFilter(const CFileFilter&) = delete;
  CFileFilter& operator=(const CFileFilter&) = delete;

  // Every present record that matches the query as typed, in launcher order.
  // Takes the document's lock for the run.
  std::vector<const CFileInfo*> Run(std::string_view query, const MatchOptions& options);

  // Brings the indexes and the texts of `options`' mode up to date with the
  // records, so that the next run finds them built: called right after a
  // refresh, not at the user's first keystroke.
  void Prepare(const MatchOptions& options);

  // One accepted launch of `record` at `now`: the document counts it, and
  // the record moves to its new place in the order.
  void RecordLaunch(const CFileInfo& record, VelnorTime now);

  // The buffers a query in the mode last used scans, for measuring.
  std::vector<std::string_view> SearchedTexts() const;

 private:
  // Everything below runs under the document's lock, on the map it hands out.
  std::vector<const CFileInfo*> Run(const CFileMap& files, std::vector<uint32_t> changed, std::string_view query,
                                    const MatchOptions& options);
  void UsageChanged(const CFileMap& files, const CFileInfo& record);
  // `changed`: the slots whose text changed since the last refresh.
  void Refresh(const CFileMap& files, std::vector<uint32_t> changed);
  void RebuildAll(const CFileMap& files);
  void AppendSlots(const CFileMap& files, size_t from);
  void PrepareTexts(const CFileMap& files, const MatchOptions& options);
  void SortWholeOrder(const CFileMap& files);
  void InsertIntoOrder(const CFileMap& files, uint32_t slot);
  void RemoveFromOrder(uint32_t slot);
  void RebuildPresent(const CFileMap& files);
  LauncherOrderKey KeyOf(const CFileMap& files, uint32_t slot);
  bool OrderBefore(const CFileMap& files, uint32_t a, uint32_t b);
  int CompareTitles(const CFileMap& files, uint32_t a, uint32_t b);

  // Matching: each term stamps the slots it matches among those the terms
  // before it matched.
  void MatchTerm(std::string_view term, bool first, bool fullPath);
  void ScanNames(std::string_view term, bool required);
  void ScanFolders(std::string_view term, bool required, uint32_t stamp);
  bool SlotContains(uint32_t slot, std::string_view term, bool fullPath) const;
  // Whether this term may take the slot: not yet taken by it and, when
  // `required`, matched by every term before.
  bool Stampable(uint32_t slot, bool required) const {
    return !Has(m_matchedNow, slot) && (!required || Has(m_matchedBefore, slot));
  }
  void Stamp(uint32_t slot) { m_matchedNow[slot / 64] |= uint64_t{1} << (slot % 64); }
  static bool Has(const std::vector<uint64_t>& bits, uint32_t slot) {
    return (bits[slot / 64] >> (slot % 64)) & 1;
  }

  CVelnorDoc& m_doc;
  // What the indexes were built from.
  uint64_t m_structure = ~uint64_t{0};
  uint64_t m_textGeneration = ~uint64_t{0};
  uint64_t m_foundGeneration = ~uint64_t{0};
  size_t m_slots = 0;
  bool m_presentStale = true;

  NameTexts m_names;
  FolderTexts m_folders;                 // only while the full-path mode is in use
  std::vector<uint32_t> m_order;         // slots in launcher order
  std::vector<uint32_t> m_rank;          // slot -> place in m_order
  std::vector<uint32_t> m_present;       // found slots in launcher order
  // A bit per slot: matched by the term in hand, and by every term before.
  std::vector<uint64_t> m_matchedNow;
  std::vector<uint64_t> m_matchedBefore;
  // Per folder entry, the stamp of the last term it matched: a new stamp
  // per term saves clearing the marks on every keystroke.
  std::vector<uint32_t> m_folderMark;
  std::vector<uint32_t> m_folderEdge;
  uint32_t m_stamp = 0;
  std::vector<uint32_t> m_candidates;    // slots matching every term so far
  std::vector<uint64_t> m_hitBits;
  std::string m_titleA, m_titleB;        // folded titles, for comparing two
};
