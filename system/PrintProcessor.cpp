#include "system/PrintProcessor.h"

#include "config/InstallConfig.h"
#include "resources/StringTable.h"
#include "system/DriverFiles.h"
#include "system/Messages.h"
#include "system/RegistryKey.h"

namespace setwell {

std::string PrintProcessorKey(std::int32_t target, const std::string& processorName) {
  return std::string("SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\") +
         (target == kWin98 ? "Windows 4.0" : "Windows NT x86") + "\\Print Processors\\" +
         processorName;
}

int RegisterPrintProcessor(Platform& platform, const std::string& processorName,
                           const std::string& processorFile, std::int32_t target) {
  if (platform.AddPrintProcessorA(RecordEnvironment(target), processorFile.c_str(),
                                  processorName.c_str())) {
    return 1;
  }
  const DWORD error = platform.GetLastError();
  if (error == ERROR_INVALID_PARAMETER || error == ERROR_ALREADY_EXISTS ||
      error == ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED) {
    return static_cast<int>(error);
  }
  return 0;
}

int CheckPrintProcessor(Platform& platform, std::int32_t target, const std::string& processorName,
                        const std::string& processorFile) {
  // The print system's own processor is never examined or installed.
  if (processorName == "WinPrint") return 0;
  InstallConfig config(platform);
  const DWORD packageVersion = static_cast<DWORD>(config.GetDriverVersion());
  const std::string key = PrintProcessorKey(target, processorName);

  RegistryKey installed(platform);
  if (installed.Open(key)) {
    DWORD version = 0;
    if (!installed.ReadDword("DriverVersion", version) || version < packageVersion) {
      return kUpdatePrintProcessor;
    }
    return 0;
  }

  if (!processorFile.empty()) {
    CopyDriverFile(platform, processorFile.c_str(), kProcessorDirectory, target, false);
  }
  // The record said the processor is absent, so "already installed" from
  // the print system means the record and the print system disagree.
  const int registered = RegisterPrintProcessor(platform, processorName, processorFile, target);
  if (registered != 1) {
    ShowError(platform, IDS_ADD_PROCESSOR_ERROR);
    return kPrintProcessorFailed;
  }
  if (installed.Open(key)) installed.WriteDword("DriverVersion", packageVersion);
  platform.Sleep(200);
  return 0;
}

}  // namespace setwell
