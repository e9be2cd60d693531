// velnor-cli's entry: parses the command line, prints usage and help, and
// runs the chosen command.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"

// `args` are the arguments after the program name, in UTF-8. Returns the
// process exit status. Never throws: an unexpected error is reported as a
// failure.
int RunCli(const std::vector<std::string>& args, const CliContext& context);
