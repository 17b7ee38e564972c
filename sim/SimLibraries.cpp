#include "sim/SimLibraries.h"

#include "sim/SimFileSystem.h"
#include "sim/SimText.h"

namespace setwell::sim {
namespace {

void* AsHandle(std::uintptr_t value) { return reinterpret_cast<void*>(value); }
std::uintptr_t AsValue(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

}  // namespace

ModuleHandle SimLibraries::Load(const std::string& path) {
  for (auto& [value, module] : modules_) {
    if (EqualsNoCase(module.path, path)) {
      ++module.references;
      return AsHandle(value);
    }
  }
  const std::uintptr_t value = nextModule_++;
  modules_[value] = SimModule{path, 1};
  files_->MapImage(path);
  return AsHandle(value);
}

bool SimLibraries::Free(ModuleHandle module) {
  auto it = modules_.find(AsValue(module));
  if (it == modules_.end()) return false;
  if (--it->second.references == 0) {
    files_->UnmapImage(it->second.path);
    modules_.erase(it);
  }
  return true;
}

const SimModule* SimLibraries::Find(ModuleHandle module) const {
  auto it = modules_.find(AsValue(module));
  return it == modules_.end() ? nullptr : &it->second;
}

ProcAddress SimLibraries::Export(ModuleHandle module, const std::string& entry) {
  for (const auto& [value, known] : procs_) {
    if (known.module == AsValue(module) && known.name == entry) return AsHandle(value);
  }
  const std::uintptr_t value = nextProc_++;
  procs_[value] = Entry{AsValue(module), entry};
  return AsHandle(value);
}

std::pair<std::string, std::string> SimLibraries::Resolve(ProcAddress proc,
                                                          const char* callName) const {
  auto it = procs_.find(AsValue(proc));
  if (it == procs_.end()) {
    throw SimCrash(std::string(callName) + " through an address GetProcAddress did not give");
  }
  auto module = modules_.find(it->second.module);
  if (module == modules_.end()) {
    throw SimCrash(std::string(callName) + " through \"" + it->second.name +
                   "\" of a library that has been freed");
  }
  return {LowerAscii(SimFileSystem::Name(module->second.path)), it->second.name};
}

void SimLibraries::Reset() {
  for (const auto& [value, module] : modules_) files_->UnmapImage(module.path);
  modules_.clear();
  procs_.clear();
}

bool SimLibraries::IsLoaded(const std::string& fileName) const {
  for (const auto& [value, module] : modules_) {
    if (EqualsNoCase(SimFileSystem::Name(module.path), fileName)) return true;
  }
  return false;
}

}  // namespace setwell::sim
