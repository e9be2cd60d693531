#include "launcher/file_filter.h"

#include <algorithm>

#include "database/velnor_doc.h"
#include "framework/case_fold.h"
#include "framework/substring_search.h"
#include "resultlist/launcher_order.h"

namespace {

int ModeIndex(const MatchOptions& options) {
  return (options.searchFullPath ? 2 : 0) + (options.mp3Support ? 1 : 0);
}

void AppendField(std::string& text, std::string_view field) {
  AppendFolded(text, field);
  text += '\0';
}

// The slot whose text holds `pos`, searching forward from `from` (whose
// text starts at or before `pos`): hits come in increasing order, so gallop
// ahead, then search the last stretch.
size_t SlotHolding(const std::vector<uint32_t>& starts, size_t from, size_t pos) {
  size_t bound = from + 1;
  size_t step = 1;
  while (bound < starts.size() && starts[bound] <= pos) {
    from = bound;
    bound += step;
    step *= 2;
  }
  const auto end = starts.begin() + static_cast<std::ptrdiff_t>(std::min(bound, starts.size()));
  const auto it = std::upper_bound(starts.begin() + static_cast<std::ptrdiff_t>(from), end, pos);
  return static_cast<size_t>(it - starts.begin()) - 1;
}

}  // namespace

void CFileFilter::Refresh(const CFileMap& files) {
  if (m_structure != files.structureGeneration() || m_textGeneration != files.textGeneration() ||
      files.size() < m_slots || files.size() - m_slots > files.size() / 8 + 64) {
    RebuildAll(files);
  } else if (files.size() > m_slots) {
    AppendSlots(files, m_slots);  // a few new files, as a rescan finds them
  }
  if (m_foundGeneration != files.foundGeneration() || m_presentStale) RebuildPresent(files);
}

void CFileFilter::RebuildAll(const CFileMap& files) {
  m_structure = files.structureGeneration();
  m_textGeneration = files.textGeneration();
  for (SearchText& text : m_texts) text = SearchText();
  m_titles.clear();
  m_titleStarts.assign(1, 0);
  m_order.clear();
  m_rank.clear();
  m_mark.clear();
  m_slots = 0;
  AppendSlots(files, 0);
}

void CFileFilter::AppendText(SearchText& text, const CFileInfo& record, int mode) const {
  const bool fullPath = mode >= 2;
  const bool mp3 = (mode & 1) != 0;
  if (text.starts.empty()) text.starts.push_back(0);
  AppendField(text.text, fullPath ? std::string_view(record.m_strPath) : record.m_strName);
  if (mp3 && record.IsTagged()) {
    const Mp3TagInfo& tag = *record.m_pTag;
    AppendField(text.text, tag.m_strTitle);
    AppendField(text.text, tag.m_strArtist);
    AppendField(text.text, tag.m_strAlbum);
    AppendField(text.text, tag.m_strComment);
    AppendField(text.text, std::to_string(tag.m_nYear));
    AppendField(text.text, tag.m_strGenre);
  }
  text.starts.push_back(static_cast<uint32_t>(text.text.size()));
}

void CFileFilter::AppendSlots(const CFileMap& files, size_t from) {
  const size_t n = files.size();
  for (size_t slot = from; slot < n; ++slot) {
    AppendFolded(m_titles, files.at(slot)->m_strTitle);
    m_titleStarts.push_back(static_cast<uint32_t>(m_titles.size()));
    for (int mode = 0; mode < 4; ++mode) {
      if (m_texts[mode].built) AppendText(m_texts[mode], *files.at(slot), mode);
    }
  }
  m_mark.resize(n, 0);
  m_slots = n;
  m_presentStale = true;

  if (from == 0) {
    // A whole new order: sort compact keys rather than chase a million
    // records through the cache for every comparison.
    std::vector<LauncherOrderKey> keys(n);
    for (size_t slot = 0; slot < n; ++slot) keys[slot] = KeyOf(files, static_cast<uint32_t>(slot));
    const auto title = [this](uint32_t slot) { return Title(slot); };
    std::sort(keys.begin(), keys.end(),
              [&](const LauncherOrderKey& a, const LauncherOrderKey& b) { return LauncherOrderBefore(a, b, title); });
    m_order.resize(n);
    for (size_t i = 0; i < n; ++i) m_order[i] = keys[i].slot;
    m_rank.resize(n);
    for (size_t i = 0; i < n; ++i) m_rank[m_order[i]] = static_cast<uint32_t>(i);
    return;
  }
  m_rank.resize(n);
  for (size_t slot = from; slot < n; ++slot) InsertIntoOrder(files, static_cast<uint32_t>(slot));
}

void CFileFilter::InsertIntoOrder(const CFileMap& files, uint32_t slot) {
  const auto to = std::lower_bound(m_order.begin(), m_order.end(), slot,
                                   [&](uint32_t a, uint32_t b) { return OrderBefore(files, a, b); });
  const size_t at = static_cast<size_t>(to - m_order.begin());
  m_order.insert(to, slot);
  for (size_t i = at; i < m_order.size(); ++i) m_rank[m_order[i]] = static_cast<uint32_t>(i);
}

void CFileFilter::RebuildPresent(const CFileMap& files) {
  m_foundGeneration = files.foundGeneration();
  m_presentStale = false;
  m_present.clear();
  m_present.reserve(m_order.size());
  for (const uint32_t slot : m_order) {
    CFileInfo* record = files.at(slot);
    if (record->m_bFound) m_present.push_back({slot, record});
  }
}

