#include "app/autorun.h"

std::string AutorunCommand(bool autorun, const std::string& executablePath) {
  if (!autorun || executablePath.empty()) return std::string();
  // Unquoted, a path with spaces ("C:\Program Files\...") lets the logon
  // runner try "C:\Program.exe" first; quoted, it starts only this program.
  return "\"" + executablePath + "\"";
}
