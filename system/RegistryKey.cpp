#include "system/RegistryKey.h"

#include <utility>
#include <vector>

namespace setwell {

bool RegistryKey::Succeeded(LONG error) {
  error_ = error;
  return error == static_cast<LONG>(ERROR_SUCCESS);
}

bool RegistryKey::Open(const std::string& subKey) {
  Close();
  RegKeyHandle key = nullptr;
  LONG error = platform_->RegOpenKeyExA(subKey.c_str(), KEY_ALL_ACCESS, &key);
  if (error == static_cast<LONG>(ERROR_SUCCESS)) key_ = ScopedRegistryKey(*platform_, key);
  return Succeeded(error);
}

bool RegistryKey::Create(const std::string& subKey) {
  RegKeyHandle key = nullptr;
  LONG error = platform_->RegCreateKeyExA(subKey.c_str(), KEY_ALL_ACCESS, &key);
  if (error == static_cast<LONG>(ERROR_SUCCESS)) platform_->RegCloseKey(key);
  return Succeeded(error);
}

bool RegistryKey::CreateOrOpen(const std::string& subKey) {
  return Open(subKey) || (Create(subKey) && Open(subKey));
}

bool RegistryKey::ReadDword(const std::string& name, DWORD& value) {
  DWORD data = 0;
  DWORD size = sizeof data;
  if (!ReadValue(name, &data, size)) return false;
  if (size != sizeof data) return Succeeded(static_cast<LONG>(ERROR_INVALID_PARAMETER));
  value = data;
  return true;
}

bool RegistryKey::ReadValue(const std::string& name, void* data, DWORD& size, DWORD* type) {
  if (!IsOpen()) return Succeeded(static_cast<LONG>(ERROR_INVALID_HANDLE));
  return Succeeded(platform_->RegQueryValueExA(key_.Get(), name.c_str(), type, static_cast<BYTE*>(data), &size));
}

bool RegistryKey::WriteDword(const std::string& name, DWORD value) {
  return WriteBytes(name, REG_DWORD, &value, sizeof value);
}

bool RegistryKey::WriteString(const std::string& name, const std::string& value) {
  return WriteBytes(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool RegistryKey::WriteBytes(const std::string& name, DWORD type, const void* data, DWORD size) {
  if (!IsOpen()) return Succeeded(static_cast<LONG>(ERROR_INVALID_HANDLE));
  return Succeeded(platform_->RegSetValueExA(key_.Get(), name.c_str(), type, static_cast<const BYTE*>(data), size));
}

bool RegistryKey::EnumValueName(DWORD index, std::string& name, DWORD maxChars) {
  if (!IsOpen()) return Succeeded(static_cast<LONG>(ERROR_INVALID_HANDLE));
  std::vector<char> buffer(maxChars + 1, '\0');
  DWORD size = maxChars + 1;
  LONG error = platform_->RegEnumValueA(key_.Get(), index, buffer.data(), &size, nullptr, nullptr, nullptr);
  if (error != static_cast<LONG>(ERROR_SUCCESS)) return Succeeded(error);
  name.assign(buffer.data(), size < maxChars ? size : maxChars);
  return Succeeded(static_cast<LONG>(ERROR_SUCCESS));
}

}  // namespace setwell
