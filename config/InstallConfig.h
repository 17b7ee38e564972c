// The configuration reader of one installation: the paths of the
// distribution's INI files beside the program, and the values read from
// them. Each file is parsed once, on first use.
#pragma once

#include <cstdint>
#include <string>

#include "config/IniFile.h"

namespace setwell {

class Platform;

enum Category : std::int32_t {
  kNoCategory = -1,
  kReceipt = 0,
  kTicket = 1,
  kLabel = 2,
  kEmbedded = 3,
};

class InstallConfig {
 public:
  // Builds the five paths from the program's own file name.
  explicit InstallConfig(Platform& platform);
  virtual ~InstallConfig() = default;
  InstallConfig(const InstallConfig&) = delete;
  InstallConfig& operator=(const InstallConfig&) = delete;

  // The number of model entries in the general file ("DEVICENUMBER").
  std::int32_t GetModelCount();
  // Reads model entry `number` into `text` and returns its category, with
  // the category suffix removed from the text; -1 (text as read) when the
  // entry has no category suffix.
  std::int32_t GetModelEntry(std::int32_t number, std::string& text);
  // The preselected model ("DEFAULTNAME"), as GetModelEntry.
  std::int32_t GetDefaultModel(std::string& text);
  // The distribution's print processor version ("DriverVersion").
  std::int32_t GetDriverVersion();

  // Owners set the category before any operation on a category file.
  void SetCategory(std::int32_t category) { category_ = category; }
  std::int32_t GetCategory() const { return category_; }

  const std::string& GeneralPath() const { return generalPath_; }
  // The file of category 0..3; empty for any other value.
  const std::string& CategoryPath(std::int32_t category) const;

 protected:
  IniFileSet& Files() { return files_; }
  // The category file of the current category, or "" (every read gives the
  // default) when the category is not 0..3.
  const std::string& CategoryFile() const { return CategoryPath(category_); }

 private:
  IniFileSet files_;
  std::int32_t category_ = kNoCategory;
  std::string categoryPaths_[4];
  std::string generalPath_;
};

// The folder of the running program, with its trailing backslash; empty when
// the program's path holds no backslash.
std::string ProgramFolder(Platform& platform);

}  // namespace setwell
