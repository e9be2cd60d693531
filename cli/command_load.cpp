#include <string>

#include "cli/command.h"
#include "cli/console.h"
#include "cli/database_json.h"
#include "database/velnor_doc.h"
#include "framework/env.h"

namespace {

constexpr char kStandardInput[] = "-";

int RunLoad(const CommandArgs& args, const CliContext& context) {
  const std::string& jsonPath = args.operands[0];
  const std::string& dbPath = args.operands[1];
  const std::string unchanged = "; '" + dbPath + "' was not changed";

  std::string text;
  if (jsonPath == kStandardInput) {
    if (!context.console.ReadIn(text)) return context.Fail("cannot read standard input" + unchanged);
  } else {
    switch (context.env.ReadWholeFile(jsonPath, text)) {
      case Env::ReadResult::kOk:
        break;
      case Env::ReadResult::kNotFound:
        return context.Fail("cannot open '" + jsonPath + "': no such file" + unchanged);
      case Env::ReadResult::kBusy:  // another program holds it
      case Env::ReadResult::kError:
        return context.Fail("cannot read '" + jsonPath + "'" + unchanged);
    }
  }

  CVelnorDoc doc(context.env);
  std::string error;
  if (!DatabaseFromJson(text, doc, error)) {
    const std::string source = jsonPath == kStandardInput ? "standard input" : "'" + jsonPath + "'";
    return context.Fail(source + ": " + error + unchanged);
  }
  std::string().swap(text);  // not held beside the file's bytes while they are written
  // DB is replaced, not merged with: a restore must give back the counts it
  // was given. A temporary file takes DB's place only once it is complete,
  // so a failure here leaves the old file as it was.
  if (!doc.ReplaceDatabaseFile(dbPath)) return context.Fail("cannot write '" + dbPath + "'" + unchanged);
  return kExitSuccess;
}

}  // namespace

const CliCommand& LoadCommand() {
  static const CliCommand command = {
      "load",
      "JSON DB",
      2,
      {},
      "write the database file DB from JSON",
      "Writes the database file DB from the JSON object in the file JSON ('-' reads\n"
      "standard input), in the form 'velnor-cli dump' prints. Files are written in\n"
      "the order of the JSON.\n"
      "\n"
      "Absent keys take the values of a new database: no files or folders, autorun,\n"
      "mp3Support and firstRun true, the other options false, no placement. A file\n"
      "needs only \"path\" (useCount and lastUsed are then 0); a folder needs only\n"
      "\"path\" and is then taken as one added by hand: named after its path,\n"
      "enabled, icon 140.\n"
      "\n"
      "Anything doubtful is refused with one line on stderr naming where it lies\n"
      "and exit status 1, and DB is then left as it was: text that is not JSON, a\n"
      "key written twice in one object, a wrong type, an unknown key, a number that\n"
      "does not fit (useCount, iconId, rect and widths: 32-bit signed; lastUsed: 0\n"
      "to 4294967295), a path that holds a NUL character (\\u0000), an empty file\n"
      "path, a repeated file path, a folder path that is not absolute (C:\\..., or\n"
      "\\\\server\\share\\...; outside Windows also /...), a folder listed twice\n"
      "(ignoring case and a final separator, as the program compares folders). DB\n"
      "is replaced only once the new file is completely written.\n",
      &RunLoad,
  };
  return command;
}
