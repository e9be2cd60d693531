#include "database/text_arena.h"

#include <cstring>

std::string_view CTextArena::Add(std::string_view text) {
  if (text.empty()) return std::string_view();
  if (text.size() > m_left) {
    // A text longer than a block gets a block of its own; the current block
    // keeps its free room for the texts after it.
    if (text.size() > kBlockBytes / 4) {
      m_blocks.push_back(std::make_unique<char[]>(text.size()));
      std::memcpy(m_blocks.back().get(), text.data(), text.size());
      return std::string_view(m_blocks.back().get(), text.size());
    }
    m_blocks.push_back(std::unique_ptr<char[]>(new char[kBlockBytes]));
    m_next = m_blocks.back().get();
    m_left = kBlockBytes;
  }
  char* at = m_next;
  std::memcpy(at, text.data(), text.size());
  m_next += text.size();
  m_left -= text.size();
  return std::string_view(at, text.size());
}

std::string_view CTextArena::Keep(std::string bytes) {
  m_kept.push_back(std::make_unique<std::string>(std::move(bytes)));
  return *m_kept.back();
}

void CTextArena::clear() {
  m_blocks.clear();
  m_kept.clear();
  m_next = nullptr;
  m_left = 0;
}
