// One velnor-cli command: its name, its help and what it runs. The
// dispatcher parses the arguments against this description, so a command
// only ever sees a well-formed call.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Console;
class Env;

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitFailure = 1,  // one line on stderr says why
  kExitUsage = 2,    // the command line was wrong; a short usage follows
};

struct CommandArgs {
  std::vector<std::string> operands;
  std::vector<std::string> flags;  // only flags the command declared
  // Options that take a value ("--db DB"), in command-line order.
  std::vector<std::pair<std::string, std::string>> values;

  bool Has(std::string_view flag) const;
  // Every value given for `option`, in order.
  std::vector<std::string> Values(std::string_view option) const;
};

struct CliContext {
  Console& console;
  Env& env;

  // Writes "velnor-cli: <message>" and returns kExitFailure.
  int Fail(const std::string& message) const;
  // Writes "velnor-cli: warning: <message>"; the command goes on.
  void Warn(const std::string& message) const;
};

struct CliCommand {
  const char* name;
  const char* operandNames;  // for the usage line, e.g. "JSON DB"
  size_t operandCount;       // exactly this many operands (at least, when variadic)
  std::vector<std::string_view> flags;  // accepted flags, e.g. "--verbose"
  const char* summary;       // one line in the command overview
  const char* details;       // the rest of the command's --help
  int (*run)(const CommandArgs& args, const CliContext& context);
  // Options followed by a value, e.g. "--db"; each may be given repeatedly.
  std::vector<std::string_view> valueOptions = {};
  bool variadic = false;  // more operands than operandCount are welcome
};

// "1 path", "2 paths": a count and a noun taking "s" when not one.
std::string CountOf(size_t count, const std::string& noun);

// Every command, in the order the overview lists them.
const std::vector<const CliCommand*>& AllCommands();

const CliCommand& DumpCommand();
const CliCommand& LoadCommand();
const CliCommand& MoveCommand();
const CliCommand& QueryCommand();
const CliCommand& ScanCommand();
const CliCommand& TagCommand();
