#include <cstdio>

#include "cli/console.h"

namespace {

class PosixConsole final : public Console {
 public:
  bool Out(std::string_view text) override {
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    return std::fflush(stdout) == 0 && written;
  }

  void Err(std::string_view text) override {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }

  bool ReadIn(std::string& text) override {
    text.clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) text.append(buf, n);
    return !std::ferror(stdin);
  }
};

}  // namespace

Console& StandardConsole() {
  static PosixConsole console;
  return console;
}
