#include "config/InstallConfig.h"

#include <vector>

#include "system/Platform.h"

namespace setwell {
namespace {

constexpr const char* kGeneralFile = "DRVCONFIG\\setup.ini";
constexpr const char* kCategoryFiles[4] = {
    "DRVCONFIG\\setup_receipt.ini",
    "DRVCONFIG\\setup_ticket.ini",
    "DRVCONFIG\\setup_lable.ini",
    "DRVCONFIG\\setup_embedded.ini",
};
constexpr const char* kCategorySuffixes[4] = {
    "-ReceiptPrinter",
    "-TicketPrinter",
    "-LabelPrinter",
    "-EmbeddedPrinter",
};

constexpr const char* kModelSection = "DEVICENAME";
constexpr std::size_t kModelCountLimit = 29;
constexpr std::size_t kModelEntryLimit = 199;
constexpr std::size_t kDriverVersionLimit = 11;

const std::string kNoPath;

}  // namespace

std::string ProgramFolder(Platform& platform) {
  // The program's path is asked for whole, however long: a folder cut at a
  // fixed size would name another folder and silently lose the
  // configuration. The buffer grows until the path fits.
  std::vector<char> buffer(260);
  for (;;) {
    DWORD length = platform.GetModuleFileNameA(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      std::string path(buffer.data(), length);
      std::size_t slash = path.rfind('\\');
      return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

InstallConfig::InstallConfig(Platform& platform) : files_(platform) {
  const std::string folder = ProgramFolder(platform);
  generalPath_ = folder + kGeneralFile;
  for (int i = 0; i < 4; ++i) categoryPaths_[i] = folder + kCategoryFiles[i];
}

const std::string& InstallConfig::CategoryPath(std::int32_t category) const {
  return category >= 0 && category < 4 ? categoryPaths_[category] : kNoPath;
}

std::int32_t InstallConfig::GetModelCount() {
  return files_.GetNumber(generalPath_, kModelSection, "DEVICENUMBER", kModelCountLimit);
}

std::int32_t InstallConfig::GetModelEntry(std::int32_t number, std::string& text) {
  text = files_.GetString(generalPath_, kModelSection, "DEVICENAME" + std::to_string(number),
                          kModelEntryLimit);
  for (std::int32_t category = 0; category < 4; ++category) {
    std::size_t at = text.find(kCategorySuffixes[category]);
    if (at != std::string::npos) {
      text.resize(at);
      return category;
    }
  }
  return kNoCategory;
}

std::int32_t InstallConfig::GetDefaultModel(std::string& text) {
  text = files_.GetString(generalPath_, kModelSection, "DEFAULTNAME", kModelEntryLimit);
  return GetModelEntry(ParseAtol(text), text);
}

std::int32_t InstallConfig::GetDriverVersion() {
  return files_.GetNumber(generalPath_, "Version", "DriverVersion", kDriverVersionLimit);
}

}  // namespace setwell
