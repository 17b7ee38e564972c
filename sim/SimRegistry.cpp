#include "sim/SimRegistry.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "sim/LowerKey.h"
#include "sim/SimText.h"

namespace setwell::sim {
namespace {

constexpr char kRoot[] = "HKEY_LOCAL_MACHINE";
// The last line of a saved registry: a file cut short is refused. A comment
// to the registry editor, so that the file still imports there.
constexpr char kEndLine[] = "; end";

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

// Reads a quoted string at text[pos] (the opening quote); pos ends after the
// closing quote.
std::optional<std::string> Unquote(const std::string& text, std::size_t& pos) {
  if (pos >= text.size() || text[pos] != '"') return std::nullopt;
  std::string out;
  for (++pos; pos < text.size(); ++pos) {
    char c = text[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c == '\\') {
      if (++pos >= text.size()) return std::nullopt;
      c = text[pos];
    }
    out.push_back(c);
  }
  return std::nullopt;
}

// One line of text ending in its terminator: shown as a string.
bool IsPlainString(const std::string& data) {
  if (data.empty() || data.back() != '\0') return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(data[i]);
    if (c < 0x20 || c == 0x7f) return false;
  }
  return true;
}

// "prefix" followed by hex bytes, wrapped as the registry editor wraps them.
std::string HexValue(const std::string& head, const std::string& bytes) {
  std::string out = head;
  std::size_t column = head.size();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char code[4];
    std::snprintf(code, sizeof code, "%02x", static_cast<unsigned char>(bytes[i]));
    out += code;
    column += 2;
    if (i + 1 < bytes.size()) {
      out.push_back(',');
      ++column;
      if (column > 76) {
        out += "\\\n  ";
        column = 2;
      }
    }
  }
  return out;
}

}  // namespace

namespace {

// Whether the path is as Normalise makes it.
bool IsNormalised(const std::string& path) {
  if (path.empty()) return true;
  if (path.front() == '\\' || path.back() == '\\') return false;
  // From one separator to the next: a doubled one is the only fault left.
  const char* const end = path.data() + path.size();
  for (const char* at = path.data();;) {
    const void* hit = std::memchr(at, '\\', static_cast<std::size_t>(end - at));
    if (hit == nullptr) return true;
    at = static_cast<const char*>(hit) + 1;
    if (*at == '\\') return false;  // the last byte is no separator: at < end
  }
}

}  // namespace

std::string SimRegistry::Normalise(const std::string& path) {
  if (IsNormalised(path)) return path;
  std::string out;
  for (char c : path) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out.push_back(c);
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

std::string SimRegistry::LookupKey(const std::string& path) {
  return LowerAscii(IsNormalised(path) ? path : Normalise(path));
}

RegKey* SimRegistry::FindByLookupKey(const std::string& lookup) {
  auto it = keys_.find(lookup);
  return it == keys_.end() ? nullptr : &it->second;
}

const RegKey* SimRegistry::FindByLookupKey(const std::string& lookup) const {
  auto it = keys_.find(lookup);
  return it == keys_.end() ? nullptr : &it->second;
}

bool SimRegistry::KeyExists(const std::string& path) const { return FindKey(path) != nullptr; }

RegKey* SimRegistry::FindKey(const std::string& path) {
  const RegKey* key = std::as_const(*this).FindKey(path);
  return const_cast<RegKey*>(key);
}

const RegKey* SimRegistry::FindKey(const std::string& path) const {
  if (!IsNormalised(path)) {
    auto it = keys_.find(LookupKey(path));
    return it == keys_.end() ? nullptr : &it->second;
  }
  const LowerKey lookup(path);
  auto it = keys_.find(lookup.view());
  return it == keys_.end() ? nullptr : &it->second;
}

RegKey& SimRegistry::CreateKey(const std::string& path) {
  if (IsNormalised(path)) {
    const LowerKey lookup(path);
    if (auto it = keys_.find(lookup.view()); it != keys_.end()) return it->second;
  }
  const std::string normal = Normalise(path);
  const std::string lower = LowerAscii(normal);
  if (auto it = keys_.find(lower); it != keys_.end()) return it->second;
  // A key there is has its parents: every key is made with them, here
  // alone. So the keys to make are those below the deepest one there is,
  // found from the path's end (a new key's parent is mostly there).
  std::vector<std::size_t> ends{lower.size()};  // of each key to make, the deepest first
  const RegKey* parent = nullptr;
  std::size_t start = 0;  // of the first name to make
  for (std::size_t at = lower.size(); at > 0;) {
    const std::size_t slash = lower.rfind('\\', at - 1);
    if (slash == std::string::npos) break;
    if (auto it = keys_.find(std::string_view(lower).substr(0, slash)); it != keys_.end()) {
      parent = &it->second;
      start = slash + 1;
      break;
    }
    ends.push_back(slash);
    at = slash;
  }
  // Each key made takes its parent's path as first made and its own name as
  // given here.
  std::string display = parent != nullptr ? parent->path : std::string();
  RegKey* key = nullptr;
  for (auto end = ends.rbegin(); end != ends.rend(); ++end) {
    const std::string component = normal.substr(start, *end - start);
    auto [it, inserted] = keys_.try_emplace(lower.substr(0, *end));
    if (inserted) it->second.path = display.empty() ? component : display + "\\" + component;
    key = &it->second;
    display = key->path;
    start = *end + 1;
  }
  return *key;
}

void SimRegistry::DeleteKey(const std::string& path) {
  const std::string lower = LowerAscii(Normalise(path));
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (it->first == lower || it->first.rfind(lower + "\\", 0) == 0) {
      it = keys_.erase(it);
    } else {
      ++it;
    }
  }
}

