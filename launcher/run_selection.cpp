#include "launcher/run_selection.h"

#include <string>

#include "database/file_info.h"
#include "framework/case_fold.h"
#include "launcher/query_match.h"

namespace {

bool Launch(Env& env, const std::string& target, void* owner) {
  return env.ShellLaunch(target, std::string(), owner) > kShellLaunchAccepted;
}

bool RunTypedText(std::string_view query, Env& env, void* owner) {
  const std::string text = TrimQuery(query);
  if (FoldCase(text) == "exit") return true;
  if (text.empty()) return false;
  return Launch(env, text, owner);
}

}  // namespace

bool RunSelection(RunMode mode, size_t rowCount, const std::vector<const CFileInfo*>& selected,
                  std::string_view query, Env& env, void* owner,
                  const std::function<void(const CFileInfo&)>& countUse) {
  if (mode == RunMode::kTypedText || rowCount == 0) return RunTypedText(query, env, owner);

  // Only the last launch decides: earlier ones that the shell accepted are
  // counted even when the last one is refused and the launcher stays.
  bool lastAccepted = false;
  for (const CFileInfo* record : selected) {
    lastAccepted = Launch(env, std::string(record->Path()), owner);
    if (lastAccepted) countUse(*record);
  }
  return lastAccepted;
}
