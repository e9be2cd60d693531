// What scan and query share: a document from DB (or a new one), the folders
// named on the command line, and one full refresh.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/command.h"
#include "framework/env.h"

class CVelnorDoc;

// Loads `dbPath` into `doc` when it is not empty. A missing file is a new
// database; a damaged or unreadable one is refused (its bytes are never
// overwritten). Returns kExitSuccess or the failure already reported.
int LoadDatabaseForIndex(CVelnorDoc& doc, const std::string& dbPath, const CliContext& context);

// Appends each folder not yet listed (by its absolute path) as an enabled
// folder named by its path. A folder that does not exist is refused.
int AddFoldersForIndex(CVelnorDoc& doc, const std::vector<std::string>& folders, const CliContext& context);

// The command line's platform: the real one without a message queue, and a
// progress window that only keeps the counting pass's total.
class IndexEnv : public EnvWrapper {
 public:
  explicit IndexEnv(Env& target) : EnvWrapper(target) {}
  std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string& caption) override;
  void PumpMessages() override {}

 private:
  friend uint32_t RefreshForIndex(CVelnorDoc& doc, IndexEnv& env);
  uint32_t m_total = 0;
};

// The full refresh of a document made over `env`; returns the entries its
// counting pass met.
uint32_t RefreshForIndex(CVelnorDoc& doc, IndexEnv& env);
