#include "tools/setup_sim/MachineFolder.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace setwell::term {
namespace {

namespace fs = std::filesystem;

// The files every saved machine has.
constexpr const char* kMachineFiles[] = {"machine.txt", "spooler.txt", "usb.txt",
                                         "records.txt", "files.txt",   "registry.reg"};

// The folders a save makes beside the machine: ".NAME.saving-PID-XXXXXX"
// (the new machine being written) and ".NAME.old-PID-XXXXXX" (the old one
// moved aside), PID being the saving process.
std::string SaveFolderPrefix(const fs::path& target, const char* kind) {
  return "." + target.filename().string() + "." + kind + "-";
}

// The process of a save folder's name is gone (or the name has none, as
// the folders of earlier versions).
bool Abandoned(const std::string& name, const std::string& prefix) {
  const std::string rest = name.substr(prefix.size());
  const std::size_t dash = rest.find('-');
  if (dash == std::string::npos || dash == 0) return true;
  pid_t pid = 0;
  for (std::size_t i = 0; i < dash; ++i) {
    if (rest[i] < '0' || rest[i] > '9' || pid > 100000000) return true;
    pid = pid * 10 + (rest[i] - '0');
  }
  if (pid == ::getpid()) return false;
  return ::kill(pid, 0) != 0 && errno == ESRCH;
}

fs::path Target(const std::string& path, std::error_code& ec) {
  fs::path target = fs::absolute(path, ec);
  if (!target.has_filename()) target = target.parent_path();  // "dir/" names dir
  return target;
}

}  // namespace

MachineFolderState InspectMachineFolder(const std::string& path, std::string* why) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) return MachineFolderState::kAbsent;
  if (error) {
    if (why != nullptr) *why = error.message();
    return MachineFolderState::kNotFolder;
  }
  if (!fs::is_directory(status)) {
    if (why != nullptr) *why = "it is not a folder";
    return MachineFolderState::kNotFolder;
  }
  const bool empty = fs::is_empty(path, error);
  if (error) {
    if (why != nullptr) *why = "cannot read it: " + error.message();
    return MachineFolderState::kNotFolder;
  }
  if (empty) return MachineFolderState::kAbsent;
  for (const char* file : kMachineFiles) {
    if (!fs::is_regular_file(fs::path(path) / file, error)) {
      if (why != nullptr)
        *why = std::string("it holds other things and no saved machine (no ") + file + ")";
      return MachineFolderState::kForeign;
    }
  }
  return MachineFolderState::kMachine;
}

std::vector<std::string> CleanUpAbandonedSaves(const std::string& path) {
  std::vector<std::string> done;
  std::error_code ec;
  const fs::path target = Target(path, ec);
  if (ec || target.empty()) return done;
  const std::string saving = SaveFolderPrefix(target, "saving");
  const std::string old = SaveFolderPrefix(target, "old");
  std::vector<fs::path> found;
  for (fs::directory_iterator it(target.parent_path(), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if ((name.rfind(saving, 0) == 0 && Abandoned(name, saving)) ||
        (name.rfind(old, 0) == 0 && Abandoned(name, old))) {
      found.push_back(it->path());
    }
  }
  for (const fs::path& folder : found) {
    const std::string name = folder.filename().string();
    // Killed between moving the old machine aside and putting the new one
    // in its place: the old one goes back.
    if (name.rfind(old, 0) == 0 && !fs::exists(target, ec) &&
        fs::is_directory(folder / "machine", ec) &&
        ::rename((folder / "machine").c_str(), target.c_str()) == 0) {
      done.push_back("put back the machine an interrupted save had moved to " + folder.string());
    }
    fs::remove_all(folder, ec);
    if (!ec) done.push_back("removed " + folder.string() + ", left by an interrupted save");
  }
  return done;
}

bool SaveMachineAtomically(const sim::SimMachine& machine, const std::string& path,
                           std::string& error) {
  std::error_code ec;
  const fs::path target = Target(path, ec);
  if (ec) {
    error = "cannot resolve " + path + ": " + ec.message();
    return false;
  }
  const fs::path parent = target.parent_path();
  fs::create_directories(parent, ec);
  if (ec) {
    error = "cannot make " + parent.string() + ": " + ec.message();
    return false;
  }
  const std::string pid = std::to_string(::getpid());
  std::string pattern = (parent / (SaveFolderPrefix(target, "saving") + pid + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    error = "cannot make a folder beside " + target.string() + ": " + std::strerror(errno);
    return false;
  }
  const fs::path staging(pattern);
  std::string why;
  if (!machine.Save(staging.string(), &why)) {
    fs::remove_all(staging, ec);
    error = "cannot save the machine: " + why;
    return false;
  }
  // A saved machine takes the place of the old one in one rename: swapped
  // where the file system can exchange two names, else the old one is
  // renamed away first (an empty or missing target is simply replaced).
  if (fs::exists(target, ec)) {
#ifdef RENAME_EXCHANGE
    if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
      fs::remove_all(staging, ec);  // now the old machine
      return true;
    }
#endif
    if (fs::is_directory(target, ec) && fs::is_empty(target, ec)) {
      fs::remove(target, ec);
    } else {
      std::string old = (parent / (SaveFolderPrefix(target, "old") + pid + "-XXXXXX")).string();
      if (::mkdtemp(old.data()) == nullptr ||
          ::rename(target.c_str(), (old + "/machine").c_str()) != 0) {
        error = "cannot move the old machine aside: " + std::string(std::strerror(errno));
        fs::remove_all(staging, ec);
        return false;
      }
      if (::rename(staging.c_str(), target.c_str()) != 0) {
        error = "cannot put the saved machine in place: " + std::string(std::strerror(errno));
        ::rename((old + "/machine").c_str(), target.c_str());
        fs::remove_all(staging, ec);
        fs::remove_all(old, ec);
        return false;
      }
      fs::remove_all(old, ec);
      return true;
    }
  }
  if (::rename(staging.c_str(), target.c_str()) != 0) {
    error = "cannot put the saved machine in place: " + std::string(std::strerror(errno));
    fs::remove_all(staging, ec);
    return false;
  }
  return true;
}

}  // namespace setwell::term
