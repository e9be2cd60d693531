#include "resultlist/compare_files.h"

#include "database/file_info.h"
#include "framework/case_fold.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

int CompareUsage(const CFileInfo& a, const CFileInfo& b) {
  if (a.m_nUseCount != b.m_nUseCount) return a.m_nUseCount < b.m_nUseCount ? 1 : -1;
  if (a.m_nUseCount == 0) return 0;
  if (a.m_timeLastUsed != b.m_timeLastUsed) return a.m_timeLastUsed < b.m_timeLastUsed ? 1 : -1;
  return 0;
}

}  // namespace

int CompareFiles(const CFileInfo& a, const CFileInfo& b, const SortKey& key) {
  switch (key.nKey) {
    case 0:
      return Sign(CompareFolded(a.m_strTitle, b.m_strTitle)) * key.nDirection;
    case 1:
      return Sign(CompareFolded(a.m_strFolder, b.m_strFolder)) * key.nDirection;
    case 3:
      return CompareUsage(a, b);
    default:
      return 0;
  }
}

bool LauncherOrderBefore(const CFileInfo& a, const CFileInfo& b) {
  const int usage = CompareUsage(a, b);
  if (usage != 0) return usage < 0;
  return CompareFolded(a.m_strTitle, b.m_strTitle) < 0;
}
