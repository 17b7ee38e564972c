// Keys as the terminal sends them: the decoder turns the bytes of a raw
// terminal (xterm, the Linux console, tmux, screen) into the keys a dialog
// acts on, and TerminalIo is what the interactive front end reads keys
// from and writes frames to.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace setwell::term {

enum class KeyCode {
  kChar,  // a printable character (ch), with alt when Alt was held
  kEnter,
  kTab,
  kBackTab,  // Shift-Tab
  kEscape,
  kUp,
  kDown,
  kLeft,
  kRight,
  kHome,
  kEnd,
  kPageUp,
  kPageDown,
  kF1,
  kF4,
  kBackspace,
  kRedraw,   // Ctrl-L
  kResize,   // the terminal changed size
  kUnknown,  // a sequence no key here has
};

struct Key {
  KeyCode code = KeyCode::kUnknown;
  char ch = 0;
  bool alt = false;

  bool operator==(const Key&) const = default;
};

inline Key CharKey(char c, bool alt = false) { return Key{KeyCode::kChar, c, alt}; }
inline Key CodeKey(KeyCode code, bool alt = false) { return Key{code, 0, alt}; }

// Bytes in, keys out. An escape byte may start a sequence or be the Escape
// key (or Alt with the next key): while more bytes may still come it waits;
// told that nothing more is coming it decides.
class KeyDecoder {
 public:
  void Feed(const std::string& bytes) { buffer_ += bytes; }
  // The next whole key, if the buffer holds one; with `final`, a lone or
  // unfinished escape sequence is taken as it stands. Each key costs the
  // bytes it takes, however long the buffer.
  std::optional<Key> Next(bool final);
  bool Empty() const { return start_ == buffer_.size(); }

  // No key's sequence is longer: a longer one is an unknown key.
  static constexpr std::size_t kLongestSequence = 32;

 private:
  // Decodes a sequence at the start of `bytes` (an ESC): the key and the
  // bytes it took, or 0 bytes when the sequence is not complete yet.
  static std::size_t DecodeEscape(std::string_view bytes, Key& key, bool final);
  std::string buffer_;
  std::size_t start_ = 0;  // the bytes before it are taken
};

// Where the interactive front end gets keys and puts frames: the real
// terminal, or a test's script of keys.
class TerminalIo {
 public:
  virtual ~TerminalIo() = default;
  // Blocks for the next key; kResize when the size changed.
  virtual Key ReadKey() = 0;
  virtual void Write(const std::string& bytes) = 0;
  // Columns and rows.
  virtual int Columns() const = 0;
  virtual int Rows() const = 0;
};

// The terminal went away (its input ended): the run stops unsaved.
class InputClosed : public std::runtime_error {
 public:
  InputClosed() : std::runtime_error("the terminal's input ended") {}
};

}  // namespace setwell::term
