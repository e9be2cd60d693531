#include "resultlist/file_drop_block.h"

#include <cstdint>

#include "framework/text_utf8.h"

namespace {

// DROPFILES: pFiles (where the names start), pt.x, pt.y, fNC, fWide; each
// a little-endian 32-bit value.
constexpr uint32_t kHeaderSize = 20;
constexpr size_t kWideFlagOffset = 16;

void PutUint32(std::string& bytes, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void AppendUnit(std::string& bytes, char16_t unit) {
  bytes += static_cast<char>(unit & 0xFF);
  bytes += static_cast<char>(unit >> 8);
}

}  // namespace

std::string BuildFileDropBlock(const std::vector<std::string_view>& utf8Paths) {
  std::string block(kHeaderSize, '\0');
  PutUint32(block, 0, kHeaderSize);
  PutUint32(block, kWideFlagOffset, 1);
  for (std::string_view path : utf8Paths) {
    if (path.empty()) continue;
    for (char16_t unit : Utf8ToUtf16(path)) AppendUnit(block, unit);
    AppendUnit(block, 0);
  }
  AppendUnit(block, 0);
  return block;
}
