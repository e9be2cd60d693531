#include "launcher/file_filter.h"

#include <algorithm>
#include <utility>

#include "database/velnor_doc.h"
#include "framework/match_fold.h"
#include "framework/env.h"
#include "framework/substring_search.h"
#include "resultlist/launcher_order.h"

namespace {

// More changed slots than this (the first scan after a load names every
// record) and the order is sorted again rather than moved slot by slot.
constexpr size_t kFewChangedSlots = 256;

// Folds enough of a title for its first 16 folded bytes: most titles fold
// whole within their first 64 bytes. Folding may drop code points (the
// marks of a decomposed letter) and may still change the last code point it
// wrote (a mark that follows joins the letter before it), so a cut prefix
// is used only when its fold holds 16 bytes ahead of a last code point of
// at most 4; otherwise all of the title is folded. False when `out` does
// not hold all of the folded title.
bool FoldTitlePrefix(std::string_view title, std::string& out) {
  size_t cut = std::min<size_t>(title.size(), 64);
  while (cut > 0 && cut < title.size() && (static_cast<unsigned char>(title[cut]) & 0xC0) == 0x80) --cut;
  out.clear();
  AppendMatchFolded(out, title.substr(0, cut));
  if (cut == title.size()) return true;
  if (out.size() >= 20) return false;
  out.clear();
  AppendMatchFolded(out, title);
  return true;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// An entry without the zero byte that ends it.
std::string_view Unterminated(std::string_view entry) { return entry.substr(0, entry.empty() ? 0 : entry.size() - 1); }

}  // namespace

void CFileFilter::Refresh(const CFileMap& files, std::vector<uint32_t> changed) {
  // Past about an eighth of the map new (a few dozen at least, so that a
  // small map is not rebuilt for every new file), indexing afresh costs less
  // than adding the new slots one by one.
  if (m_structure != files.structureGeneration() || m_textGeneration != files.textGeneration() ||
      files.size() < m_slots || files.size() - m_slots > files.size() / 8 + 64 || changed.size() > kFewChangedSlots) {
    RebuildAll(files);
  } else {
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    for (const uint32_t slot : changed) {
      if (slot >= m_slots || m_order.size() != m_slots) continue;  // new slots are appended below
      RemoveFromOrder(slot);
      InsertIntoOrder(files, slot);
    }
    if (!changed.empty()) {
      // A new text may be longer than the old: the texts are built again
      // when next needed.
      m_names.clear();
      m_folders.clear();
      m_presentStale = true;
    }
    if (files.size() > m_slots) AppendSlots(files, m_slots);  // a few new files, as a rescan finds them
  }
  if (m_foundGeneration != files.foundGeneration() || m_presentStale) RebuildPresent(files);
}

void CFileFilter::RebuildAll(const CFileMap& files) {
  m_structure = files.structureGeneration();
  m_textGeneration = files.textGeneration();
  m_names.clear();
  m_folders.clear();
  m_order.clear();
  m_rank.clear();
  m_slots = 0;
  AppendSlots(files, 0);
}

void CFileFilter::AppendSlots(const CFileMap& files, size_t from) {
  const size_t n = files.size();
  for (size_t slot = from; slot < n; ++slot) {
    if (m_names.built) m_names.Append(*files.at(slot));
    if (m_folders.built) m_folders.Append(*files.at(slot));
  }
  m_slots = n;
  m_presentStale = true;

  if (from == 0) {
    SortWholeOrder(files);
    return;
  }
  m_rank.resize(n);
  for (size_t slot = from; slot < n; ++slot) InsertIntoOrder(files, static_cast<uint32_t>(slot));
}

void CFileFilter::SortWholeOrder(const CFileMap& files) {
  // Compact keys are sorted rather than a million records chased through
  // the cache for every comparison. Longer titles that agree in their first
  // 16 folded bytes are ordered afterwards, run by run, so only the titles
  // of one run are ever folded and held at once.
  const size_t n = files.size();
  std::vector<LauncherOrderKey> keys(n);
  for (size_t slot = 0; slot < n; ++slot) keys[slot] = KeyOf(files, static_cast<uint32_t>(slot));
  const auto byKey = [](const LauncherOrderKey& a, const LauncherOrderKey& b) {
    if (const int c = CompareOrderKeys(a, b)) return c < 0;
    return a.slot < b.slot;
  };
  std::sort(keys.begin(), keys.end(), byKey);
  FoldedEntries titles;
  std::vector<uint32_t> run;
  for (size_t first = 0; first < n;) {
    size_t last = first + 1;
    while (last < n && CompareOrderKeys(keys[first], keys[last]) == 0) ++last;
    if (last - first > 1) {
      titles.clear();
      run.clear();
      for (size_t i = first; i < last; ++i) {
        AppendMatchFolded(titles.text, files.at(keys[i].slot)->Title());
        titles.starts.push_back(static_cast<uint32_t>(titles.text.size()));
        run.push_back(static_cast<uint32_t>(i - first));
      }
      std::sort(run.begin(), run.end(), [&](uint32_t a, uint32_t b) {
        if (const int c = titles.Entry(a).compare(titles.Entry(b))) return c < 0;
        return keys[first + a].slot < keys[first + b].slot;
      });
      for (size_t i = 0; i < run.size(); ++i) run[i] = keys[first + run[i]].slot;
      for (size_t i = 0; i < run.size(); ++i) keys[first + i].slot = run[i];
    }
    first = last;
  }
  m_order.resize(n);
  for (size_t i = 0; i < n; ++i) m_order[i] = keys[i].slot;
  std::vector<LauncherOrderKey>().swap(keys);
  m_rank.resize(n);
  for (size_t i = 0; i < n; ++i) m_rank[m_order[i]] = static_cast<uint32_t>(i);
}

void CFileFilter::InsertIntoOrder(const CFileMap& files, uint32_t slot) {
  const auto to = std::lower_bound(m_order.begin(), m_order.end(), slot,
                                   [&](uint32_t a, uint32_t b) { return OrderBefore(files, a, b); });
  const size_t at = static_cast<size_t>(to - m_order.begin());
  m_order.insert(to, slot);
  for (size_t i = at; i < m_order.size(); ++i) m_rank[m_order[i]] = static_cast<uint32_t>(i);
}

void CFileFilter::RemoveFromOrder(uint32_t slot) {
  m_order.erase(m_order.begin() + m_rank[slot]);
  for (size_t i = m_rank[slot]; i < m_order.size(); ++i) m_rank[m_order[i]] = static_cast<uint32_t>(i);
}

void CFileFilter::RebuildPresent(const CFileMap& files) {
  m_foundGeneration = files.foundGeneration();
  m_presentStale = false;
  size_t found = 0;
  for (const CFileInfo* record : files) found += record->Found() ? 1 : 0;
  std::vector<uint32_t>().swap(m_present);
  m_present.reserve(found);  // exactly: a million rows grown by doubling would hold twice that
  for (const uint32_t slot : m_order) {
    if (files.at(slot)->Found()) m_present.push_back(slot);
  }
}

void CFileFilter::PrepareTexts(const CFileMap& files, const MatchOptions& options) {
  if (!m_names.built || m_names.mp3 != options.mp3Support) m_names.Build(files, options.mp3Support);
  if (!options.searchFullPath) {
    // Out of the full-path mode, its folder texts are memory for nothing.
    m_folders.clear();
    std::vector<uint32_t>().swap(m_folderMark);
    std::vector<uint32_t>().swap(m_folderEdge);
    return;
  }
  if (!m_folders.built) m_folders.Build(files);
  m_folderMark.resize(m_folders.entries.size(), 0);
  m_folderEdge.resize(m_folders.entries.size(), 0);
}

LauncherOrderKey CFileFilter::KeyOf(const CFileMap& files, uint32_t slot) {
  const CFileInfo& record = *files.at(slot);
  const bool whole = FoldTitlePrefix(record.Title(), m_titleA);
  return MakeLauncherOrderKey(record, m_titleA, slot, whole);
}

int CFileFilter::CompareTitles(const CFileMap& files, uint32_t a, uint32_t b) {
  m_titleA.clear();
  AppendMatchFolded(m_titleA, files.at(a)->Title());
  m_titleB.clear();
  AppendMatchFolded(m_titleB, files.at(b)->Title());
  return m_titleA.compare(m_titleB);
}

bool CFileFilter::OrderBefore(const CFileMap& files, uint32_t a, uint32_t b) {
  const LauncherOrderKey keyA = KeyOf(files, a);
  const LauncherOrderKey keyB = KeyOf(files, b);
  return LauncherOrderBefore(keyA, keyB, [&](uint32_t x, uint32_t y) { return CompareTitles(files, x, y); });
}

void CFileFilter::UsageChanged(const CFileMap& files, const CFileInfo& record) {
  const size_t slot = files.SlotOf(record.Path());
  if (slot >= m_slots || m_order.size() != m_slots) return;  // the next run rebuilds anyway
  RemoveFromOrder(static_cast<uint32_t>(slot));
  InsertIntoOrder(files, static_cast<uint32_t>(slot));
  m_presentStale = true;
}

void CFileFilter::ScanNames(std::string_view term, bool required) {
  // One pass over the whole buffer; after a hit, skip to the next slot.
  const FoldedEntries& names = m_names.entries;
  if (term.size() == 1) {
    // The entries holding the letter land in the candidates, which then
    // keep those the terms before also matched.
    const size_t before = m_candidates.size();  // those the folders matched
    EntriesWithByte(names.text, names.starts, term[0], m_candidates);
    size_t kept = before;
    for (size_t i = before; i < m_candidates.size(); ++i) {
      const uint32_t slot = m_candidates[i];
      if (Stampable(slot, required)) {
        Stamp(slot);
        m_candidates[kept++] = slot;
      }
    }
    m_candidates.resize(kept);
    return;
  }
  const size_t slots = names.size();
  size_t slot = 0;
  size_t pos = 0;
  while ((pos = FindSubstring(names.text, term, pos)) != std::string_view::npos) {
    slot = names.EntryHolding(slot, pos);
    if (Stampable(static_cast<uint32_t>(slot), required)) {
      Stamp(static_cast<uint32_t>(slot));
      m_candidates.push_back(static_cast<uint32_t>(slot));
    }
    if (++slot >= slots) break;
    pos = names.starts[slot];
  }
}

void CFileFilter::ScanFolders(std::string_view term, bool required, uint32_t stamp) {
  // Many files share a folder: its text is searched once, not once per file.
  const FoldedEntries& folders = m_folders.entries;
  bool any = false;
  size_t entry = 0;
  size_t pos = 0;
  while ((pos = FindSubstring(folders.text, term, pos)) != std::string_view::npos) {
    entry = folders.EntryHolding(entry, pos);
    m_folderMark[entry] = stamp;
    any = true;
    if (++entry >= folders.size()) break;
    pos = folders.starts[entry];
  }
  // A match that runs from the folder into the name covers the separator
  // between them, the last one in the term: the folder part must end with
  // what comes up to it, the name begin with the rest.
  const size_t separator = term.rfind(kPathSeparator);
  const std::string_view head = separator == std::string_view::npos ? std::string_view() : term.substr(0, separator + 1);
  const std::string_view tail = separator == std::string_view::npos ? std::string_view() : term.substr(separator + 1);
  if (!tail.empty()) {
    for (size_t i = 0; i < folders.size(); ++i) {
      if (EndsWith(Unterminated(folders.Entry(i)), head)) {
        m_folderEdge[i] = stamp;
        any = true;
      }
    }
  }
  if (!any) return;
  const std::vector<uint32_t>& folderOf = m_folders.folderOf;
  for (uint32_t slot = 0; slot < folderOf.size(); ++slot) {
    if (!Stampable(slot, required)) continue;
    const uint32_t folder = folderOf[slot];
    if (m_folderMark[folder] == stamp ||
        (m_folderEdge[folder] == stamp && m_names.entries.Entry(slot).substr(0, tail.size()) == tail)) {
      Stamp(slot);
      m_candidates.push_back(slot);
    }
  }
}

bool CFileFilter::SlotContains(uint32_t slot, std::string_view term, bool fullPath) const {
  const std::string_view own = m_names.entries.Entry(slot);
  if (FindSubstring(own, term) != std::string_view::npos) return true;
  if (!fullPath) return false;
  const std::string_view folder = m_folders.entries.Entry(m_folders.folderOf[slot]);
  if (FindSubstring(folder, term) != std::string_view::npos) return true;
  const size_t separator = term.rfind(kPathSeparator);
  if (separator == std::string_view::npos) return false;
  return EndsWith(Unterminated(folder), term.substr(0, separator + 1)) &&
         own.substr(0, term.size() - separator - 1) == term.substr(separator + 1);
}

void CFileFilter::MatchTerm(std::string_view term, bool first, bool fullPath) {
  const bool required = !first;
  const uint32_t stamp = ++m_stamp;
  if (!first && m_candidates.size() * 16 < m_slots) {
    // Few candidates left (under one slot in sixteen): looking inside each
    // one's own text costs less than a pass over the whole buffer.
    size_t kept = 0;
    for (const uint32_t slot : m_candidates) {
      if (SlotContains(slot, term, fullPath)) m_candidates[kept++] = slot;
    }
    m_candidates.resize(kept);
    return;
  }
  // What this term matches starts empty; what the terms before matched is
  // what the last one left.
  m_matchedBefore.swap(m_matchedNow);
  m_matchedNow.assign((m_slots + 63) / 64, 0);
  m_candidates.clear();
  if (fullPath) ScanFolders(term, required, stamp);
  ScanNames(term, required);
}

std::vector<const CFileInfo*> CFileFilter::Run(std::string_view query, const MatchOptions& options) {
  std::vector<const CFileInfo*> rows;
  m_doc.VisitFilesAndChanges([&](const CFileMap& files, std::vector<uint32_t> changed) {
    rows = Run(files, std::move(changed), query, options);
  });
  return rows;
}

void CFileFilter::Prepare(const MatchOptions& options) {
  m_doc.VisitFilesAndChanges([&](const CFileMap& files, std::vector<uint32_t> changed) {
    Refresh(files, std::move(changed));
    PrepareTexts(files, options);
  });
}

void CFileFilter::RecordLaunch(const CFileInfo& record, VelnorTime now) {
  m_doc.RecordLaunch(record, now, [&](const CFileMap& files) { UsageChanged(files, record); });
}

std::vector<std::string_view> CFileFilter::SearchedTexts() const {
  std::vector<std::string_view> texts{m_names.entries.text};
  if (m_folders.built) texts.push_back(m_folders.entries.text);
  return texts;
}

std::vector<const CFileInfo*> CFileFilter::Run(const CFileMap& files, std::vector<uint32_t> changed,
                                               std::string_view query, const MatchOptions& options) {
  Refresh(files, std::move(changed));
  std::vector<const CFileInfo*> rows;

  // Folded once per query, as the texts were when they were built; empty
  // terms match everything and zero bytes cannot be typed into a match, so
  // both drop out. The longest term goes first: it is usually the rarest
  // and leaves the fewest candidates.
  std::vector<std::string> terms;
  FoldedQueryTerms(query, terms);
  std::vector<std::string> folded;
  for (std::string& f : terms) {
    f.erase(std::remove(f.begin(), f.end(), '\0'), f.end());
    if (!f.empty() && std::find(folded.begin(), folded.end(), f) == folded.end()) folded.push_back(std::move(f));
  }
  std::stable_sort(folded.begin(), folded.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });

