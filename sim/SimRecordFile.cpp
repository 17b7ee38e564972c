#include "sim/SimRecordFile.h"

#include "sim/SimText.h"

namespace setwell::sim {
namespace {

constexpr char kEndLine[] = "[end]";

}  // namespace

std::optional<std::string> SimRecordFile::Section::Get(const std::string& key) const {
  for (const auto& [k, v] : entries) {
    if (k == key) return v;
  }
  return std::nullopt;
}

std::string SimRecordFile::Section::GetOr(const std::string& key,
                                          const std::string& fallback) const {
  std::optional<std::string> value = Get(key);
  return value ? *value : fallback;
}

std::vector<std::string> SimRecordFile::Section::GetAll(const std::string& key) const {
  std::vector<std::string> values;
  for (const auto& [k, v] : entries) {
    if (k == key) values.push_back(v);
  }
  return values;
}

std::string SimRecordFile::Section::Where() const {
  return line > 0 ? "line " + std::to_string(line) + ": " : std::string();
}

SimRecordFile::Section& SimRecordFile::Add(std::string kind, std::string name) {
  sections_.push_back(Section{std::move(kind), std::move(name), {}});
  return sections_.back();
}

std::string SimRecordFile::Format() const {
  std::string out;
  if (!heading_.empty()) {
    for (const std::string& line : Split(heading_, '\n')) out += "# " + line + "\n";
  }
  for (const Section& section : sections_) {
    if (!section.kind.empty()) {
      if (!out.empty()) out += "\n";
      out += "[" + section.kind;
      if (!section.name.empty()) out += " " + EscapeLine(section.name);
      out += "]\n";
    }
    for (const auto& [key, value] : section.entries) {
      out += key + " = " + EscapeLine(value) + "\n";
    }
  }
  if (!out.empty()) out += "\n";
  return out + kEndLine + "\n";
}

bool SimRecordFile::Parse(const std::string& text, std::string* error) {
  sections_.clear();
  int number = 0;
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  bool ended = false;
  for (const std::string& raw : Split(text, '\n')) {
    ++number;
    std::string line = raw;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Trim(line).empty() || line[0] == '#') continue;
    if (ended) return fail("text after the " + std::string(kEndLine) + " line");
    if (line == kEndLine) {
      ended = true;
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']') return fail("section header without \"]\"");
      const std::string header = line.substr(1, line.size() - 2);
      const std::size_t space = header.find(' ');
      // A section without a kind would be written as part of the one
      // before it.
      if (space == 0 || header.empty()) return fail("section header without a kind");
      if (header.substr(0, space) == "end") return fail("a section of the kind of the [end] line");
      std::optional<std::string> name =
          UnescapeLine(space == std::string::npos ? std::string() : header.substr(space + 1));
      if (!name) return fail("bad escape in section name");
      Add(header.substr(0, space), *name).line = number;
      continue;
    }
    const std::size_t equals = line.find(" = ");
    std::string key;
    std::string value;
    if (equals != std::string::npos) {
      key = line.substr(0, equals);
      value = line.substr(equals + 3);
    } else if (line.size() >= 2 && line.compare(line.size() - 2, 2, " =") == 0) {
      key = line.substr(0, line.size() - 2);  // an empty value
    } else {
      return fail("expected \"key = value\"");
    }
    std::optional<std::string> unescaped = UnescapeLine(value);
    if (!unescaped) return fail("bad escape in value");
    if (sections_.empty()) Add("");
    sections_.back().Add(Trim(key), *unescaped);
  }
  if (!ended) {
    return fail("the file ends before its " + std::string(kEndLine) + " line (cut short?)");
  }
  return true;
}

}  // namespace setwell::sim
