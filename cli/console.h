// The tool's standard streams. Text is UTF-8 throughout; each platform's
// console decides how it reaches the user (the Windows console is written in
// UTF-16, a redirected stream gets the UTF-8 bytes as they are).
#pragma once

#include <string>
#include <string_view>

class Console {
 public:
  virtual ~Console() = default;
  // False when standard output could not take all of `text`.
  virtual bool Out(std::string_view text) = 0;
  virtual void Err(std::string_view text) = 0;
  // All of standard input; false when it could not be read.
  virtual bool ReadIn(std::string& text) = 0;
};

// The process's own streams.
Console& StandardConsole();
