#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/console.h"
#include "framework/env.h"

int main(int argc, char** argv) {
  // Arguments are taken as UTF-8, as every current Linux locale passes them.
  const std::vector<std::string> args(argv + 1, argv + argc);
  return RunCli(args, CliContext{StandardConsole(), Env::Default()});
}
