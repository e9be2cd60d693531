#include "database/usage_log.h"

#include <array>

namespace {

constexpr char kMagic[4] = {'V', 'U', 'L', '1'};
constexpr uint32_t kHasDatabase = 1;
// A path longer than this is no path the program keeps: the record is damage.
constexpr uint32_t kLongestPath = 1 << 16;
// Length, copy and time before the path; the check after it.
constexpr size_t kRecordHead = 4 + 8 + 8;
constexpr size_t kRecordTail = 4;

void Put(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t Get(std::string_view bytes, size_t at, int count) {
  uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void PutCheck(std::string& out, size_t from) { Put(out, Crc32(std::string_view(out).substr(from)), 4); }

}  // namespace

uint32_t Crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (const char byte : bytes) crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string EncodeUsageLogHeader(const UsageLogHeader& header) {
  std::string out(kMagic, sizeof(kMagic));
  Put(out, header.database ? kHasDatabase : 0, 4);
  Put(out, header.database.value_or(0), 8);
  Put(out, header.generation, 8);
  PutCheck(out, 0);
  return out;
}

std::string EncodeLoggedUse(const LoggedUse& use) {
  std::string out;
  out.reserve(kRecordHead + use.path.size() + kRecordTail);
  Put(out, use.path.size(), 4);
  Put(out, use.copy, 8);
  Put(out, static_cast<uint64_t>(use.time), 8);
  out += use.path;
  PutCheck(out, 0);
  return out;
}

bool DecodeUsageLogHeader(std::string_view bytes, UsageLogHeader& header) {
  constexpr size_t size = UsageLogContents::kHeaderBytes;
  if (bytes.size() < size || bytes.compare(0, sizeof(kMagic), std::string_view(kMagic, sizeof(kMagic))) != 0 ||
      Get(bytes, size - 4, 4) != Crc32(bytes.substr(0, size - 4))) {
    return false;
  }
  header.database.reset();
  if (Get(bytes, 4, 4) & kHasDatabase) header.database = Get(bytes, 8, 8);
  header.generation = Get(bytes, 16, 8);
  return true;
}

UsageLogContents DecodeUsageLog(std::string_view bytes) {
  UsageLogContents log;
  log.valid = DecodeUsageLogHeader(bytes, log.header);
  if (!log.valid) return log;
  size_t at = UsageLogContents::kHeaderBytes;
  while (bytes.size() - at >= kRecordHead + kRecordTail) {
    const uint64_t length = Get(bytes, at, 4);
    if (length > kLongestPath || bytes.size() - at - kRecordHead - kRecordTail < length) break;
    const size_t checked = kRecordHead + static_cast<size_t>(length);
    if (Get(bytes, at + checked, 4) != Crc32(bytes.substr(at, checked))) break;
    LoggedUse use;
    use.copy = Get(bytes, at + 4, 8);
    use.time = static_cast<VelnorTime>(Get(bytes, at + 12, 8));
    use.path.assign(bytes.substr(at + kRecordHead, static_cast<size_t>(length)));
    log.uses.push_back(std::move(use));
    at += checked + kRecordTail;
    log.ends.push_back(at);
  }
  log.wholeBytes = at;
  return log;
}

UsageLogContents ReadUsageLog(CLockedFile& log, std::string& bytes) {
  if (!log.ReadAll(bytes)) bytes.clear();
  return DecodeUsageLog(bytes);
}
