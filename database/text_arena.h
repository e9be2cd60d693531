// Append-only storage for the texts of a million records: large blocks, no
// heap block per text, and addresses that never move, so records hold plain
// views. A buffer read whole from the disk can be kept as one more block, so
// texts already in it are not copied at all.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CTextArena {
 public:
  CTextArena() = default;
  CTextArena(const CTextArena&) = delete;
  CTextArena& operator=(const CTextArena&) = delete;

  // A stable copy of `text`.
  std::string_view Add(std::string_view text);
  // Keeps `bytes` for as long as the arena lives; views into the returned
  // text stay valid.
  std::string_view Keep(std::string bytes);
  void clear();

 private:
  static constexpr size_t kBlockBytes = size_t{1} << 20;
  std::vector<std::unique_ptr<char[]>> m_blocks;
  std::vector<std::unique_ptr<std::string>> m_kept;
  char* m_next = nullptr;
  size_t m_left = 0;
};