std::vector<std::string> SimRegistry::SubKeys(const std::string& path) const {
  const std::string prefix = LowerAscii(Normalise(path)) + "\\";
  std::vector<std::string> names;
  // The keys below a child all begin with the child's key and "\\", and
  // lie together in the map: the walk steps over them at the first one, so
  // that a key with thousands of grandchildren (a monitor's ports) is
  // listed at the cost of its children. "]" is the character after "\\".
  for (auto it = keys_.lower_bound(prefix); it != keys_.end();) {
    if (it->first.compare(0, prefix.size(), prefix) != 0) break;
    const std::size_t below = it->first.find('\\', prefix.size());
    if (below == std::string::npos) {
      names.push_back(it->second.path.substr(prefix.size()));
      ++it;
      continue;
    }
    std::string past(it->first, 0, below);
    past += ']';
    it = keys_.lower_bound(past);
  }
  return names;
}

const RegValue* RegKey::Value(const std::string& name) const {
  auto it = places.find(LowerAscii(name));
  return it == places.end() ? nullptr : &values[it->second];
}

const RegValue* SimRegistry::FindValue(const std::string& path, const std::string& name) const {
  const RegKey* key = FindKey(path);
  return key == nullptr ? nullptr : key->Value(name);
}

void SimRegistry::SetValue(const std::string& path, const std::string& name, DWORD type,
                           std::string data) {
  SetValue(CreateKey(path), name, type, std::move(data));
}

void SimRegistry::SetValue(RegKey& key, const std::string& name, DWORD type, std::string data) {
  auto [it, added] = key.places.try_emplace(LowerAscii(name), key.values.size());
  if (added) {
    key.values.push_back(RegValue{name, type, std::move(data)});
  } else {
    RegValue& value = key.values[it->second];
    value.type = type;
    value.data = std::move(data);
  }
}

void SimRegistry::SetDword(const std::string& path, const std::string& name, DWORD value) {
  std::string data(sizeof value, '\0');
  std::memcpy(data.data(), &value, sizeof value);
  SetValue(path, name, REG_DWORD, std::move(data));
}

void SimRegistry::SetString(const std::string& path, const std::string& name,
                            const std::string& value) {
  std::string data = value;
  data.push_back('\0');
  SetValue(path, name, REG_SZ, std::move(data));
}

bool SimRegistry::DeleteValue(const std::string& path, const std::string& name) {
  RegKey* key = FindKey(path);
  if (key == nullptr) return false;
  auto it = key->places.find(LowerAscii(name));
  if (it == key->places.end()) return false;
  const std::size_t place = it->second;
  key->places.erase(it);
  key->values.erase(key->values.begin() + static_cast<std::ptrdiff_t>(place));
  for (auto& [lower, at] : key->places) {
    if (at > place) --at;
  }
  return true;
}

bool SimRegistry::GetDword(const std::string& path, const std::string& name, DWORD& value) const {
  const RegValue* found = FindValue(path, name);
  if (found == nullptr || found->data.size() != sizeof value) return false;
  std::memcpy(&value, found->data.data(), sizeof value);
  return true;
}

bool SimRegistry::GetString(const std::string& path, const std::string& name,
                            std::string& value) const {
  const RegValue* found = FindValue(path, name);
  if (found == nullptr || found->type != REG_SZ) return false;
  value = found->data.substr(0, found->data.find('\0'));
  return true;
}

