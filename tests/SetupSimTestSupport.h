// Running setup-sim from tests: temporary folders, the program run with its
// output caught, folder trees compared, the report cut into its sections.
#pragma once

#include <stdlib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace setwell::testing_support {

namespace fs = std::filesystem;

inline const std::string kDistribution = std::string(SETWELL_SOURCE_DIR) + "/examples/distribution";

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "setup-sim-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// setup-check with `args`, its output caught in files of `scratch`.
inline RunResult RunSetupCheck(const std::vector<std::string>& args, const TempDir& scratch) {
  std::string command = ShellQuoted(SETUP_CHECK_BINARY);
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  command += " </dev/null >" + ShellQuoted(scratch / "out") + " 2>" + ShellQuoted(scratch / "err");
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadText(scratch / "out");
  result.err = ReadText(scratch / "err");
  return result;
}

// Runs setup-sim with these arguments, input from /dev/null.
inline RunResult RunSetupSim(const std::vector<std::string>& args, const TempDir& scratch) {
  std::string command = ShellQuoted(SETUP_SIM_BINARY);
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  const std::string out = scratch / "stdout.txt";
  const std::string err = scratch / "stderr.txt";
  command += " </dev/null >" + ShellQuoted(out) + " 2>" + ShellQuoted(err);
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadText(out);
  result.err = ReadText(err);
  return result;
}

// Every file below root, by relative path, with its contents.
inline std::map<std::string, std::string> ReadTree(const std::string& root) {
  std::map<std::string, std::string> tree;
  std::error_code ec;
  if (!fs::exists(root, ec)) return tree;
  if (!fs::is_directory(root, ec)) {
    tree[""] = ReadText(root);
    return tree;
  }
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file())
      tree[fs::relative(entry.path(), root).string()] = ReadText(entry.path());
  }
  return tree;
}

// The report's sections: "Files written" -> its item lines; a line that
// goes on an item (indented further) is joined to it with "\n".
inline std::map<std::string, std::vector<std::string>> ReportSections(const std::string& out) {
  std::map<std::string, std::vector<std::string>> sections;
  const std::size_t start = out.find("== What the install changed");
  if (start == std::string::npos) return sections;
  std::string current;
  std::size_t at = out.find('\n', start) + 1;
  while (at < out.size()) {
    std::size_t end = out.find('\n', at);
    if (end == std::string::npos) end = out.size();
    const std::string line = out.substr(at, end - at);
    at = end + 1;
    if (line.rfind("      ", 0) == 0 && !current.empty() && !sections[current].empty()) {
      sections[current].back() += "\n" + line.substr(6);
    } else if (line.rfind("    ", 0) == 0 && !current.empty()) {
      sections[current].push_back(line.substr(4));
    } else {
      const std::size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      std::string title = line.substr(0, colon);
      if (const std::size_t paren = title.find(" ("); paren != std::string::npos)
        title.resize(paren);
      current = title;
      sections[current];
      if (line.size() > colon + 2) sections[current + ":"].push_back(line.substr(colon + 2));
    }
  }
  return sections;
}

}  // namespace setwell::testing_support
