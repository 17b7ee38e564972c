// Letter case as Windows names use it: ASCII letters only. Other bytes
// compare exactly, which keeps double-byte code pages (936) intact.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace setwell {

constexpr char ToLowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Lower-cases `size` bytes of `from` into `to` (the same place or one that
// does not overlap it): ASCII capitals become small letters, every other
// byte, those above 0x7F too, stays. Eight bytes at a time: the machine's
// lookups lower-case a path or name for each of thousands of calls.
inline void LowerAsciiInto(char* to, const char* from, std::size_t size) {
  constexpr std::uint64_t kEach = 0x0101010101010101u;
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    std::uint64_t bytes;
    std::memcpy(&bytes, from + i, 8);
    // Per byte, no carry into the next: the low seven bits plus 0x3F set
    // the top bit from 'A' on, plus 0x25 from the byte after 'Z' on.
    const std::uint64_t low = bytes & (0x7F * kEach);
    const std::uint64_t fromA = low + 0x3F * kEach;
    const std::uint64_t pastZ = low + 0x25 * kEach;
    const std::uint64_t capital = fromA & ~pastZ & ~bytes & (0x80 * kEach);
    bytes |= capital >> 2;  // 0x80 >> 2 is the 0x20 between 'A' and 'a'
    std::memcpy(to + i, &bytes, 8);
  }
  for (; i < size; ++i) to[i] = ToLowerAscii(from[i]);
}

inline std::string LowerAscii(std::string_view text) {
  std::string out(text);
  LowerAsciiInto(out.data(), out.data(), out.size());
  return out;
}

inline bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // Names are mostly asked for as they are written.
  if (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0) return true;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

// a < b by their lower-cased bytes, without making the lower-cased copies.
inline bool LessNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(ToLowerAscii(a[i]));
    const auto y = static_cast<unsigned char>(ToLowerAscii(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return prefix.size() <= text.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

inline bool ContainsNoCase(std::string_view text, std::string_view part) {
  return LowerAscii(text).find(LowerAscii(part)) != std::string::npos;
}

}  // namespace setwell
