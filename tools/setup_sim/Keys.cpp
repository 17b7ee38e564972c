#include "tools/setup_sim/Keys.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace setwell::term {
namespace {

constexpr char kEsc = '\x1b';

// A key from one plain byte (no escape), or kUnknown.
Key PlainKey(unsigned char c) {
  switch (c) {
    case '\r':
    case '\n':
      return CodeKey(KeyCode::kEnter);
    case '\t':
      return CodeKey(KeyCode::kTab);
    case 0x7f:
    case 0x08:
      return CodeKey(KeyCode::kBackspace);
    case 0x0c:
      return CodeKey(KeyCode::kRedraw);
    default:
      return c >= 0x20 && c < 0x7f ? CharKey(static_cast<char>(c)) : CodeKey(KeyCode::kUnknown);
  }
}

// A parameter no key uses: larger numbers stop there instead of
// overflowing.
constexpr int kParameterCeiling = 10000;

std::vector<int> Parameters(std::string_view text) {
  std::vector<int> values;
  int value = 0;
  bool any = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      value = std::min(value * 10 + (c - '0'), kParameterCeiling);
      any = true;
    } else if (c == ';') {
      values.push_back(any ? value : 1);
      value = 0;
      any = false;
    }
  }
  values.push_back(any ? value : 1);
  return values;
}

// The key of a CSI or SS3 sequence's final byte with its parameters.
Key FinalKey(char final, const std::vector<int>& parameters) {
  // xterm's modifier parameter: 1 + shift + 2 * alt + 4 * control.
  const int modifier = parameters.size() >= 2 ? parameters[1] : 1;
  const bool alt = ((modifier - 1) & 2) != 0;
  switch (final) {
    case 'A':
      return CodeKey(KeyCode::kUp, alt);
    case 'B':
      return CodeKey(KeyCode::kDown, alt);
    case 'C':
      return CodeKey(KeyCode::kRight, alt);
    case 'D':
      return CodeKey(KeyCode::kLeft, alt);
    case 'H':
      return CodeKey(KeyCode::kHome, alt);
    case 'F':
      return CodeKey(KeyCode::kEnd, alt);
    case 'Z':
      return CodeKey(KeyCode::kBackTab);
    case 'P':
      return CodeKey(KeyCode::kF1, alt);
    case 'S':
      return CodeKey(KeyCode::kF4, alt);
    case '~':
      switch (parameters.empty() ? 0 : parameters[0]) {
        case 1:
        case 7:
          return CodeKey(KeyCode::kHome, alt);
        case 4:
        case 8:
          return CodeKey(KeyCode::kEnd, alt);
        case 5:
          return CodeKey(KeyCode::kPageUp, alt);
        case 6:
          return CodeKey(KeyCode::kPageDown, alt);
        case 11:
          return CodeKey(KeyCode::kF1, alt);
        case 14:
          return CodeKey(KeyCode::kF4, alt);
        default:
          return CodeKey(KeyCode::kUnknown);
      }
    default:
      return CodeKey(KeyCode::kUnknown);
  }
}

}  // namespace

std::size_t KeyDecoder::DecodeEscape(std::string_view b, Key& key, bool final) {
  if (b.size() == 1) {
    if (!final) return 0;
    key = CodeKey(KeyCode::kEscape);
    return 1;
  }
  const char second = b[1];
  if (second == '[' || second == 'O') {
    // The Linux console's function keys: ESC [ [ A (F1) .. ESC [ [ E (F5).
    if (second == '[' && b.size() >= 3 && b[2] == '[') {
      if (b.size() < 4) {
        if (!final) return 0;
        key = CodeKey(KeyCode::kUnknown);
        return b.size();
      }
      key = CodeKey(b[3] == 'A' ? KeyCode::kF1 : b[3] == 'D' ? KeyCode::kF4 : KeyCode::kUnknown);
      return 4;
    }
    // Parameter and intermediate bytes, then one final byte 0x40..0x7E. A
    // sequence longer than any key's is taken as an unknown key there, so
    // that a run of parameter bytes is never kept waiting for its end.
    std::size_t i = 2;
    while (i < b.size() && i < kLongestSequence && b[i] >= 0x20 && b[i] <= 0x3F) ++i;
    if (i >= kLongestSequence) {
      key = CodeKey(KeyCode::kUnknown);
      return i;
    }
    if (i >= b.size()) {
      if (!final) return 0;
      key = CodeKey(KeyCode::kUnknown);
      return b.size();
    }
    if (b[i] < 0x40 || b[i] > 0x7E) {
      key = CodeKey(KeyCode::kUnknown);
      return i;
    }
    key = FinalKey(b[i], Parameters(b.substr(2, i - 2)));
    return i + 1;
  }
  if (second == kEsc) {
    // Some terminals send Alt with a key as ESC and the key's own bytes:
    // ESC ESC [ A is Alt-Up, ESC ESC x is Alt-x. One ESC is taken so, no
    // more: a third ESC starts the next key, and ESC ESC before it is
    // Alt-Escape.
    if (b.size() == 2) {
      if (!final) return 0;
      key = CodeKey(KeyCode::kEscape, true);
      return 2;
    }
    if (b[2] == kEsc) {
      key = CodeKey(KeyCode::kEscape, true);
      return 2;
    }
    const std::size_t used = DecodeEscape(b.substr(1), key, final);
    if (used == 0) return 0;
    key.alt = true;
    return used + 1;
  }
  key = PlainKey(static_cast<unsigned char>(second));
  key.alt = true;
  return 2;
}

std::optional<Key> KeyDecoder::Next(bool final) {
  if (Empty()) return std::nullopt;
  const std::string_view rest = std::string_view(buffer_).substr(start_);
  const unsigned char first = static_cast<unsigned char>(rest[0]);
  Key key;
  std::size_t used = 1;
  if (first == kEsc) {
    used = DecodeEscape(rest, key, final);
    if (used == 0) return std::nullopt;
  } else if (first >= 0x80) {
    // A UTF-8 character: no key of a dialog here, but it is taken whole.
    const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (rest.size() < length && !final) return std::nullopt;
    used = std::min(length, rest.size());
    key = CodeKey(KeyCode::kUnknown);
  } else {
    key = PlainKey(first);
  }
  // The bytes taken are dropped from the buffer once they are most of it,
  // so that taking keys one by one from a long buffer stays linear.
  start_ += used;
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  } else if (start_ > 4096 && start_ * 2 > buffer_.size()) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  return key;
}

}  // namespace setwell::term
