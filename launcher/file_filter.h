// The launcher's filter, built to stay instant with a million files: the
// case-folded text of every record sits in one contiguous buffer, built once
// per change of the records, so a query is a few linear scans of bytes; and
// the launcher's order is kept as an index, so a run is one pass with no
// sort per keystroke.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/file_map.h"
#include "framework/archive.h"
#include "launcher/query_match.h"
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
  std::vector<CFileInfo*> Run(std::string_view query, const MatchOptions& options);

  // One accepted launch of `record` at `now`: the document counts it, and
  // the record moves to its new place in the order.
  void RecordLaunch(CFileInfo& record, VelnorTime now);

 private:
  // The folded text of every record, in slot order: the name (or path),
  // then for tagged files in MP3 mode each tag field, each ended by a zero
  // byte so no match can run from one field into the next.
  struct SearchText {
    bool built = false;
    std::string text;
    std::vector<uint32_t> starts;  // slot i's text is [starts[i], starts[i + 1])
  };
  struct PresentRow {
    uint32_t slot;
    CFileInfo* record;
  };

  // Everything below runs under the document's lock, on the map it hands out.
  std::vector<CFileInfo*> Run(const CFileMap& files, std::string_view query, const MatchOptions& options);
  void UsageChanged(const CFileMap& files, const CFileInfo& record);
  void Refresh(const CFileMap& files);
  void RebuildAll(const CFileMap& files);
  void AppendSlots(const CFileMap& files, size_t from);
  void AppendText(SearchText& text, const CFileInfo& record, int mode) const;
  const SearchText& TextFor(const CFileMap& files, const MatchOptions& options);
  void InsertIntoOrder(const CFileMap& files, uint32_t slot);
  void RebuildPresent(const CFileMap& files);
  LauncherOrderKey KeyOf(const CFileMap& files, uint32_t slot) const;
  bool OrderBefore(const CFileMap& files, uint32_t a, uint32_t b) const;
  std::string_view Title(uint32_t slot) const;
  void MatchTerm(const SearchText& text, std::string_view term, bool first);
  void ScanTerm(const SearchText& text, std::string_view term, uint32_t required);

  CVelnorDoc& m_doc;
  // What the indexes were built from.
  uint64_t m_structure = ~uint64_t{0};
  uint64_t m_textGeneration = ~uint64_t{0};
  uint64_t m_foundGeneration = ~uint64_t{0};
  size_t m_slots = 0;
  bool m_presentStale = true;

  SearchText m_texts[4];                 // by full-path flag * 2 + MP3 flag
  std::string m_titles;                  // folded titles, for the order
  std::vector<uint32_t> m_titleStarts;
  std::vector<uint32_t> m_order;         // slots in launcher order
  std::vector<uint32_t> m_rank;          // slot -> place in m_order
  std::vector<PresentRow> m_present;     // found records in launcher order
  // Per slot, the stamp of the last term it matched; a new stamp per term
  // saves clearing a million flags on every keystroke.
  std::vector<uint32_t> m_mark;
  uint32_t m_stamp = 0;
  std::vector<uint32_t> m_candidates;    // slots matching every term so far
};
