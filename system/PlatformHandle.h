// One owner for each kind of handle the platform hands out: move-only, and
// the handle is closed through the platform when the owner goes away or is
// given another handle.
#pragma once

#include <utility>

#include "system/Platform.h"

namespace setwell {

template <typename Traits>
class PlatformHandle {
 public:
  using Handle = typename Traits::Handle;

  PlatformHandle() = default;
  // Takes ownership of handle (which may be the kind's invalid value).
  PlatformHandle(Platform& platform, Handle handle) : platform_(&platform), handle_(handle) {}
  ~PlatformHandle() { Reset(); }
  PlatformHandle(PlatformHandle&& other) noexcept
      : platform_(other.platform_), handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  PlatformHandle& operator=(PlatformHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      platform_ = other.platform_;
      handle_ = std::exchange(other.handle_, Traits::Invalid());
    }
    return *this;
  }
  PlatformHandle(const PlatformHandle&) = delete;
  PlatformHandle& operator=(const PlatformHandle&) = delete;

  bool IsValid() const { return handle_ != Traits::Invalid(); }
  explicit operator bool() const { return IsValid(); }
  Handle Get() const { return handle_; }

  // Closes the handle held, if any, and holds `handle` instead.
  void Reset(Handle handle = Traits::Invalid()) {
    if (IsValid() && platform_ != nullptr) Traits::Close(*platform_, handle_);
    handle_ = handle;
  }

 private:
  Platform* platform_ = nullptr;
  Handle handle_ = Traits::Invalid();
};

struct RegistryKeyTraits {
  using Handle = RegKeyHandle;
  static Handle Invalid() { return nullptr; }
  static void Close(Platform& platform, Handle key) { platform.RegCloseKey(key); }
};
struct PrinterTraits {
  using Handle = PrinterHandle;
  static Handle Invalid() { return nullptr; }
  static void Close(Platform& platform, Handle printer) { platform.ClosePrinter(printer); }
};
struct ServiceTraits {
  using Handle = ServiceHandle;
  static Handle Invalid() { return nullptr; }
  static void Close(Platform& platform, Handle service) { platform.CloseServiceHandle(service); }
};
struct ModuleTraits {
  using Handle = ModuleHandle;
  static Handle Invalid() { return nullptr; }
  static void Close(Platform& platform, Handle module) { platform.FreeLibrary(module); }
};
// CreateFileA fails with kInvalidFile, not null.
struct FileTraits {
  using Handle = FileHandle;
  static Handle Invalid() { return kInvalidFile; }
  static void Close(Platform& platform, Handle file) { platform.CloseHandle(file); }
};

using ScopedRegistryKey = PlatformHandle<RegistryKeyTraits>;
using ScopedPrinter = PlatformHandle<PrinterTraits>;
using ScopedService = PlatformHandle<ServiceTraits>;
using ScopedModule = PlatformHandle<ModuleTraits>;
using ScopedFile = PlatformHandle<FileTraits>;

}  // namespace setwell
