// A run-time library loaded through the platform, owned: unloaded when the
// owner goes away. Entry points are looked up by export name.
#pragma once

#include "system/PlatformHandle.h"

namespace setwell {

class LoadedLibrary {
 public:
  LoadedLibrary(Platform& platform, const char* fileName)
      : platform_(&platform), module_(platform, platform.LoadLibraryA(fileName)) {}

  bool IsLoaded() const { return module_.IsValid(); }
  // Null when the library is not loaded or lacks the entry point.
  ProcAddress Find(const char* name) const {
    return IsLoaded() ? platform_->GetProcAddress(module_.Get(), name) : nullptr;
  }

 private:
  Platform* platform_;
  ScopedModule module_;
};

}  // namespace setwell
