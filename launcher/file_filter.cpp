#include "launcher/file_filter.h"

#include <algorithm>
#include <mutex>

#include "database/velnor_doc.h"
#include "framework/case_fold.h"
#include "framework/substring_search.h"

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

void CFileFilter::RebuildIfStale() {
  const CFileMap& files = m_doc.m_files;
  if (m_generation == files.generation()) return;
  m_generation = files.generation();
  for (SearchText& text : m_texts) {
    text.built = false;
    text.text.clear();
    text.starts.clear();
  }
  m_titles.clear();
  m_titleStarts.clear();
  m_titleStarts.reserve(files.size() + 1);
  for (const auto& record : files) {
    m_titleStarts.push_back(static_cast<uint32_t>(m_titles.size()));
    AppendFolded(m_titles, record->m_strTitle);
  }
  m_titleStarts.push_back(static_cast<uint32_t>(m_titles.size()));
  m_mark.assign(files.size(), 0);
  m_stamp = 0;
  BuildOrder();
}

const CFileFilter::SearchText& CFileFilter::TextFor(const MatchOptions& options) {
  SearchText& text = m_texts[ModeIndex(options)];
  if (text.built) return text;
  const CFileMap& files = m_doc.m_files;
  text.starts.reserve(files.size() + 1);
  for (const auto& record : files) {
    text.starts.push_back(static_cast<uint32_t>(text.text.size()));
    AppendField(text.text, options.searchFullPath ? std::string_view(record->m_strPath) : record->m_strName);
    if (options.mp3Support && record->IsTagged()) {
      const Mp3TagInfo& tag = *record->m_pTag;
      AppendField(text.text, tag.m_strTitle);
      AppendField(text.text, tag.m_strArtist);
      AppendField(text.text, tag.m_strAlbum);
      AppendField(text.text, tag.m_strComment);
      AppendField(text.text, std::to_string(tag.m_nYear));
      AppendField(text.text, tag.m_strGenre);
    }
  }
  text.starts.push_back(static_cast<uint32_t>(text.text.size()));
  text.built = true;
  return text;
}

bool CFileFilter::OrderBefore(uint32_t a, uint32_t b) const {
  const CFileInfo& ra = *m_doc.m_files.at(a);
  const CFileInfo& rb = *m_doc.m_files.at(b);
  if (ra.m_nUseCount != rb.m_nUseCount) return ra.m_nUseCount > rb.m_nUseCount;
  if (ra.m_nUseCount != 0 && ra.m_timeLastUsed != rb.m_timeLastUsed) return ra.m_timeLastUsed > rb.m_timeLastUsed;
  // Folded titles compare byte by byte: UTF-8 keeps code point order.
  const std::string_view ta(m_titles.data() + m_titleStarts[a], m_titleStarts[a + 1] - m_titleStarts[a]);
  const std::string_view tb(m_titles.data() + m_titleStarts[b], m_titleStarts[b + 1] - m_titleStarts[b]);
  const int c = ta.compare(tb);
  if (c != 0) return c < 0;
  return a < b;  // equal rows keep the map's order
}

void CFileFilter::BuildOrder() {
  const size_t n = m_doc.m_files.size();
  m_order.resize(n);
  for (size_t i = 0; i < n; ++i) m_order[i] = static_cast<uint32_t>(i);
  std::sort(m_order.begin(), m_order.end(), [this](uint32_t a, uint32_t b) { return OrderBefore(a, b); });
  m_rank.resize(n);
  for (size_t i = 0; i < n; ++i) m_rank[m_order[i]] = static_cast<uint32_t>(i);
}

void CFileFilter::UsageChanged(const CFileInfo& record) {
  if (m_generation != m_doc.m_files.generation()) return;  // the next run rebuilds anyway
  const size_t slot = m_doc.m_files.SlotOf(record.m_strPath);
  if (slot >= m_order.size()) return;
  const auto from = m_order.begin() + m_rank[slot];
  m_order.erase(from);
  const uint32_t s = static_cast<uint32_t>(slot);
  const auto to = std::lower_bound(m_order.begin(), m_order.end(), s,
                                   [this](uint32_t a, uint32_t b) { return OrderBefore(a, b); });
  m_order.insert(to, s);
  const size_t lo = std::min<size_t>(m_rank[slot], static_cast<size_t>(to - m_order.begin()));
  const size_t hi = std::max<size_t>(m_rank[slot], static_cast<size_t>(to - m_order.begin()));
  for (size_t i = lo; i <= hi; ++i) m_rank[m_order[i]] = static_cast<uint32_t>(i);
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
  std::lock_guard<std::mutex> hold(m_doc.m_lock);
  RebuildIfStale();
  const CFileMap& files = m_doc.m_files;
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
    rows.reserve(files.size());
    for (const uint32_t slot : m_order) {
      CFileInfo* record = files.at(slot);
      if (record->m_bFound) rows.push_back(record);
    }
    return rows;
  }

  if (m_stamp > 0xFFFFFF00u) {
    std::fill(m_mark.begin(), m_mark.end(), 0);
    m_stamp = 0;
  }
  const SearchText& text = TextFor(options);
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
  for (const uint32_t slot : m_order) {
    if (m_mark[slot] != m_stamp) continue;
    CFileInfo* record = files.at(slot);
    if (record->m_bFound) rows.push_back(record);
  }
  return rows;
}
