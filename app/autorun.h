// The per-user autorun entry: where it lives and what it holds.
#pragma once

#include <string>

inline constexpr char kAutorunRoot[] = "HKEY_CURRENT_USER";
inline constexpr char kAutorunSubkey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kAutorunValueName[] = "Plovant Velnor";

// The value's data: the program's path in double quotes when autorun is on,
// empty (the value is deleted) when it is off or the path is unknown.
std::string AutorunCommand(bool autorun, const std::string& executablePath);
