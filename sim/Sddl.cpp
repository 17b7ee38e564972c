#include "sim/Sddl.h"

#include <array>
#include <cctype>
#include <string>

namespace setwell::sim {
namespace {

constexpr std::array<std::string_view, 40> kSidAliases = {
    "AN", "AO", "AU", "BA", "BG", "BO", "BU", "CA", "CG", "CO", "DA", "DC", "DD", "DG",
    "DU", "EA", "ED", "IU", "LA", "LG", "LS", "NO", "NS", "NU", "PA", "PO", "PS", "PU",
    "RC", "RD", "RE", "RO", "RS", "RU", "SA", "SO", "SU", "SY", "WD", "CY"};

constexpr std::array<std::string_view, 9> kAceTypes = {"A", "D", "OA", "OD", "AU", "AL", "OU", "OL",
                                                       "ML"};

bool IsSid(std::string_view sid) {
  if (sid.size() == 2) {
    for (std::string_view alias : kSidAliases) {
      if (alias == sid) return true;
    }
    return false;
  }
  // S-1-<authority>-<sub>...: digits between dashes.
  if (sid.substr(0, 4) != "S-1-" || sid.size() == 4) return false;
  bool digit = false;
  for (char c : sid.substr(4)) {
    if (c == '-') {
      if (!digit) return false;
      digit = false;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      digit = true;
    } else {
      return false;
    }
  }
  return digit;
}

bool IsRights(std::string_view rights) {
  if (rights.empty()) return false;
  if (rights.substr(0, 2) == "0x" || rights.substr(0, 2) == "0X") {
    if (rights.size() == 2) return false;
    for (char c : rights.substr(2)) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
  }
  // Two-letter right codes such as "GA", "GR", "FA", "KA".
  if (rights.size() % 2 != 0) return false;
  for (char c : rights) {
    if (!std::isupper(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool IsAce(std::string_view ace) {
  std::string_view fields[6];
  std::size_t count = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= ace.size(); ++i) {
    if (i == ace.size() || ace[i] == ';') {
      if (count == 6) return false;
      fields[count++] = ace.substr(start, i - start);
      start = i + 1;
    }
  }
  if (count != 6) return false;
  bool knownType = false;
  for (std::string_view type : kAceTypes) knownType = knownType || type == fields[0];
  for (char c : fields[1]) {
    if (!std::isupper(static_cast<unsigned char>(c))) return false;
  }
  return knownType && IsRights(fields[2]) && IsSid(fields[5]);
}

bool IsAcl(std::string_view acl) {
  std::size_t i = 0;
  while (i < acl.size() && acl[i] != '(') {  // flags: P, AI, AR, NO_ACCESS_CONTROL
    if (!std::isupper(static_cast<unsigned char>(acl[i])) && acl[i] != '_') return false;
    ++i;
  }
  while (i < acl.size()) {
    if (acl[i] != '(') return false;
    std::size_t close = acl.find(')', i);
    if (close == std::string_view::npos || !IsAce(acl.substr(i + 1, close - i - 1))) return false;
    i = close + 1;
  }
  return true;
}

}  // namespace

bool IsValidSddl(std::string_view text) {
  if (text.empty()) return false;
  std::string seen;
  std::size_t i = 0;
  while (i < text.size()) {
    if (i + 1 >= text.size() || text[i + 1] != ':') return false;
    const char part = text[i];
    if (std::string_view("OGDS").find(part) == std::string_view::npos) return false;
    if (seen.find(part) != std::string::npos) return false;
    seen.push_back(part);
    // The part runs to the next "X:" that starts a part outside parentheses.
    std::size_t end = i + 2;
    int depth = 0;
    while (end < text.size()) {
      char c = text[end];
      if (c == '(') ++depth;
      if (c == ')') --depth;
      if (depth == 0 && end + 1 < text.size() && text[end + 1] == ':' &&
          std::string_view("OGDS").find(c) != std::string_view::npos && end > i + 2) {
        break;
      }
      ++end;
    }
    std::string_view body = text.substr(i + 2, end - i - 2);
    bool ok = (part == 'O' || part == 'G') ? IsSid(body) : IsAcl(body);
    if (!ok) return false;
    i = end;
  }
  return true;
}

}  // namespace setwell::sim
