#include "tools/setup_sim/MachineFolder.h"

#include <fcntl.h>
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
constexpr const char* kMachineFiles[] = {"machine.txt", "registry.reg", "spooler.txt", "files.txt"};

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

bool SaveMachineAtomically(const sim::SimMachine& machine, const std::string& path,
                           std::string& error) {
  std::error_code ec;
  fs::path target = fs::absolute(path, ec);
  if (ec) {
    error = "cannot resolve " + path + ": " + ec.message();
    return false;
  }
  if (!target.has_filename()) target = target.parent_path();  // "dir/" names dir
  const fs::path parent = target.parent_path();
  fs::create_directories(parent, ec);
  if (ec) {
    error = "cannot make " + parent.string() + ": " + ec.message();
    return false;
  }
  std::string pattern = (parent / ("." + target.filename().string() + ".saving-XXXXXX")).string();
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
      std::string old = (parent / ("." + target.filename().string() + ".old-XXXXXX")).string();
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
