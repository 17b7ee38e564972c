// fuzz_machine: the machine folder that setup-sim loads (SimMachine::Load)
// on any contents.
//
// The input is a folder packed as text: each entry starts with a line
//
//   === RELATIVE/PATH        a file; its bytes follow, up to the next
//                            "\n=== " line (the newline before it is not
//                            part of the file)
//   === RELATIVE/PATH/       a folder
//
// (fuzz/pack-machine packs a saved machine so). The entries are written to a
// scratch folder, which is loaded into a fresh machine. The property:
//   - whatever cannot be loaded is refused with a reason, never with a
//     crash or an exception;
//   - whatever loads saves, and the saved folder loads again to the same
//     machine; saved once more, it gives the same files.
// A read-only drive mounted from a host folder ("host" in files.txt) would
// read the host's files: such inputs are left out.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimMachine.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz_machine: %s\n", what.c_str());
  std::abort();
}

const fs::path& Scratch() {
  static const fs::path root = [] {
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    return base / ("setwell-fuzz-machine-" + std::to_string(::getpid()));
  }();
  return root;
}

struct Entry {
  std::string path;
  bool folder = false;
  std::string data;
};

// The entries of the packed folder; false when a path could leave the
// folder or is not one the file system takes.
bool Unpack(std::string_view input, std::vector<Entry>& entries) {
  std::size_t pos = input.rfind("=== ", 0) == 0 ? 0 : input.find("\n=== ");
  if (pos == std::string_view::npos) return true;
  if (pos != 0) ++pos;
  while (pos < input.size()) {
    const std::size_t lineEnd = input.find('\n', pos);
    Entry entry;
    entry.path = std::string(input.substr(pos + 4, lineEnd == std::string_view::npos
                                                        ? std::string_view::npos
                                                        : lineEnd - pos - 4));
    std::size_t next = lineEnd == std::string_view::npos ? input.size() : input.find("\n=== ", lineEnd);
    if (lineEnd != std::string_view::npos) {
      const std::size_t end = next == std::string_view::npos ? input.size() : next;
      entry.data = std::string(input.substr(lineEnd + 1, end > lineEnd ? end - lineEnd - 1 : 0));
    }
    if (!entry.path.empty() && entry.path.back() == '/') {
      entry.folder = true;
      entry.path.pop_back();
    }
    if (entry.path.empty() || entry.path.size() > 200 || entry.path[0] == '/') return false;
    std::size_t start = 0;
    int depth = 0;
    for (;;) {
      const std::size_t slash = entry.path.find('/', start);
      const std::string part = entry.path.substr(start, slash == std::string::npos ? slash : slash - start);
      if (part.empty() || part == "." || part == ".." || part.find('\0') != std::string::npos ||
          ++depth > 8) {
        return false;
      }
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
    entries.push_back(std::move(entry));
    if (entries.size() > 64) return false;
    pos = next == std::string_view::npos ? input.size() : next + 1;
  }
  return true;
}

std::map<std::string, std::string> Tree(const fs::path& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).string();
    if (entry.is_directory()) {
      tree[name + "/"] = "";
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    tree[name] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return tree;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : ", ") + part;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<Entry> entries;
  if (!Unpack(input, entries)) return -1;
  for (const Entry& entry : entries) {
    // No host folder is mounted (see above).
    if (entry.path == "files.txt" && (entry.data.find("\nhost") != std::string::npos ||
                                      entry.data.rfind("host", 0) == 0)) {
      return -1;
    }
  }

  const fs::path in = Scratch() / "in";
  const fs::path first = Scratch() / "first";
  const fs::path second = Scratch() / "second";
  std::error_code ec;
  fs::remove_all(Scratch(), ec);
  fs::create_directories(in);
  for (const Entry& entry : entries) {
    const fs::path path = in / entry.path;
    fs::create_directories(entry.folder ? path : path.parent_path(), ec);
    if (entry.folder) continue;
    if (fs::is_directory(path, ec)) continue;  // named as a folder before
    std::ofstream(path, std::ios::binary).write(entry.data.data(),
                                                static_cast<std::streamsize>(entry.data.size()));
  }

  setwell::sim::SimMachine loaded;
  std::string error;
  bool ok = false;
  try {
    ok = loaded.Load(in.string(), &error);
  } catch (const std::exception& e) {
    Fail(std::string("Load threw: ") + e.what());
  }
  if (!ok) {
    if (error.empty()) Fail("Load refused the folder without a reason");
    fs::remove_all(Scratch(), ec);
    return 0;
  }

  // Whatever loads saves, and loads again to the same machine.
  try {
    if (!loaded.Save(first.string(), &error)) Fail("a loaded machine does not save: " + error);
    setwell::sim::SimMachine again;
    if (!again.Load(first.string(), &error)) {
      Fail("a loaded machine saves into a folder that does not load: " + error);
    }
    if (!(again == loaded)) {
      Fail("saved and loaded again, the machine differs in: " + Join(loaded.DifferingParts(again)));
    }
    if (!again.Save(second.string(), &error)) Fail("the machine loaded again does not save: " + error);
    if (Tree(first) != Tree(second)) Fail("saved twice, the machine gives other files");
  } catch (const std::exception& e) {
    Fail(std::string("the round trip threw: ") + e.what());
  }
  fs::remove_all(Scratch(), ec);
  return 0;
}
