#include "launcher/run_selection.h"

#include <mutex>

#include "database/velnor_doc.h"
#include "framework/case_fold.h"
#include "launcher/file_filter.h"
#include "launcher/query_match.h"

namespace {

bool RunTypedText(std::string_view query, ShellOpener& shell) {
  const std::string text = TrimQuery(query);
  if (FoldCase(text) == "exit") return true;
  if (text.empty()) return false;
  return shell.Open(text);
}

}  // namespace

bool RunSelection(bool listMode, size_t rowCount, const std::vector<CFileInfo*>& selected,
                  std::string_view query, ShellOpener& shell, UsageRecorder& usage) {
  if (!listMode || rowCount == 0) return RunTypedText(query, shell);

  // Only the last launch decides: earlier ones that the shell accepted are
  // counted even when the last one is refused and the launcher stays.
  bool lastAccepted = false;
  for (CFileInfo* record : selected) {
    lastAccepted = shell.Open(record->m_strPath);
    if (lastAccepted) usage.RecordUse(*record);
  }
  return lastAccepted;
}

void RecordLaunch(CVelnorDoc& doc, CFileFilter& filter, CFileInfo& record, VelnorTime now) {
  std::lock_guard<std::mutex> hold(doc.m_lock);
  ++record.m_nUseCount;
  record.m_timeLastUsed = now;
  filter.UsageChanged(record);
}
