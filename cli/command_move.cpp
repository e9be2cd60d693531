#include <string>

#include "cli/command.h"
#include "cli/console.h"
#include "database/velnor_doc.h"
#include "framework/env.h"
#include "framework/path_prefix.h"

namespace {

std::string_view WithoutFinalSeparator(std::string_view path) {
  if (!path.empty() && path.back() == kPathSeparator) path.remove_suffix(1);
  return path;
}

int RunMove(const CommandArgs& args, const CliContext& context) {
  const std::string& dbPath = args.operands[0];
  const std::string& from = args.operands[1];
  const std::string& to = args.operands[2];
  const std::string unchanged = "; '" + dbPath + "' was not changed";

  if (from.empty() || to.empty()) return context.Fail("OLD and NEW must not be empty" + unchanged);
  // A change of case alone is a real rename: keys compare case-sensitively.
  if (WithoutFinalSeparator(from) == WithoutFinalSeparator(to)) {
    return context.Fail("OLD and NEW are the same path" + unchanged);
  }
  if (IsPathUnder(to, from)) {
    return context.Fail("'" + to + "' lies under '" + from + "': a folder cannot move into itself" + unchanged);
  }

  std::string bytes;
  switch (context.env.ReadWholeFile(dbPath, bytes)) {
    case Env::ReadResult::kOk:
      break;
    case Env::ReadResult::kNotFound:
      return context.Fail("cannot open '" + dbPath + "': no such file");
    case Env::ReadResult::kBusy:
      return context.Fail("cannot read '" + dbPath + "': another program has it open" + unchanged);
    case Env::ReadResult::kError:
      return context.Fail("cannot read '" + dbPath + "'");
  }
  CVelnorDoc doc(context.env);
  const DatabaseLoadReport report = doc.LoadDatabaseBytes(bytes);
  doc.ApplyUsageLog(dbPath, bytes);
  // Saving a damaged file would drop everything after the damage.
  if (report.damaged) {
    return context.Fail("'" + dbPath + "' is damaged: reading stopped at byte " + std::to_string(report.failOffset) +
                        " (" + report.failReason + ")" + unchanged);
  }

  const MoveReport moved = doc.MoveRecords(from, to);
  if (moved.records == 0 && moved.folders == 0) {
    return context.Fail("nothing in '" + dbPath + "' is at or under '" + from + "'" + unchanged);
  }
  // Not the document's save, which would mix in what is on the disk: that
  // is the very state being replaced (with its usage log, now in `doc`).
  if (!doc.ReplaceDatabaseFile(dbPath)) {
    return context.Fail("cannot write '" + dbPath + "'" + unchanged);
  }
  if (report.repeatedKeys > 0) {
    context.Warn("'" + dbPath + "' listed " + CountOf(report.repeatedKeys, "path") +
                 " more than once; each is now listed once, with the use counts added");
  }
  context.console.Out("records " + std::to_string(moved.records) + ", folders " + std::to_string(moved.folders) +
                      "\n");
  return kExitSuccess;
}

}  // namespace

const CliCommand& MoveCommand() {
  static const CliCommand command = {
      "move",
      "DB OLD NEW",
      3,
      {},
      "give a moved folder's files their usage back",
      "After a folder was moved or renamed (D:\\Tools to C:\\Apps\\Tools), gives its\n"
      "files their usage back. Every file record in the database file DB whose path\n"
      "is OLD or lies under OLD takes NEW in place of OLD, keeping its use count and\n"
      "last use; every folder of the folder list at or under OLD moves the same way.\n"
      "Letters compare ignoring case, as Windows compares paths; give paths as\n"
      "'velnor-cli dump' shows them. Where a record is already held under the new\n"
      "path (the program has scanned the new place), the two become one: use counts\n"
      "add up and the later last use is kept. A folder already listed at the new\n"
      "place stays as it is listed there. Prints\n"
      "  records N, folders M\n"
      "(the records and folders moved).\n"
      "\n"
      "Exit Plovant Velnor first: it holds the database while it runs and writes it\n"
      "back when it exits, which would undo the move.\n"
      "\n"
      "DB is replaced only once the new file is completely written. Refused with one\n"
      "line on stderr and exit status 1, DB left as it was: DB missing, unreadable or\n"
      "damaged; OLD or NEW empty; NEW the same as OLD; NEW under OLD; nothing at or\n"
      "under OLD. When DB lists a path more than once, the file written lists it once\n"
      "with the use counts added, and a warning on stderr says so.\n",
      &RunMove,
  };
  return command;
}
