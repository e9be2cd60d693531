#include <string>

#include "cli/command.h"
#include "cli/console.h"
#include "cli/index_run.h"
#include "database/velnor_doc.h"

namespace {

int RunScan(const CommandArgs& args, const CliContext& context) {
  const std::vector<std::string> dbs = args.Values("--db");
  if (dbs.size() > 1) return context.Fail("give --db once");
  const std::string dbPath = dbs.empty() ? std::string() : dbs[0];

  IndexEnv env(context.env);
  CVelnorDoc doc(env);
  if (int status = LoadDatabaseForIndex(doc, dbPath, context); status != kExitSuccess) return status;
  if (int status = AddFoldersForIndex(doc, args.operands, context); status != kExitSuccess) return status;
  // --no-mp3 is for this run; the database keeps the user's own setting.
  const bool storedMp3 = doc.m_bMp3Support;
  if (args.Has("--no-mp3")) doc.m_bMp3Support = false;
  const uint32_t entries = RefreshForIndex(doc, env);
  doc.m_bMp3Support = storedMp3;

  size_t found = 0;
  size_t records = 0;
  doc.VisitFiles([&](const CFileMap& files) {
    for (const auto& record : files) found += record->Found() ? 1 : 0;
    records = files.size();
  });
  context.console.Out("entries " + std::to_string(entries) + ", files " + std::to_string(found) + ", records " +
                      std::to_string(records) + "\n");
  if (!dbPath.empty() && !doc.SaveDatabaseTo(dbPath)) {
    return context.Fail("cannot write '" + dbPath + "'; it was not changed");
  }
  return kExitSuccess;
}

}  // namespace

const CliCommand& ScanCommand() {
  static const CliCommand command = {
      "scan",
      "[FOLDER...]",
      0,
      {"--no-mp3"},
      "index folders as the program's refresh does",
      "Runs the program's full refresh: loads the database file DB (or starts from\n"
      "an empty one, without the default folders), adds each FOLDER not yet listed\n"
      "as an enabled folder, scans every enabled folder and prints\n"
      "  entries N, files M, records R\n"
      "(entries met by the counting pass, files found, records in the database).\n"
      "With --db, the result is saved back to DB; usage counts are never changed.\n"
      "--no-mp3 skips reading MP3 tags in this run.\n",
      &RunScan,
      {"--db"},
      true,
  };
  return command;
}
