// fuzz_keys: the key decoder of setup-sim's terminal (tools/setup_sim/Keys)
// on any bytes.
//
// The bytes are decoded twice: fed whole, and fed in pieces (of sizes drawn
// from the input itself) with the keys taken after each piece, as they come
// from a terminal. Both must give the same keys: waiting for the rest of a
// sequence never decides a key differently. Told that nothing more is
// coming, the decoder takes every byte; no byte gives more than one key.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/setup_sim/Keys.h"

namespace {

using setwell::term::Key;
using setwell::term::KeyDecoder;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_keys: %s\n", what);
  std::abort();
}

void Drain(KeyDecoder& decoder, bool final, std::vector<Key>& keys, std::size_t bound) {
  while (std::optional<Key> key = decoder.Next(final)) {
    keys.push_back(*key);
    if (keys.size() > bound) Fail("more keys than bytes");
  }
  if (final && !decoder.Empty()) Fail("told that nothing more comes, the decoder keeps bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  std::vector<Key> whole;
  {
    KeyDecoder decoder;
    decoder.Feed(bytes);
    Drain(decoder, false, whole, size);
    Drain(decoder, true, whole, size);
  }

  std::vector<Key> pieces;
  {
    KeyDecoder decoder;
    std::uint32_t state = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) state = (state ^ data[i]) * 16777619u;
    std::size_t at = 0;
    while (at < size) {
      state = state * 1103515245u + 12345u;
      const std::size_t length = 1 + (state >> 16) % 7;
      decoder.Feed(bytes.substr(at, length));
      at += length;
      Drain(decoder, false, pieces, size);
    }
    Drain(decoder, true, pieces, size);
  }
  if (whole != pieces) Fail("fed in pieces, the bytes give other keys");
  return 0;
}
