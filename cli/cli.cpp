#include "cli/cli.h"

#include <exception>
#include <new>

#include "cli/console.h"

#ifndef VELNOR_VERSION
#define VELNOR_VERSION "unknown"
#endif

namespace {

constexpr char kProgram[] = "velnor-cli";

std::string UsageLine(const CliCommand& command) {
  std::string line = std::string("Usage: ") + kProgram + " " + command.name;
  for (std::string_view option : command.valueOptions) {
    std::string value(option.substr(2));
    for (char& c : value) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    line += " [" + std::string(option) + " " + value + "]";
  }
  for (std::string_view flag : command.flags) line += " [" + std::string(flag) + "]";
  if (command.operandNames[0] != '\0') line += std::string(" ") + command.operandNames;
  return line + "\n";
}

std::string Overview() {
  std::string text = std::string("Usage: ") + kProgram + " COMMAND [ARGUMENTS]\n\n" +
                     "Reads and writes the Plovant Velnor database file (velnor.dat).\n\n"
                     "Commands:\n";
  for (const CliCommand* command : AllCommands()) {
    std::string left = std::string(command->name) + " " + command->operandNames;
    if (left.size() < 16) left.resize(16, ' ');
    text += "  " + left + "  " + command->summary + "\n";
  }
  text += std::string("\nRun '") + kProgram + " COMMAND --help' for more about a command, '" +
          kProgram + " --version' for the version.\n" +
          "Exit status: 0 success, 1 failure, 2 wrong command line.\n";
  return text;
}

std::string CommandHelp(const CliCommand& command) {
  return UsageLine(command) + "\n" + command.details;
}

const CliCommand* FindCommand(std::string_view name) {
  for (const CliCommand* command : AllCommands()) {
    if (name == command->name) return command;
  }
  return nullptr;
}

bool IsHelpFlag(std::string_view arg) { return arg == "--help" || arg == "-h"; }

// An argument that looks like an option; "-" alone names standard input.
bool IsFlag(std::string_view arg) { return arg.size() > 1 && arg[0] == '-'; }

bool IsValueOption(const CliCommand& command, std::string_view arg) {
  for (std::string_view option : command.valueOptions) {
    if (arg == option) return true;
  }
  return false;
}

int UsageError(const CliContext& context, const std::string& message, const CliCommand* command) {
  std::string text = std::string(kProgram) + ": " + message + "\n";
  if (command != nullptr) {
    text += UsageLine(*command);
    text += std::string("Run '") + kProgram + " " + command->name + " --help' for more.\n";
  } else {
    text += Overview();
  }
  context.console.Err(text);
  return kExitUsage;
}

int RunCommand(const CliCommand& command, const std::vector<std::string>& args,
               const CliContext& context) {
  // Help wins over everything else on the line, so it always works.
  for (size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
    if (IsHelpFlag(args[i])) {
      context.console.Out(CommandHelp(command));
      return kExitSuccess;
    }
  }
  CommandArgs parsed;
  bool operandsOnly = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!operandsOnly && arg == "--") {
      operandsOnly = true;
    } else if (!operandsOnly && IsFlag(arg) && IsValueOption(command, arg)) {
      if (i + 1 >= args.size()) return UsageError(context, "option '" + arg + "' needs a value", &command);
      parsed.values.emplace_back(arg, args[++i]);
    } else if (!operandsOnly && IsFlag(arg)) {
      bool known = false;
      for (std::string_view flag : command.flags) known = known || arg == flag;
      if (!known) return UsageError(context, "unknown option '" + arg + "'", &command);
      parsed.flags.push_back(arg);
    } else {
      parsed.operands.push_back(arg);
    }
  }
  if (parsed.operands.size() < command.operandCount) {
    return UsageError(context, std::string("missing arguments for '") + command.name + "'", &command);
  }
  if (parsed.operands.size() > command.operandCount && !command.variadic) {
    return UsageError(context, std::string("too many arguments for '") + command.name + "'",
                      &command);
  }
  return command.run(parsed, context);
}

int Dispatch(const std::vector<std::string>& args, const CliContext& context) {
  if (args.empty()) return UsageError(context, "no command given", nullptr);
  const std::string& first = args[0];
  if (IsHelpFlag(first) || first == "help") {
    if (first == "help" && args.size() > 1) {
      const CliCommand* command = FindCommand(args[1]);
      if (command == nullptr) return UsageError(context, "unknown command '" + args[1] + "'", nullptr);
      context.console.Out(CommandHelp(*command));
    } else {
      context.console.Out(Overview());
    }
    return kExitSuccess;
  }
  if (first == "--version") {
    context.console.Out(std::string(kProgram) + " " + VELNOR_VERSION + "\n");
    return kExitSuccess;
  }
  if (IsFlag(first)) return UsageError(context, "unknown option '" + first + "'", nullptr);
  const CliCommand* command = FindCommand(first);
  if (command == nullptr) return UsageError(context, "unknown command '" + first + "'", nullptr);
  return RunCommand(*command, args, context);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const CliContext& context) {
  try {
    return Dispatch(args, context);
  } catch (const std::bad_alloc&) {
    return context.Fail("out of memory");
  } catch (const std::exception& e) {
    return context.Fail(std::string("unexpected error: ") + e.what());
  }
}