std::string SimRegistry::ToRegedit4() const {
  std::string out = "REGEDIT4\n";
  for (const auto& [lower, key] : keys_) {
    out += "\n[" + std::string(kRoot) + "\\" + key.path + "]\n";
    for (const RegValue& value : key.values) {
      std::string line = value.name.empty() ? "@=" : Quote(value.name) + "=";
      if (value.type == REG_SZ && IsPlainString(value.data)) {
        line += Quote(value.data.substr(0, value.data.size() - 1));
      } else if (value.type == REG_DWORD && value.data.size() == 4) {
        DWORD number = 0;
        std::memcpy(&number, value.data.data(), 4);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(number));
        line += text;
      } else if (value.type == REG_BINARY) {
        line = HexValue(line + "hex:", value.data);
      } else {
        char head[24];
        std::snprintf(head, sizeof head, "hex(%x):", static_cast<unsigned>(value.type));
        line = HexValue(line + head, value.data);
      }
      out += line + "\n";
    }
  }
  return out + "\n" + kEndLine + "\n";
}

bool SimRegistry::FromRegedit4(const std::string& text, std::string* error, bool requireEnd) {
  SimRegistry parsed;
  RegKey* current = nullptr;
  int number = 0;
  bool sawHeader = false;
  bool ended = false;
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  const std::vector<std::string> lines = Split(text, '\n');
  for (std::size_t i = 0; i < lines.size(); ++i) {
    number = static_cast<int>(i) + 1;
    std::string line = Trim(lines[i]);
    // A value continued on the next lines ends in a backslash.
    while (!line.empty() && line.back() == '\\' && line.find('=') != std::string::npos &&
           i + 1 < lines.size()) {
      line.pop_back();
      line += Trim(lines[++i]);
    }
    if (line.empty()) continue;
    if (ended) return fail("text after the \"" + std::string(kEndLine) + "\" line");
    if (line == kEndLine && sawHeader) {
      ended = true;
      continue;
    }
    if (line[0] == ';') continue;
    if (!sawHeader) {
      if (line != "REGEDIT4") return fail("the file does not start with REGEDIT4");
      sawHeader = true;
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']') return fail("key line without \"]\"");
      const std::string path = line.substr(1, line.size() - 2);
      const std::string root = std::string(kRoot) + "\\";
      if (!EqualsNoCase(path.substr(0, root.size()), root) || path.size() == root.size()) {
        return fail("only keys below HKEY_LOCAL_MACHINE are kept");
      }
      // "HKEY_LOCAL_MACHINE\\" names no key below it either.
      if (Normalise(path.substr(root.size())).empty()) return fail("a key without a name");
      current = &parsed.CreateKey(path.substr(root.size()));
      continue;
    }
    if (current == nullptr) return fail("value before the first key");
    std::size_t pos = 0;
    std::string name;
    if (line[0] == '@') {
      pos = 1;
    } else {
      std::optional<std::string> quoted = Unquote(line, pos);
      if (!quoted) return fail("bad value name");
      name = *quoted;
    }
    if (pos >= line.size() || line[pos] != '=') return fail("expected \"=\" after the name");
    ++pos;
    const std::string data = line.substr(pos);
    RegValue value{name, REG_NONE, {}};
    if (!data.empty() && data[0] == '"') {
      std::size_t at = 0;
      std::optional<std::string> quoted = Unquote(data, at);
      if (!quoted || at != data.size()) return fail("bad string value");
      value.type = REG_SZ;
      value.data = *quoted + std::string(1, '\0');
    } else if (data.rfind("dword:", 0) == 0) {
      std::optional<std::uint64_t> number32 = ParseNumber("0x" + data.substr(6));
      if (data.size() != 14 || !number32) return fail("bad dword value");
      const DWORD number32Value = static_cast<DWORD>(*number32);
      value.type = REG_DWORD;
      value.data.assign(reinterpret_cast<const char*>(&number32Value), 4);
    } else if (data.rfind("hex", 0) == 0) {
      std::size_t colon = data.find(':');
      if (colon == std::string::npos) return fail("bad hex value");
      const std::string head = data.substr(3, colon - 3);
      if (head.empty()) {
        value.type = REG_BINARY;
      } else {
        std::optional<std::uint64_t> type;
        if (head.size() > 2 && head.front() == '(' && head.back() == ')') {
          type = ParseNumber("0x" + head.substr(1, head.size() - 2));
        }
        if (!type || *type > 0xFFFFFFFFu) return fail("bad hex value type");
        value.type = static_cast<DWORD>(*type);
      }
      std::optional<std::string> bytes = ParseHexBytes(data.substr(colon + 1));
      if (!bytes) return fail("bad hex bytes");
      value.data = *bytes;
    } else {
      return fail("unknown kind of value");
    }
    if (!current->places.try_emplace(LowerAscii(value.name), current->values.size()).second) {
      return fail("value \"" + name + "\" twice");
    }
    current->values.push_back(std::move(value));
  }
  if (!sawHeader) return fail("the file does not start with REGEDIT4");
  if (requireEnd && !ended) {
    return fail("the file ends before its \"" + std::string(kEndLine) + "\" line (cut short?)");
  }
  *this = std::move(parsed);
  return true;
}

}  // namespace setwell::sim
