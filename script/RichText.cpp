#include "script/RichText.h"

#include <cctype>

namespace setwell::term {
namespace {

bool IsSkippedDestination(const std::string& word) {
  for (const char* skipped :
       {"fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "footer", "object"}) {
    if (word == skipped) return true;
  }
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string RtfToText(const std::string& rtf) {
  if (rtf.rfind("{\\rtf", 0) != 0) return rtf;
  std::string out;
  // Depth of each group, and the depth below which text is skipped (0: none).
  int depth = 0;
  int skipBelow = 0;
  bool groupStart = false;
  auto emit = [&](char c) {
    if (skipBelow == 0) out.push_back(c);
  };
  for (std::size_t i = 0; i < rtf.size(); ++i) {
    const char c = rtf[i];
    if (c == '{') {
      ++depth;
      groupStart = true;
      continue;
    }
    if (c == '}') {
      if (skipBelow != 0 && depth <= skipBelow) skipBelow = 0;
      --depth;
      groupStart = false;
      continue;
    }
    const bool atGroupStart = groupStart;
    groupStart = false;
    if (c == '\r' || c == '\n') continue;  // line ends in RTF source mean nothing
    if (c != '\\') {
      emit(c);
      continue;
    }
    if (i + 1 >= rtf.size()) break;
    const char next = rtf[i + 1];
    if (next == '\\' || next == '{' || next == '}') {
      emit(next);
      ++i;
      continue;
    }
    if (next == '*') {
      if (atGroupStart && skipBelow == 0) skipBelow = depth;
      ++i;
      continue;
    }
    if (next == '\'') {
      const int high = i + 2 < rtf.size() ? HexValue(rtf[i + 2]) : -1;
      const int low = i + 3 < rtf.size() ? HexValue(rtf[i + 3]) : -1;
      if (high >= 0 && low >= 0) emit(static_cast<char>(high * 16 + low));
      i += 3;
      continue;
    }
    if (!std::isalpha(static_cast<unsigned char>(next))) {
      if (next == '~') emit(' ');
      ++i;
      continue;
    }
    // A control word: letters, an optional signed number, one optional blank.
    std::size_t j = i + 1;
    std::string word;
    while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) word += rtf[j++];
    if (j < rtf.size() && (rtf[j] == '-' || std::isdigit(static_cast<unsigned char>(rtf[j])))) {
      ++j;
      while (j < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[j]))) ++j;
    }
    if (j < rtf.size() && rtf[j] == ' ') ++j;
    i = j - 1;
    if (atGroupStart && skipBelow == 0 && IsSkippedDestination(word)) {
      skipBelow = depth;
    } else if (word == "par" || word == "line") {
      emit('\n');
    } else if (word == "tab") {
      emit(' ');
    }
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

std::vector<std::string> WrapText(const std::string& text, int width) {
  std::vector<std::string> lines;
  if (width <= 0) return lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string paragraph = text.substr(start, end - start);
    if (paragraph.empty()) lines.emplace_back();
    while (!paragraph.empty()) {
      if (static_cast<int>(paragraph.size()) <= width) {
        lines.push_back(paragraph);
        break;
      }
      std::size_t cut = paragraph.rfind(' ', width);
      if (cut == std::string::npos || cut == 0) cut = width;
      lines.push_back(paragraph.substr(0, cut));
      std::size_t rest = cut;
      while (rest < paragraph.size() && paragraph[rest] == ' ') ++rest;
      paragraph.erase(0, rest);
    }
    if (end == text.size()) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace setwell::term
