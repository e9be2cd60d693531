#include "cli/command.h"

#include <algorithm>

#include "cli/console.h"

const std::vector<const CliCommand*>& AllCommands() {
  // A new command is a file defining its CliCommand and one line here.
  static const std::vector<const CliCommand*> commands = {
      &DumpCommand(),
      &LoadCommand(),
  };
  return commands;
}

bool CommandArgs::Has(std::string_view flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

int CliContext::Fail(const std::string& message) const {
  console.Err("velnor-cli: " + message + "\n");
  return kExitFailure;
}
