// One open registry key below HKEY_LOCAL_MACHINE, owned.
//
// Opening closes the key held first; a failed open holds no key and keeps the
// error. Every call without an open key fails (LastError() is then
// ERROR_INVALID_HANDLE) and does nothing. A failed call leaves the values as
// they were. The key is closed when the object goes away.
#pragma once

#include <string>

#include "system/PlatformHandle.h"

namespace setwell {

class RegistryKey {
 public:
  explicit RegistryKey(Platform& platform) : platform_(&platform) {}
  RegistryKey(RegistryKey&& other) noexcept = default;
  RegistryKey& operator=(RegistryKey&& other) noexcept = default;

  // Opens subKey with full access. Returns true when open.
  [[nodiscard]] bool Open(const std::string& subKey);
  // Creates subKey (and its parents) and closes it again at once; the key
  // held, if any, stays held.
  bool Create(const std::string& subKey);
  // Opens subKey, creating it (and its parents) first when it does not
  // exist. Returns true when open.
  [[nodiscard]] bool CreateOrOpen(const std::string& subKey);
  void Close() { key_.Reset(); }

  bool IsOpen() const { return key_.IsValid(); }
  // The error of the last failed call (ERROR_SUCCESS after a success).
  LONG LastError() const { return error_; }

  // Reads a 4-byte value of any type; value is unchanged on failure.
  [[nodiscard]] bool ReadDword(const std::string& name, DWORD& value);
  // Reads at most size bytes of a value; size is in/out.
  [[nodiscard]] bool ReadValue(const std::string& name, void* data, DWORD& size,
                               DWORD* type = nullptr);
  bool WriteDword(const std::string& name, DWORD value);
  // REG_SZ with its terminating zero.
  bool WriteString(const std::string& name, const std::string& value);
  bool WriteBytes(const std::string& name, DWORD type, const void* data, DWORD size);
  // Name of the value at index; at most maxChars characters are accepted,
  // a longer name is an error, as is the end of the list.
  [[nodiscard]] bool EnumValueName(DWORD index, std::string& name, DWORD maxChars = 255);

 private:
  // Keeps error as LastError(); true when it is ERROR_SUCCESS.
  bool Succeeded(LONG error);

  Platform* platform_;
  ScopedRegistryKey key_;
  LONG error_ = ERROR_SUCCESS;
};

}  // namespace setwell
