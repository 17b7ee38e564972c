#include "sim/SimText.h"

#include <climits>
#include <cstdio>

namespace setwell::sim {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string Text(const char* text) { return text == nullptr ? std::string() : std::string(text); }

std::string EscapeLine(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool edgeBlank = c == ' ' && (i == 0 || i + 1 == text.size());
    if (c == '%' || c < 0x20 || c == 0x7f || edgeBlank) {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", c);
      out += code;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::optional<std::string> UnescapeLine(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexDigit(text[i + 1]);
    const int low = HexDigit(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

std::string HexBytes(std::string_view bytes, char separator) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char code[3];
    std::snprintf(code, sizeof code, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i != 0 && separator != '\0') out.push_back(separator);
    out += code;
  }
  return out;
}

std::optional<std::string> ParseHexBytes(std::string_view text) {
  std::string out;
  int high = -1;
  for (char c : text) {
    if (c == ',' || c == ' ' || c == '\t') {
      if (high >= 0) return std::nullopt;
      continue;
    }
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    if (high < 0) {
      high = digit;
    } else {
      out.push_back(static_cast<char>(high * 16 + digit));
      high = -1;
    }
  }
  if (high >= 0) return std::nullopt;
  return out;
}

std::optional<std::uint64_t> ParseNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    for (char c : text.substr(2)) {
      const int digit = HexDigit(c);
      if (digit < 0 || value > (UINT64_MAX >> 4)) return std::nullopt;
      value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return value;
  }
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;  // past 18446744073709551615
    value = value * 10 + digit;
  }
  return value;
}

std::optional<int> ParseSigned(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
  std::optional<std::uint64_t> magnitude = ParseNumber(text);
  if (!magnitude) return std::nullopt;
  if (negative) {
    if (*magnitude > static_cast<std::uint64_t>(INT_MAX) + 1) return std::nullopt;
    return static_cast<int>(-static_cast<std::int64_t>(*magnitude));
  }
  if (*magnitude > static_cast<std::uint64_t>(INT_MAX)) return std::nullopt;
  return static_cast<int>(*magnitude);
}

std::string HexNumber(std::uint32_t value) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08x", value);
  return text;
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

std::string Trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t' || text[begin] == '\r')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r')) {
    --end;
  }
  return std::string(text.substr(begin, end - begin));
}

}  // namespace setwell::sim
