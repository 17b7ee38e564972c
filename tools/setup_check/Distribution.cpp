#include "tools/setup_check/Distribution.h"

#include <algorithm>
#include <filesystem>

#include "system/AsciiCase.h"

namespace setwell::check {
namespace {

namespace fs = std::filesystem;

constexpr char kDrive = 'D';
constexpr const char* kFileNames[5] = {"setup.ini", "setup_receipt.ini", "setup_Ticket.ini",
                                       "setup_Lable.ini", "setup_Embedded.ini"};

// The entry number of a "DEVICENAMEn" key, as the installer forms the
// names (decimal, no leading zeros); 0 for any other key.
std::int32_t EntryNumber(const std::string& key) {
  constexpr std::string_view kPrefix = "devicename";
  const std::string lower = LowerAscii(key);
  if (lower.size() <= kPrefix.size() || lower.compare(0, kPrefix.size(), kPrefix) != 0) return 0;
  const std::string digits = lower.substr(kPrefix.size());
  if (digits[0] == '0' || digits.size() > 9) return 0;
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return 0;
  return std::stoi(digits);
}

}  // namespace

Distribution::~Distribution() {
  // The parsed files go with this object; later readers read for themselves.
  IniFileSet::SetSharedSource(nullptr);
}

std::unique_ptr<Distribution> Distribution::Open(const std::string& folder, std::string& error) {
  std::error_code ec;
  const fs::path path = fs::absolute(folder, ec).lexically_normal();
  if (ec || !fs::exists(path, ec)) {
    error = folder + ": no such folder";
    return nullptr;
  }
  if (!fs::is_directory(path, ec)) {
    error = folder + ": not a folder";
    return nullptr;
  }
  fs::directory_iterator probe(path, ec);
  if (ec) {
    error = folder + ": cannot read it: " + ec.message();
    return nullptr;
  }
  std::unique_ptr<Distribution> dist(new Distribution());
  dist->folder_ = path.string();
  dist->machine_ = std::make_unique<sim::SimMachine>(sim::kWinXP);
  if (!dist->machine_->MountDistribution(dist->folder_, kDrive)) {
    error = folder + ": cannot read the files in it";
    return nullptr;
  }

  // The paths as the installer forms them from the program's folder.
  InstallConfig config(*dist->machine_);
  const std::string paths[5] = {config.GeneralPath(), config.CategoryPath(0),
                                config.CategoryPath(1), config.CategoryPath(2),
                                config.CategoryPath(3)};
  dist->files_.resize(5);
  for (int i = 0; i < 5; ++i) {
    ConfigFile& file = dist->files_[i];
    file.path = paths[i];
    file.name = std::string("DRVCONFIG/") + kFileNames[i];
    std::string contents;
    file.present = dist->machine_->ReadWholeFile(file.path.c_str(), contents);
    if (const sim::SimFile* found = dist->machine_->files.Find(file.path)) {
      // The name as the distribution spells it.
      file.name = "DRVCONFIG/" + sim::SimFileSystem::Name(found->path);
    }
    file.ini = IniFile(contents, &file.outline);
    dist->byPath_[LowerAscii(file.path)] = &file;
  }
  IniFileSet::SetSharedSource(dist.get());

  // The model page's walk, bounded by the entries present.
  const ConfigFile& general = dist->General();
  for (const IniOutline::Key& key : general.outline.keys) {
    if (!key.first || !key.hasValue) continue;
    if (!EqualsNoCase(general.outline.sections[key.section].name, "DEVICENAME")) continue;
    dist->highestEntry_ = std::max(dist->highestEntry_, EntryNumber(key.name));
  }
  InstallConfig models(*dist->machine_);
  const std::int32_t last = std::min(models.GetModelCount(), dist->highestEntry_);
  for (std::int32_t n = 1; n <= last; ++n) {
    ListedModel model;
    model.entry = n;
    model.category = models.GetModelEntry(n, model.name);
    model.line = LineOf(general, "DEVICENAME", "DEVICENAME" + std::to_string(n));
    if (model.category >= 0) dist->models_.push_back(model);
  }
  return dist;
}

const sim::SimFile* Distribution::FindFile(const std::string& windowsPath) const {
  return machine_->files.Find(windowsPath);
}

void Distribution::PutInto(sim::SimMachine& machine, const std::string& folder) const {
  const std::string root = std::string(1, kDrive) + ":";
  machine.files.MakeFolder(root);
  // Copying every file into every fresh machine would cost more than the
  // install; an install reads no other file of the distribution.
  const std::string below = LowerAscii(root + "\\" + folder + "\\");
  for (auto it = machine_->files.Files().lower_bound(below);
       it != machine_->files.Files().end() && it->first.compare(0, below.size(), below) == 0;
       ++it) {
    sim::SimFile& copy = machine.files.WriteFile(it->second.path, it->second.data);
    copy.attributes = it->second.attributes;
  }
  machine.currentDirectory = root + "\\";
  machine.moduleFileName = root + "\\Setup.exe";
}

const IniFile* Distribution::Find(const std::string& path) {
  auto it = byPath_.find(LowerAscii(path));
  return it == byPath_.end() ? nullptr : &it->second->ini;
}

int Distribution::LineOf(const ConfigFile& file, const std::string& section,
                         const std::string& key) {
  int sectionLine = 0;
  for (std::size_t i = 1; i < file.outline.sections.size(); ++i) {
    const IniOutline::Section& s = file.outline.sections[i];
    if (s.first && EqualsNoCase(s.name, section)) {
      sectionLine = s.line;
      if (key.empty()) return sectionLine;
      for (const IniOutline::Key& k : file.outline.keys) {
        if (k.section == i && k.first && EqualsNoCase(k.name, key)) return k.line;
      }
      return sectionLine;
    }
  }
  return sectionLine;
}

}  // namespace setwell::check
