// A driver distribution as setup-check sees it: the folder mounted as the
// program's drive D: of a simulated machine (read-only, as a CD), and its
// five configuration files parsed once by the installer's own reader, with
// an outline of where each section and key is. Every InstallConfig made
// while a Distribution lives reads these parsed files, on this machine or
// on any fresh one the rehearsal makes.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "config/InstallConfig.h"
#include "sim/SimMachine.h"

namespace setwell::check {

// By target system 0..4: the per-system folder an install copies from, and
// the system's name in the report.
inline constexpr const char* kSystemFolders[5] = {"win98", "winnt", "winnt", "winnt", "win2003"};
inline constexpr const char* kTargetNames[5] = {"Windows 98/Me", "Windows NT 4.0", "Windows 2000",
                                                "Windows XP", "Windows Server 2003"};

struct ConfigFile {
  std::string name;  // as the report names it: "DRVCONFIG/setup_receipt.ini"
  std::string path;  // as the installer names it: "D:\DRVCONFIG\setup_receipt.ini"
  bool present = false;
  IniFile ini;
  IniOutline outline;
};

// A model of the model page's lists: its entry number and category.
struct ListedModel {
  std::string name;
  std::int32_t category = kNoCategory;
  std::int32_t entry = 0;  // the DEVICENAMEn number
  int line = 0;            // the entry's line in the general file
};

class Distribution : public IniFileSource {
 public:
  // Null with `error` set when the folder cannot be read as one.
  static std::unique_ptr<Distribution> Open(const std::string& folder, std::string& error);
  ~Distribution() override;

  const std::string& Folder() const { return folder_; }
  sim::SimMachine& Machine() { return *machine_; }
  // The general file, then the four category files in category order.
  std::vector<ConfigFile>& Files() { return files_; }
  ConfigFile& General() { return files_[0]; }
  ConfigFile& CategoryFile(std::int32_t category) { return files_[1 + category]; }
  // The models the model page lists, in entry order (the page skips entries
  // without a category). The highest DEVICENAME number present bounds the
  // walk: every entry past it reads "0", as a missing key does.
  const std::vector<ListedModel>& Models() const { return models_; }
  std::int32_t HighestEntry() const { return highestEntry_; }

  // A file of the distribution ("D:\winnt\X.DLL"), or null.
  const sim::SimFile* FindFile(const std::string& windowsPath) const;
  // Puts the distribution into a fresh machine as its drive D:, the
  // program's folder and current directory: the files of `folder` (the
  // per-system folder an install for one target copies from, "winnt"),
  // read-only as on the medium. The configuration files are read through
  // the parsed ones.
  void PutInto(sim::SimMachine& machine, const std::string& folder) const;

  const IniFile* Find(const std::string& path) override;

  // The line of section (and key) in a file: the first, the one the reader
  // returns; the section's line when the key is missing; 0 when neither is
  // there.
  static int LineOf(const ConfigFile& file, const std::string& section,
                    const std::string& key = {});

 private:
  Distribution() = default;

  std::string folder_;
  std::unique_ptr<sim::SimMachine> machine_;
  std::vector<ConfigFile> files_;
  std::map<std::string, ConfigFile*> byPath_;  // lower-cased Windows path
  std::vector<ListedModel> models_;
  std::int32_t highestEntry_ = 0;
};

}  // namespace setwell::check