  if (folded.empty()) {
    rows.resize(m_present.size());
    std::transform(m_present.begin(), m_present.end(), rows.begin(), [&](uint32_t slot) { return files.at(slot); });
    return rows;
  }

  PrepareTexts(files, options);
  // Each term marks folders with a new 32-bit stamp: before the stamps wrap
  // round the marks are cleared, so an old mark never passes for a new one.
  if (m_stamp > 0xFFFFFF00u) {
    std::fill(m_folderMark.begin(), m_folderMark.end(), 0);
    std::fill(m_folderEdge.begin(), m_folderEdge.end(), 0);
    m_stamp = 0;
  }
  for (size_t i = 0; i < folded.size() && (i == 0 || !m_candidates.empty()); ++i) {
    MatchTerm(folded[i], i == 0, options.searchFullPath);
  }

  if (m_candidates.size() * 16 < files.size()) {
    std::sort(m_candidates.begin(), m_candidates.end(), [this](uint32_t a, uint32_t b) { return m_rank[a] < m_rank[b]; });
    for (const uint32_t slot : m_candidates) {
      const CFileInfo* record = files.at(slot);
      if (record->Found()) rows.push_back(record);
    }
    return rows;
  }
  // Many rows: walk the present ones in order. A bit per slot (128 KB for a
  // million) stays in the processor's cache where the marks would not.
  m_hitBits.assign((m_slots + 63) / 64, 0);
  for (const uint32_t slot : m_candidates) m_hitBits[slot / 64] |= uint64_t{1} << (slot % 64);
  rows.reserve(m_candidates.size());
  for (const uint32_t slot : m_present) {
    if (m_hitBits[slot / 64] & (uint64_t{1} << (slot % 64))) rows.push_back(files.at(slot));
  }
  return rows;
}
