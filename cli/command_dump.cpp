#include <string>

#include "cli/command.h"
#include "cli/console.h"
#include "cli/database_json.h"
#include "database/velnor_doc.h"
#include "framework/env.h"

namespace {

int RunDump(const CommandArgs& args, const CliContext& context) {
  const std::string& path = args.operands[0];
  std::string bytes;
  switch (context.env.ReadWholeFile(path, bytes)) {
    case Env::ReadResult::kOk:
      break;
    case Env::ReadResult::kNotFound:
      return context.Fail("cannot open '" + path + "': no such file");
    case Env::ReadResult::kBusy:  // another program holds it
    case Env::ReadResult::kError:
      return context.Fail("cannot read '" + path + "'");
  }

  // From the bytes, not the file: loading a file keeps a backup of a damaged
  // one, and a dump must never write anything.
  CVelnorDoc doc(context.env);
  const DatabaseLoadReport report = doc.LoadDatabaseBytes(bytes);
  doc.ApplyUsageLog(path, bytes);
  if (!context.console.Out(DatabaseToJson(doc) + "\n")) {
    return context.Fail("cannot write to standard output");
  }
  if (report.repeatedKeys > 0) {
    context.Warn("'" + path + "' lists " + CountOf(report.repeatedKeys, "path") +
                 " more than once; the output lists each once, with the use counts added");
  }
  if (report.damaged) {
    return context.Fail("'" + path + "' is damaged: reading stopped at byte " +
                        std::to_string(report.failOffset) + " of " + std::to_string(bytes.size()) +
                        " (" + report.failReason + "); the output holds what was read before it");
  }
  return kExitSuccess;
}

}  // namespace

const CliCommand& DumpCommand() {
  static const CliCommand command = {
      "dump",
      "DB",
      1,
      {},
      "print the database file DB as JSON",
      "Prints the database file DB as one JSON object on one line:\n"
      "  {\"files\":[{\"path\":S,\"useCount\":N,\"lastUsed\":N},...],\n"
      "   \"folders\":[{\"name\":S,\"path\":S,\"enabled\":B,\"iconId\":N},...],\n"
      "   \"autorun\":B,\"mp3Support\":B,\"dpiWarningShown\":B,\"searchFullPath\":B,\"firstRun\":B,\n"
      "   \"placement\":{\"valid\":B,\"rect\":[L,T,R,B],\"titleWidth\":N,\"folderWidth\":N}}\n"
      "Files come in the order of the file, texts are UTF-8, and lastUsed counts\n"
      "seconds since 1970-01-01 UTC (0: never used).\n"
      "\n"
      "DB is only read. When it is damaged, what could be read is printed, one line\n"
      "on stderr gives the byte offset where reading stopped, and the exit status is 1.\n"
      "A path DB lists more than once is printed once, with the use counts added and\n"
      "the later last use; a warning on stderr says how many, and the exit status\n"
      "stays 0.\n",
      &RunDump,
  };
  return command;
}
