#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Which database file is on the disk: a hash of the bytes and their length,
// the same however the bytes come in pieces. A save compares it to see
// whether another copy changed the file; the usage log's header keeps it to
// name the one file its records extend (so it must never change between
// versions of the program). Four independent lanes of eight bytes
// keep the processor's multipliers busy: a byte at a time, a million
// records' file took longer than reading it.
class Fingerprinter {
 public:
  void Add(const char* bytes, size_t count) {
    m_length += count;
    while (count > 0) {
      if (m_pending == 0) {
        for (; count >= kBlock; bytes += kBlock, count -= kBlock) Block(bytes);
        if (count == 0) break;
      }
      const size_t take = std::min(kBlock - m_pending, count);
      std::memcpy(m_tail + m_pending, bytes, take);
      m_pending += take;
      bytes += take;
      count -= take;
      if (m_pending == kBlock) {
        Block(m_tail);
        m_pending = 0;
      }
    }
  }
  uint64_t Finish() {
    for (size_t i = 0; i < m_pending; ++i) m_lanes[i % 4] = Mix(m_lanes[i % 4], static_cast<unsigned char>(m_tail[i]) + 0x100ull);
    uint64_t hash = m_length;
    for (const uint64_t lane : m_lanes) hash = Mix(hash, lane);
    return hash;
  }

 private:
  static constexpr size_t kBlock = 32;
  static uint64_t Mix(uint64_t lane, uint64_t word) {
    lane = (lane ^ word) * 0x9E3779B97F4A7C15ull;
    return lane ^ (lane >> 29);
  }
  void Block(const char* bytes) {
    for (int i = 0; i < 4; ++i) {
      uint64_t word;
      std::memcpy(&word, bytes + 8 * i, 8);
      m_lanes[i] = Mix(m_lanes[i], word);
    }
  }
  uint64_t m_lanes[4] = {0x452821E638D01377ull, 0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull};
  uint64_t m_length = 0;
  char m_tail[kBlock] = {};
  size_t m_pending = 0;
};

// The fingerprint of bytes held whole.
uint64_t Fingerprint(std::string_view bytes);
