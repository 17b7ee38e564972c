#include "sim/SimRegistry.h"

#include <cstring>

namespace setwell::sim {
namespace {

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool SameName(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

}  // namespace

std::string SimRegistry::Normalise(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out.push_back(c);
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

bool SimRegistry::KeyExists(const std::string& path) const { return FindKey(path) != nullptr; }

RegKey* SimRegistry::FindKey(const std::string& path) {
  auto it = keys_.find(Lower(Normalise(path)));
  return it == keys_.end() ? nullptr : &it->second;
}

const RegKey* SimRegistry::FindKey(const std::string& path) const {
  auto it = keys_.find(Lower(Normalise(path)));
  return it == keys_.end() ? nullptr : &it->second;
}

RegKey& SimRegistry::CreateKey(const std::string& path) {
  const std::string normal = Normalise(path);
  RegKey* key = nullptr;
  std::size_t pos = 0;
  do {
    std::size_t slash = normal.find('\\', pos);
    std::string prefix = slash == std::string::npos ? normal : normal.substr(0, slash);
    auto [it, inserted] = keys_.try_emplace(Lower(prefix));
    if (inserted) it->second.path = prefix;
    key = &it->second;
    pos = slash == std::string::npos ? std::string::npos : slash + 1;
  } while (pos != std::string::npos);
  return *key;
}

void SimRegistry::DeleteKey(const std::string& path) {
  const std::string lower = Lower(Normalise(path));
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (it->first == lower || it->first.rfind(lower + "\\", 0) == 0) {
      it = keys_.erase(it);
    } else {
      ++it;
    }
  }
}

const RegValue* SimRegistry::FindValue(const std::string& path, const std::string& name) const {
  const RegKey* key = FindKey(path);
  if (key == nullptr) return nullptr;
  for (const RegValue& value : key->values) {
    if (SameName(value.name, name)) return &value;
  }
  return nullptr;
}

void SimRegistry::SetValue(const std::string& path, const std::string& name, DWORD type,
                           std::string data) {
  RegKey& key = CreateKey(path);
  for (RegValue& value : key.values) {
    if (SameName(value.name, name)) {
      value.type = type;
      value.data = std::move(data);
      return;
    }
  }
  key.values.push_back(RegValue{name, type, std::move(data)});
}

void SimRegistry::SetDword(const std::string& path, const std::string& name, DWORD value) {
  std::string data(sizeof value, '\0');
  std::memcpy(data.data(), &value, sizeof value);
  SetValue(path, name, REG_DWORD, std::move(data));
}

void SimRegistry::SetString(const std::string& path, const std::string& name,
                            const std::string& value) {
  std::string data = value;
  data.push_back('\0');
  SetValue(path, name, REG_SZ, std::move(data));
}

bool SimRegistry::GetDword(const std::string& path, const std::string& name, DWORD& value) const {
  const RegValue* found = FindValue(path, name);
  if (found == nullptr || found->data.size() != sizeof value) return false;
  std::memcpy(&value, found->data.data(), sizeof value);
  return true;
}

bool SimRegistry::operator==(const SimRegistry& other) const {
  if (keys_.size() != other.keys_.size()) return false;
  for (auto a = keys_.begin(), b = other.keys_.begin(); a != keys_.end(); ++a, ++b) {
    if (a->first != b->first || a->second.values.size() != b->second.values.size()) return false;
    for (std::size_t i = 0; i < a->second.values.size(); ++i) {
      const RegValue& x = a->second.values[i];
      const RegValue& y = b->second.values[i];
      if (x.name != y.name || x.type != y.type || x.data != y.data) return false;
    }
  }
  return true;
}

}  // namespace setwell::sim
