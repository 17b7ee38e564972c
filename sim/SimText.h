// Text helpers of the simulated machine: Windows names compare without regard
// to ASCII letter case (system/AsciiCase.h), and the machine's state files
// escape the bytes a line cannot hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/AsciiCase.h"

namespace setwell::sim {

// "" for a null pointer.
std::string Text(const char* text);

// Percent escapes for one line of a state file: "%", control bytes, DEL and
// blanks at either end become "%XX"; everything else (backslashes, 8-bit
// ANSI bytes) stays as it is, so Windows paths read as they are.
std::string EscapeLine(std::string_view text);
std::optional<std::string> UnescapeLine(std::string_view text);

// "1b,5a,00" from bytes and back.
std::string HexBytes(std::string_view bytes, char separator = ',');
std::optional<std::string> ParseHexBytes(std::string_view text);

// Decimal or 0x-prefixed unsigned number.
std::optional<std::uint64_t> ParseNumber(std::string_view text);
// A decimal int as std::to_string writes it: an optional "-", then digits.
std::optional<int> ParseSigned(std::string_view text);
std::string HexNumber(std::uint32_t value);  // "0x0000001f"

std::vector<std::string> Split(std::string_view text, char separator);
std::string Trim(std::string_view text);

}  // namespace setwell::sim
