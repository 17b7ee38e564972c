// The simulated machine's registry: the HKEY_LOCAL_MACHINE tree with typed
// values. Key and value names match without regard to ASCII letter case and
// keep the case they were created with; values enumerate in the order they
// were first written.
//
// The tree is saved as a REGEDIT4 file, the text the registry editor of every
// target system exports and imports:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\TALVORN\PRINTERPORT]
//   "D1"=dword:00000000
//   "Driver"="nusbmon.dll"
//   "DCB"=hex(0):1c,00,00,00,80,25,00,00,...
//
//   ; end
//
// A REG_SZ value whose data is not one terminated line of text is written
// as hex(1) so that its bytes come back exactly. The last line, "; end",
// tells a whole file from one cut short; to the registry editor it is a
// comment.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "system/WinTypes.h"

namespace setwell::sim {

struct RegValue {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;  // raw bytes

  bool operator==(const RegValue&) const = default;
};

struct RegKey {
  std::string path;  // each component as first created, no leading or trailing "\"
  std::vector<RegValue> values;
  // The place of each value in `values` by its lower-cased name; kept by
  // SimRegistry, which alone changes `values`.
  std::unordered_map<std::string, std::size_t> places;

  const RegValue* Value(const std::string& name) const;
  bool operator==(const RegKey& other) const {
    return path == other.path && values == other.values;
  }
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
  // The names of the keys directly below path, in the order of their
  // lower-cased names.
  std::vector<std::string> SubKeys(const std::string& path) const;

  // The key under which Keys() holds a path: normalised, lower-cased.
  static std::string LookupKey(const std::string& path);
  RegKey* FindByLookupKey(const std::string& lookup);
  const RegKey* FindByLookupKey(const std::string& lookup) const;

  const RegValue* FindValue(const std::string& path, const std::string& name) const;
  static void SetValue(RegKey& key, const std::string& name, DWORD type, std::string data);
  void SetValue(const std::string& path, const std::string& name, DWORD type, std::string data);
  void SetDword(const std::string& path, const std::string& name, DWORD value);
  void SetString(const std::string& path, const std::string& name, const std::string& value);
  bool DeleteValue(const std::string& path, const std::string& name);
  // The value as a DWORD when it is 4 bytes long.
  bool GetDword(const std::string& path, const std::string& name, DWORD& value) const;
  // A REG_SZ value without its terminating zero.
  bool GetString(const std::string& path, const std::string& name, std::string& value) const;

  // Every key, ordered by lower-cased path.
  const std::map<std::string, RegKey, std::less<>>& Keys() const { return keys_; }

  std::string ToRegedit4() const;
  // Replaces the tree with the one of a REGEDIT4 text; false (and the tree
  // unchanged) with a message naming the line when the text is not one.
  // With requireEnd (a saved machine's registry.reg), a text without its
  // end line is refused as cut short; a file of the registry editor has
  // none.
  bool FromRegedit4(const std::string& text, std::string* error, bool requireEnd = false);

  bool operator==(const SimRegistry& other) const { return keys_ == other.keys_; }

 private:
  std::map<std::string, RegKey, std::less<>> keys_;
};

}  // namespace setwell::sim
