#include "cli/command.h"

#include <algorithm>

#include "cli/console.h"

const std::vector<const CliCommand*>& AllCommands() {
  // A new command is a file defining its CliCommand and one line here.
  static const std::vector<const CliCommand*> commands = {
      &DumpCommand(),
      &LoadCommand(),
      &MoveCommand(),
      &ScanCommand(),
      &QueryCommand(),
      &TagCommand(),
  };
  return commands;
}

bool CommandArgs::Has(std::string_view flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::vector<std::string> CommandArgs::Values(std::string_view option) const {
  std::vector<std::string> found;
  for (const auto& [name, value] : values) {
    if (name == option) found.push_back(value);
  }
  return found;
}

int CliContext::Fail(const std::string& message) const {
  console.Err("velnor-cli: " + message + "\n");
  return kExitFailure;
}

void CliContext::Warn(const std::string& message) const {
  console.Err("velnor-cli: warning: " + message + "\n");
}

std::string CountOf(size_t count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}