const CFileFilter::SearchText& CFileFilter::TextFor(const CFileMap& files, const MatchOptions& options) {
  const int mode = ModeIndex(options);
  SearchText& text = m_texts[mode];
  if (text.built) return text;
  text.starts.reserve(files.size() + 1);
  for (const auto& record : files) AppendText(text, *record, mode);
  if (text.starts.empty()) text.starts.push_back(0);
  text.built = true;
  return text;
}

std::string_view CFileFilter::Title(uint32_t slot) const {
  return std::string_view(m_titles.data() + m_titleStarts[slot], m_titleStarts[slot + 1] - m_titleStarts[slot]);
}

LauncherOrderKey CFileFilter::KeyOf(const CFileMap& files, uint32_t slot) const {
  return MakeLauncherOrderKey(*files.at(slot), Title(slot), slot);
}

bool CFileFilter::OrderBefore(const CFileMap& files, uint32_t a, uint32_t b) const {
  return LauncherOrderBefore(KeyOf(files, a), KeyOf(files, b), [this](uint32_t slot) { return Title(slot); });
}

void CFileFilter::UsageChanged(const CFileMap& files, const CFileInfo& record) {
  const size_t slot = files.SlotOf(record.m_strPath);
  if (slot >= m_slots || m_order.size() != m_slots) return;  // the next run rebuilds anyway
  m_order.erase(m_order.begin() + m_rank[slot]);
  for (size_t i = m_rank[slot]; i < m_order.size(); ++i) m_rank[m_order[i]] = static_cast<uint32_t>(i);
  InsertIntoOrder(files, static_cast<uint32_t>(slot));
  m_presentStale = true;
}

void CFileFilter::ScanTerm(const SearchText& text, std::string_view term, uint32_t required) {
  // One pass over the whole buffer; after a hit, skip to the next slot.
  const size_t slots = text.starts.size() - 1;
  size_t slot = 0;
  size_t pos = 0;
  const uint32_t stamp = ++m_stamp;
  std::vector<uint32_t> found;
  while ((pos = FindSubstring(text.text, term, pos)) != std::string_view::npos) {
    slot = SlotHolding(text.starts, slot, pos);
    if (required == 0 || m_mark[slot] == required) {
      m_mark[slot] = stamp;
      found.push_back(static_cast<uint32_t>(slot));
    }
    if (++slot >= slots) break;
    pos = text.starts[slot];
  }
  m_candidates.swap(found);
}

void CFileFilter::MatchTerm(const SearchText& text, std::string_view term, bool first) {
  if (first) {
    ScanTerm(text, term, 0);
    return;
  }
  const size_t slots = text.starts.size() - 1;
  if (m_candidates.size() * 16 >= slots) {
    ScanTerm(text, term, m_stamp);
    return;
  }
  // Few candidates left: look inside each one's own text instead.
  const uint32_t stamp = ++m_stamp;
  size_t kept = 0;
  for (const uint32_t slot : m_candidates) {
    const std::string_view own(text.text.data() + text.starts[slot], text.starts[slot + 1] - text.starts[slot]);
    if (FindSubstring(own, term) != std::string_view::npos) {
      m_mark[slot] = stamp;
      m_candidates[kept++] = slot;
    }
  }
  m_candidates.resize(kept);
}

std::vector<CFileInfo*> CFileFilter::Run(std::string_view query, const MatchOptions& options) {
  std::vector<CFileInfo*> rows;
  m_doc.VisitFiles([&](const CFileMap& files) { rows = Run(files, query, options); });
  return rows;
}

void CFileFilter::RecordLaunch(CFileInfo& record, VelnorTime now) {
  m_doc.RecordLaunch(record, now, [&](const CFileMap& files) { UsageChanged(files, record); });
}

std::vector<CFileInfo*> CFileFilter::Run(const CFileMap& files, std::string_view query, const MatchOptions& options) {
  Refresh(files);
  std::vector<CFileInfo*> rows;

  std::vector<std::string> terms;
  SplitQuery(TrimQuery(query), terms);
  // Fold once; empty terms match everything and zero bytes cannot be typed
  // into a match, so both drop out. The longest term goes first: it is
  // usually the rarest and leaves the fewest candidates.
  std::vector<std::string> folded;
  for (const std::string& term : terms) {
    std::string f = FoldCase(term);
    f.erase(std::remove(f.begin(), f.end(), '\0'), f.end());
    if (!f.empty() && std::find(folded.begin(), folded.end(), f) == folded.end()) folded.push_back(std::move(f));
  }
  std::stable_sort(folded.begin(), folded.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });

  if (folded.empty()) {
    rows.reserve(m_present.size());
    for (const PresentRow& row : m_present) rows.push_back(row.record);
    return rows;
  }

  if (m_stamp > 0xFFFFFF00u) {
    std::fill(m_mark.begin(), m_mark.end(), 0);
    m_stamp = 0;
  }
  const SearchText& text = TextFor(files, options);
  for (size_t i = 0; i < folded.size() && (i == 0 || !m_candidates.empty()); ++i) {
    MatchTerm(text, folded[i], i == 0);
  }

  if (m_candidates.size() * 16 < files.size()) {
    std::sort(m_candidates.begin(), m_candidates.end(), [this](uint32_t a, uint32_t b) { return m_rank[a] < m_rank[b]; });
    for (const uint32_t slot : m_candidates) {
      CFileInfo* record = files.at(slot);
      if (record->m_bFound) rows.push_back(record);
    }
    return rows;
  }
  rows.reserve(m_candidates.size());
  for (const PresentRow& row : m_present) {
    if (m_mark[row.slot] == m_stamp) rows.push_back(row.record);
  }
  return rows;
}
