// A run-time library loaded through the platform, owned: unloaded when the
// owner goes away. Entry points are looked up by export name.
#pragma once

#include <utility>

#include "system/Platform.h"

namespace setwell {

class LoadedLibrary {
 public:
  LoadedLibrary(Platform& platform, const char* fileName)
      : platform_(&platform), module_(platform.LoadLibraryA(fileName)) {}
  ~LoadedLibrary() {
    if (module_ != nullptr) platform_->FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  bool IsLoaded() const { return module_ != nullptr; }
  // Null when the library is not loaded or lacks the entry point.
  ProcAddress Find(const char* name) const {
    return module_ == nullptr ? nullptr : platform_->GetProcAddress(module_, name);
  }

 private:
  Platform* platform_;
  ModuleHandle module_;
};

}  // namespace setwell
