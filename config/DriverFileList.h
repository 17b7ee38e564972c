// The files of a model's driver, as the target-system section names them.
#pragma once

namespace setwell {

constexpr int kFileNameField = 200;

// Filled by InstallConfig::GetDriverFiles; the caller zeroes it first. Each
// field holds at most 199 characters; a missing key leaves "0".
struct DriverFileList {
  char driverFile[kFileNameField];
  char dataFile[kFileNameField];
  char configFile[kFileNameField];
  char helpFile[kFileNameField];
  char monitorDll[kFileNameField];
  char printProcessorDll[kFileNameField];
  char dataFileDll[kFileNameField];
  char oemPluginDll[kFileNameField];
  char oemPluginSettings[kFileNameField];
};

}  // namespace setwell
