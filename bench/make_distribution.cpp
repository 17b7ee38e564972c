// make-distribution SOURCE OUT MODELS
//
// Copies the driver distribution SOURCE to OUT and grows it to MODELS model
// entries (at least the ones SOURCE has): the added models take the four
// categories in turn, each with a copy of the sections of its category's
// first model under its own name. The benchmarks install from it.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSuffixes[4] = {"-ReceiptPrinter", "-TicketPrinter", "-LabelPrinter",
                                      "-EmbeddedPrinter"};
constexpr const char* kCategoryFiles[4] = {"setup_receipt.ini", "setup_Ticket.ini",
                                           "setup_Lable.ini", "setup_Embedded.ini"};

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Write(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

// The sections of `model` ("[model.XXX]" up to the next header).
std::string SectionsOf(const std::string& text, const std::string& model) {
  std::string out;
  bool inside = false;
  for (const std::string& line : Lines(text)) {
    if (!line.empty() && line[0] == '[') inside = line.rfind("[" + model + ".", 0) == 0;
    if (inside) out += line + "\r\n";
  }
  return out;
}

std::string Renamed(std::string sections, const std::string& from, const std::string& to) {
  const std::string header = "[" + from + ".";
  for (std::size_t at = sections.find(header); at != std::string::npos;
       at = sections.find(header, at + to.size())) {
    sections.replace(at + 1, from.size(), to);
  }
  return sections;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s SOURCE OUT MODELS\n", argv[0]);
    return 2;
  }
  const fs::path source = argv[1], out = argv[2];
  const long models = std::strtol(argv[3], nullptr, 10);
  std::error_code error;
  fs::remove_all(out, error);
  fs::copy(source, out, fs::copy_options::recursive, error);
  if (error) {
    std::fprintf(stderr, "%s: cannot copy %s: %s\n", argv[0], argv[1], error.message().c_str());
    return 1;
  }
  const fs::path config = out / "DRVCONFIG";

  // The existing entries, and each category's first model as the pattern.
  std::vector<std::string> entries;
  std::string pattern[4];
  std::string general;
  bool inModels = false;
  for (const std::string& line : Lines(Read(config / "setup.ini"))) {
    if (!line.empty() && line[0] == '[') inModels = line == "[DEVICENAME]";
    if (inModels && line.rfind("DEVICENAME", 0) == 0 && line.find('=') != std::string::npos &&
        line.rfind("DEVICENUMBER", 0) != 0) {
      const std::string entry = line.substr(line.find('=') + 1);
      entries.push_back(entry);
      for (int c = 0; c < 4; ++c) {
        const std::size_t at = entry.find(kSuffixes[c]);
        if (at != std::string::npos && pattern[c].empty()) pattern[c] = entry.substr(0, at);
      }
      continue;
    }
    if (inModels) continue;
    general += line + "\r\n";
  }
  std::string categoryText[4], added[4];
  for (int c = 0; c < 4; ++c) {
    categoryText[c] = Read(config / kCategoryFiles[c]);
    if (pattern[c].empty()) {
      std::fprintf(stderr, "%s: no %s model to copy\n", argv[0], kSuffixes[c] + 1);
      return 1;
    }
  }
  for (long n = static_cast<long>(entries.size()) + 1; n <= models; ++n) {
    const int c = static_cast<int>((n - 1) % 4);
    char name[32];
    std::snprintf(name, sizeof name, "SW-B%05ld", n);
    entries.push_back(std::string(name) + kSuffixes[c]);
    added[c] += Renamed(SectionsOf(categoryText[c], pattern[c]), pattern[c], name);
  }
  std::string models_section = "[DEVICENAME]\r\nDEVICENUMBER=" + std::to_string(entries.size()) +
                               "\r\nDEFAULTNAME=1\r\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    models_section += "DEVICENAME" + std::to_string(i + 1) + "=" + entries[i] + "\r\n";
  }
  bool ok = Write(config / "setup.ini", models_section + "\r\n" + general);
  for (int c = 0; c < 4; ++c) {
    ok = Write(config / kCategoryFiles[c], categoryText[c] + "\r\n" + added[c]) && ok;
  }
  if (!ok) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], config.string().c_str());
    return 1;
  }
  return 0;
}
