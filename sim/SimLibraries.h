// The run-time libraries a simulated program loads: module handles with
// reference counts, and the entry points GetProcAddress hands out. A loaded
// module's file is mapped, so it cannot be replaced while loaded.
//
// Calling through an entry point that GetProcAddress did not give, or whose
// library has been freed since, crashes a real program; here it throws
// SimCrash so the test that does it fails.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>

#include "system/Platform.h"

namespace setwell::sim {

class SimFileSystem;

class SimCrash : public std::logic_error {
 public:
  explicit SimCrash(const std::string& what) : std::logic_error(what) {}
};

struct SimModule {
  std::string path;
  int references = 0;
};

class SimLibraries {
 public:
  explicit SimLibraries(SimFileSystem& files) : files_(&files) {}

  // After the machine's state was copied from another's.
  void Rebind(SimFileSystem& files) { files_ = &files; }

  // Loads the file at path (found by the caller) or adds a reference.
  ModuleHandle Load(const std::string& path);
  // False for a handle that is not a loaded module.
  bool Free(ModuleHandle module);
  const SimModule* Find(ModuleHandle module) const;
  // A module's entry point; the caller has checked that it exports it.
  ProcAddress Export(ModuleHandle module, const std::string& entry);
  // The module file name ("tvusbint.dll", lower case) and entry name behind a
  // live entry point; throws SimCrash for anything else.
  std::pair<std::string, std::string> Resolve(ProcAddress proc, const char* callName) const;
  // Unloads everything (the program ends).
  void Reset();
  bool IsLoaded(const std::string& fileName) const;

 private:
  struct Entry {
    std::uintptr_t module;
    std::string name;
  };
  SimFileSystem* files_;
  std::uintptr_t nextModule_ = 0x50000;
  std::uintptr_t nextProc_ = 0x60000;
  std::map<std::uintptr_t, SimModule> modules_;
  std::map<std::uintptr_t, Entry> procs_;
};

}  // namespace setwell::sim
