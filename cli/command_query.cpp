#include <string>

#include "cli/command.h"
#include "cli/console.h"
#include "cli/index_run.h"
#include "database/velnor_doc.h"
#include "launcher/file_filter.h"

namespace {

int RunQuery(const CommandArgs& args, const CliContext& context) {
  const std::vector<std::string> dbs = args.Values("--db");
  if (dbs.size() > 1) return context.Fail("give --db once");
  if (args.Has("--full-path") && args.Has("--name-only")) return context.Fail("give --full-path or --name-only, not both");
  if (args.Has("--mp3") && args.Has("--no-mp3")) return context.Fail("give --mp3 or --no-mp3, not both");

  IndexEnv env(context.env);
  CVelnorDoc doc(env);
  if (int status = LoadDatabaseForIndex(doc, dbs.empty() ? std::string() : dbs[0], context); status != kExitSuccess) {
    return status;
  }
  if (int status = AddFoldersForIndex(doc, args.Values("--folder"), context); status != kExitSuccess) return status;

  MatchOptions options{doc.m_bSearchFullPath, doc.m_bMp3Support};
  if (args.Has("--full-path")) options.searchFullPath = true;
  if (args.Has("--name-only")) options.searchFullPath = false;
  if (args.Has("--mp3")) options.mp3Support = true;
  if (args.Has("--no-mp3")) options.mp3Support = false;
  doc.m_bMp3Support = options.mp3Support;  // tags are read only when they can match
  RefreshForIndex(doc, env);

  CFileFilter filter(doc);
  std::string out;
  for (const CFileInfo* record : filter.Run(args.operands[0], options)) {
    out += record->Path();
    out += '\n';
  }
  if (!context.console.Out(out)) return context.Fail("cannot write to standard output");
  return kExitSuccess;
}

}  // namespace

const CliCommand& QueryCommand() {
  static const CliCommand command = {
      "query",
      "QUERY",
      1,
      {"--full-path", "--name-only", "--mp3", "--no-mp3"},
      "list the files a typed query finds, as the launcher does",
      "Loads DB (or starts from an empty database), adds each --folder for this run,\n"
      "refreshes, and prints the full path of every file that QUERY finds, one a\n"
      "line, in the launcher's order: most used first, then most recently used,\n"
      "then by title. QUERY is one argument, spaces as typed: every space-separated\n"
      "word must occur in the file's name (--full-path: its whole path) or, for MP3\n"
      "files with a tag (--mp3), in a tag field, ignoring case and accents, whether\n"
      "a letter is stored composed or decomposed, and full-width forms (the user\n"
      "guide lists the folding).\n"
      "Options not given take the database's settings. Nothing is written.\n"
      "'--' ends the options: a QUERY that begins with '-' comes after it.\n"
      "Examples: velnor-cli query --folder /usr/share \"gpl 3\"\n"
      "          velnor-cli query --folder ~/Documents -- -draft\n",
      &RunQuery,
      {"--db", "--folder"},
      false,
  };
  return command;
}
