// The usage log's bytes. Every counted use is appended to the log beside
// the database and flushed before the launcher goes back to the user, so a
// crash, a kill or a power cut loses none; a full save folds the log into
// the database and starts a new one.
//
// The header names the database file the records extend, by its
// fingerprint (or "no file yet"), and a generation that changes at every
// new start of the log. Each record is one use: who counted it (a random
// mark per run of a program), when, and the file's path, closed by a CRC-32
// of all of it. Reading stops at the first record that is cut short or
// fails its check: what a crash midway through an append leaves behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/env.h"
#include "framework/velnor_time.h"

// Beside the database file: its name and this.
inline std::string UsageLogPath(const std::string& database) { return database + ".log"; }

// How long a load or save waits for another copy to let go of the log (it
// holds it while it loads or saves a large file).
constexpr uint32_t kUsageLogSavePatienceMs = 5000;

struct UsageLogHeader {
  std::optional<uint64_t> database;  // the fingerprint of the file extended; none: no file yet
  uint64_t generation = 0;
};

struct LoggedUse {
  uint64_t copy = 0;
  VelnorTime time = 0;
  std::string path;
};

struct UsageLogContents {
  bool valid = false;  // the header was whole
  UsageLogHeader header;
  std::vector<LoggedUse> uses;  // the whole records, in order
  std::vector<size_t> ends;     // where each of them ends in the bytes
  size_t wholeBytes = 0;        // the header and the whole records

  static constexpr size_t kHeaderBytes = 28;
};

std::string EncodeUsageLogHeader(const UsageLogHeader& header);
std::string EncodeLoggedUse(const LoggedUse& use);
UsageLogContents DecodeUsageLog(std::string_view bytes);
// The header alone; false when it is not whole.
bool DecodeUsageLogHeader(std::string_view bytes, UsageLogHeader& header);
// The whole file (`bytes`) decoded; nothing when it cannot be read.
UsageLogContents ReadUsageLog(CLockedFile& log, std::string& bytes);

uint32_t Crc32(std::string_view bytes);
