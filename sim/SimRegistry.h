// The simulated machine's registry: the HKEY_LOCAL_MACHINE tree with typed
// values. Key and value names match without regard to ASCII letter case and
// keep the case they were created with; values enumerate in the order they
// were first written.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "system/WinTypes.h"

namespace setwell::sim {

struct RegValue {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;  // raw bytes
};

struct RegKey {
  std::string path;  // as first created, without leading or trailing "\"
  std::vector<RegValue> values;
};

class SimRegistry {
 public:
  // Normalised form of a key path: no leading, trailing or doubled "\".
  static std::string Normalise(const std::string& path);

  bool KeyExists(const std::string& path) const;
  // Creates the key and its parents; returns the key.
  RegKey& CreateKey(const std::string& path);
  RegKey* FindKey(const std::string& path);
  const RegKey* FindKey(const std::string& path) const;
  // Deletes a key and everything below it.
  void DeleteKey(const std::string& path);

  const RegValue* FindValue(const std::string& path, const std::string& name) const;
  void SetValue(const std::string& path, const std::string& name, DWORD type, std::string data);
  void SetDword(const std::string& path, const std::string& name, DWORD value);
  void SetString(const std::string& path, const std::string& name, const std::string& value);
  // The value as a DWORD when it is 4 bytes long.
  bool GetDword(const std::string& path, const std::string& name, DWORD& value) const;

  // Every key, ordered by lower-cased path.
  const std::map<std::string, RegKey>& Keys() const { return keys_; }

  bool operator==(const SimRegistry& other) const;

 private:
  std::map<std::string, RegKey> keys_;
};

}  // namespace setwell::sim
