// A small JSON reader and string writer: the listing of a machine is read
// back with it, and the tests look into setup-check's JSON and SARIF reports
// with it. Objects, arrays, strings (with \uXXXX below 0x100 as one byte:
// the texts are ANSI, Latin-1 in JSON), numbers, true, false and null.
// Throws std::runtime_error at the first thing that is not JSON, with its
// offset; nesting deeper than kMaxDepth is refused rather than recursed.
#pragma once

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace setwell::json {

struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;

  bool Has(const std::string& name) const { return members.count(name) == 1; }
  // The member `name`; throws when there is none, naming it.
  const JsonValue& operator[](const std::string& name) const {
    auto it = members.find(name);
    if (kind != Kind::kObject || it == members.end())
      throw std::runtime_error("no member \"" + name + "\"");
    return it->second;
  }
  const JsonValue& operator[](std::size_t i) const {
    if (kind != Kind::kArray || i >= items.size()) throw std::runtime_error("no item " + std::to_string(i));
    return items[i];
  }
};

class JsonReader {
 public:
  static JsonValue Parse(const std::string& text) {
    JsonReader reader(text);
    JsonValue value = reader.Value();
    reader.Space();
    if (reader.at_ != text.size()) reader.Fail("text after the value");
    return value;
  }

 private:
  explicit JsonReader(const std::string& text) : text_(text) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(at_));
  }
  void Space() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' ||
                                  text_[at_] == '\t'))
      ++at_;
  }
  bool Take(char c) {
    Space();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  void Expect(char c) {
    if (!Take(c)) Fail(std::string("expected '") + c + "'");
  }
  bool Word(const char* word) {
    const std::string w = word;
    if (text_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }

  JsonValue Value() {
    if (++depth_ > kMaxDepth) Fail("nested deeper than " + std::to_string(kMaxDepth));
    JsonValue v = Nested();
    --depth_;
    return v;
  }
  JsonValue Nested() {
    Space();
    if (at_ >= text_.size()) Fail("end of text");
    JsonValue v;
    const char c = text_[at_];
    if (c == '{') {
      ++at_;
      v.kind = JsonValue::Kind::kObject;
      if (Take('}')) return v;
      do {
        Space();
        std::string name = String();
        Expect(':');
        if (!v.members.emplace(name, Value()).second) Fail("member \"" + name + "\" twice");
      } while (Take(','));
      Expect('}');
    } else if (c == '[') {
      ++at_;
      v.kind = JsonValue::Kind::kArray;
      if (Take(']')) return v;
      do v.items.push_back(Value());
      while (Take(','));
      Expect(']');
    } else if (c == '"') {
      v.kind = JsonValue::Kind::kString;
      v.text = String();
    } else if (Word("true")) {
      v.kind = JsonValue::Kind::kBool;
      v.boolean = true;
    } else if (Word("false")) {
      v.kind = JsonValue::Kind::kBool;
    } else if (Word("null")) {
      v.kind = JsonValue::Kind::kNull;
    } else {
      const char* start = text_.c_str() + at_;
      char* end = nullptr;
      v.kind = JsonValue::Kind::kNumber;
      v.number = std::strtod(start, &end);
      if (end == start) Fail("not a value");
      at_ += static_cast<std::size_t>(end - start);
    }
    return v;
  }

  std::string String() {
    if (at_ >= text_.size() || text_[at_] != '"') Fail("expected a string");
    ++at_;
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      char c = text_[at_++];
      if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) Fail("end of text in an escape");
      c = text_[at_++];
      switch (c) {
        case '"': case '\\': case '/': out += c; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          if (at_ + 4 > text_.size()) Fail("short \\u escape");
          unsigned long code = 0;
          for (std::size_t k = at_; k < at_ + 4; ++k) {
            const char h = text_[k];
            const int d = h >= '0' && h <= '9'   ? h - '0'
                          : h >= 'a' && h <= 'f' ? h - 'a' + 10
                          : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                 : -1;
            if (d < 0) Fail("\\u escape with a character that is not hex");
            code = code * 16 + static_cast<unsigned long>(d);
          }
          if (code > 0xFF) Fail("\\u escape above 0xFF");
          out += static_cast<char>(code);
          at_ += 4;
          break;
        }
        default: Fail("unknown escape");
      }
    }
    if (at_ >= text_.size()) Fail("unterminated string");
    ++at_;
    return out;
  }

  static constexpr int kMaxDepth = 64;
  const std::string& text_;
  std::size_t at_ = 0;
  int depth_ = 0;
};

// A JSON string of ANSI text: bytes above 0x7F stand for the code points of
// their value (Latin-1), control characters are escaped.
inline std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c >= 0x80) {
          static constexpr char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

}  // namespace setwell::json
