#include "cli/index_run.h"

#include <filesystem>
#include <memory>

#include "database/refresh_controller.h"
#include "database/velnor_doc.h"
#include "framework/env.h"

namespace {

std::string AbsoluteFolder(const std::string& folder) {
  std::error_code error;
  const std::filesystem::path given(std::u8string(folder.begin(), folder.end()));
  std::filesystem::path absolute = std::filesystem::absolute(given, error).lexically_normal();
  if (error) return folder;
  // No trailing separator but for a root, as the shell names folders.
  if (absolute.has_filename() == false && absolute != absolute.root_path()) absolute = absolute.parent_path();
  const std::u8string text = absolute.u8string();
  return std::string(text.begin(), text.end());
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(std::filesystem::path(std::u8string(path.begin(), path.end())), error);
}

// The progress window the command line does not have: it only keeps the
// counting pass's total.
class CountingWindow final : public ProgressWindow {
 public:
  explicit CountingWindow(uint32_t* total) : m_total(total) {}
  void SetRange(uint32_t count) override { *m_total = count; }
  void Show(bool) override {}
  void StepIt() override {}
  void ShowAndActivate() override {}

 private:
  uint32_t* m_total;
};

}  // namespace

int LoadDatabaseForIndex(CVelnorDoc& doc, const std::string& dbPath, const CliContext& context) {
  if (dbPath.empty()) return kExitSuccess;
  std::string bytes;
  switch (context.env.ReadWholeFile(dbPath, bytes)) {
    case Env::ReadResult::kNotFound:
      return kExitSuccess;  // a new database
    case Env::ReadResult::kBusy:  // another program holds it
    case Env::ReadResult::kError:
      return context.Fail("cannot read '" + dbPath + "'");
    case Env::ReadResult::kOk:
      break;
  }
  const DatabaseLoadReport report = doc.LoadDatabaseBytes(bytes);
  doc.ApplyUsageLog(dbPath, bytes);
  if (report.damaged) {
    return context.Fail("'" + dbPath + "' is damaged: reading stopped at byte " + std::to_string(report.failOffset) +
                        " (" + report.failReason + "); nothing was done");
  }
  return kExitSuccess;
}

int AddFoldersForIndex(CVelnorDoc& doc, const std::vector<std::string>& folders, const CliContext& context) {
  for (const std::string& given : folders) {
    const std::string path = AbsoluteFolder(given);
    if (!IsFolder(path)) return context.Fail("cannot search '" + given + "': no such folder");
    CVelnorDoc::FolderList list = doc.CopyFolders();
    bool listed = false;
    for (const auto& folder : list) listed = listed || folder->m_strPath == path;
    if (listed) continue;
    list.push_back(std::make_unique<CFolder>(path, path, true, kIconStartMenu));
    doc.ReplaceFolders(std::move(list));
  }
  return kExitSuccess;
}

std::unique_ptr<ProgressWindow> IndexEnv::CreateProgressWindow(const std::string&) {
  return std::make_unique<CountingWindow>(&m_total);
}

uint32_t RefreshForIndex(CVelnorDoc& doc, IndexEnv& env) {
  env.m_total = 0;
  CRefreshController(doc).Refresh(RefreshKind::kUserRequested);
  return env.m_total;
}
