#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/console.h"
#include "framework/env.h"
#include "framework/wide_text_win.h"

// The wide entry point: the narrow one would lose every character of a path
// outside the ANSI code page before the program could see it.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  args.reserve(argc > 1 ? static_cast<size_t>(argc - 1) : 0);
  for (int i = 1; i < argc; ++i) args.push_back(WideToUtf8(argv[i]));
  return RunCli(args, CliContext{StandardConsole(), Env::Default()});
}
