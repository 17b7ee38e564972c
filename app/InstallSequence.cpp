#include "app/InstallSequence.h"

#include <cstring>

#include "config/DevModeLayout.h"
#include "config/InstallConfig.h"
#include "config/UsbPortRecords.h"
#include "resources/StringTable.h"
#include "system/AsciiCase.h"
#include "system/ComponentUpdate.h"
#include "system/DriverFiles.h"
#include "system/Messages.h"
#include "system/PortMonitor.h"
#include "system/PortNames.h"
#include "system/PrintProcessor.h"
#include "system/SerialSettings.h"
#include "system/SystemHelpers.h"
#include "system/UsbDevice.h"

namespace setwell {
namespace {

constexpr const char* kUsbPortSuffixes[4] = {"_1", "_2", "_3", "_4"};
constexpr const char* kUsbNameSuffixes[4] = {"(U) 1", "(U) 2", "(U) 3", "(U) 4"};

// Appends a suffix to the 200-byte printer name field, never past it.
void AppendToName(char* field, const char* suffix) {
  const std::size_t used = std::strlen(field);
  const std::size_t room = InstallConfig::kPrinterNameField - 1 - used;
  const std::size_t length = std::min(std::strlen(suffix), room);
  std::memcpy(field + used, suffix, length);
  field[used + length] = '\0';
}

bool RunsNtFamily(Platform& platform) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return platform.GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// A system without IsWow64Process is a 32-bit one.
bool RunsUnderWow64(Platform& platform) {
  BOOL wow64 = FALSE;
  return platform.IsWow64Process(&wow64) && wow64;
}

}  // namespace

bool InstallSequence::MatchUsbDeviceNumber() {
  const int value = ProbeUsbPrinter(platform_);
  // The remainder keeps the sign of the value: kSeveralUsbPrinters gives
  // device number -1, kNoUsbPrinter gives 0.
  const int number = UsbDeviceNumber(value);
  const std::string& port = selections_.portName;

  if (selections_.setupType == kAdvancedSetup) {
    if (value == kNoUsbPrinter) {
      ShowError(platform_, IDS_NO_USB_DEVICE);
      return false;
    }
    if (value == kSeveralUsbPrinters) return false;  // the probe has said why
    if (port.find("_" + std::to_string(number)) == std::string::npos) {
      int wanted = 0;
      for (int i = 0; i < 4; ++i) {
        if (port.find(kUsbPortSuffixes[i]) != std::string::npos) wanted = i + 1;
      }
      if (!AskYesNo(platform_, IDS_RENAME_QUESTION)) return false;
      WriteUsbDeviceNumber(platform_, wanted);
    }
    return true;
  }
  if (value != kNoUsbPrinter && number != 1) {
    if (!AskYesNo(platform_, IDS_RENAME_QUESTION)) return false;
    WriteUsbDeviceNumber(platform_, 1);
  }
  return true;
}

InstallOutcome InstallSequence::Run() {
  const InstallSelections& s = selections_;
  finalPrinterName_.clear();
  InstallConfig config(platform_);
  config.SetCategory(s.category);

  if (s.modelName.empty()) {
    ShowError(platform_, IDS_SELECT_MODEL);
    return InstallOutcome::kStayOpen;
  }
  // An NT-family system that the target system page does not know leaves
  // the target at Windows 98/Me: its components do not run there, so
  // nothing is installed.
  if (s.target == kWin98 && RunsNtFamily(platform_)) {
    ShowError(platform_, IDS_WRONG_SYSTEM);
    return InstallOutcome::kStayOpen;
  }
  // 64-bit Windows reports the version of its 32-bit edition (XP x64 and
  // Server 2003 x64 are 5.2), but its spooler is a 64-bit process that
  // loads none of the family's 32-bit monitors, processor and driver: the
  // install would fail half-way with the system changed.
  if (RunsUnderWow64(platform_)) {
    ShowError(platform_, IDS_WRONG_SYSTEM);
    return InstallOutcome::kStayOpen;
  }
  if (s.target == kWin2003 && config.GetModelPortSetting(s.modelName, "System2003Supported") == 0) {
    ShowError(platform_, IDS_NO_SERVER_2003);
    return InstallOutcome::kClose;
  }
  kind_ = GetPortKind(s.portName);
  if (kind_ == PortKind::kUnsupported) {
    ShowError(platform_, IDS_PORT_NOT_SUPPORTED);
    return InstallOutcome::kStayOpen;
  }
  if (s.target == kWinNT4 && kind_ == PortKind::kUsb) {
    ShowError(platform_, IDS_NT4_NO_USB);
    return InstallOutcome::kStayOpen;
  }

  const std::int32_t mode = s.rasterGraphics;
  DevModeBlock devMode;
  DriverFileList files{};
  DRIVER_INFO_3A driver{};
  MONITOR_INFO_2A languageMonitor{};
  PRINTER_INFO_2A printer{};
  printer.pDevMode = devMode.get();
  config.GetDriverFiles(s.modelName, s.target, files, mode);
  config.GetDriverInfo(s.modelName, s.target, driver, mode);
  config.GetMonitorInfo(s.modelName, s.target, languageMonitor, mode);
  config.GetPrinterInfo(s.modelName, s.target, printer, mode);
  // One port name for the whole install: the entry the user chose, whole.
  // The USB port of a long model name runs past 99 characters; cut in one
  // place only, it would name a port that the monitor, the USB records and
  // the spooler do not know, after they had been changed.
  std::string portField = s.portName;
  const std::string& usbPortRecord = s.portName;
  printer.pPortName = portField.data();

  switch (kind_) {
    case PortKind::kUsb:
      if (!MatchUsbDeviceNumber()) return InstallOutcome::kStayOpen;
      for (int i = 0; i < 4; ++i) {
        if (s.portName.find(kUsbPortSuffixes[i]) != std::string::npos) {
          AppendToName(printer.pPrinterName, kUsbNameSuffixes[i]);
        }
      }
      UpdateUsbPortRecords(platform_, config, usbPortRecord);
      break;
    case PortKind::kSerial:
      AppendToName(printer.pPrinterName, "(S)");
      break;
    default:
      AppendToName(printer.pPrinterName, "(P)");
      break;
  }

  if (s.target == kWin98) platform_.Sleep(1000);

  parts_ = InstalledParts{};
  parts_.portName = s.portName;
  parts_.driverName = driver.pName != nullptr ? driver.pName : "";
  parts_.environment = driver.pEnvironment != nullptr ? driver.pEnvironment : "";
  parts_.printProcessor = printer.pPrintProcessor != nullptr ? printer.pPrintProcessor : "";
  parts_.defaultPrinter = s.defaultPrinter != 0;
  const int monitorResult = CheckPortMonitor(platform_, s.target, s.portName, &parts_.portMonitor);
  if (monitorResult == kPortMonitorFailed) return InstallOutcome::kClose;
  int pending = monitorResult;
  const std::string processorName = printer.pPrintProcessor;
  const std::string processorFile = files.printProcessorDll;
  const int processorResult = CheckPrintProcessor(platform_, s.target, processorName, processorFile);
  if (processorResult == kPrintProcessorFailed) return InstallOutcome::kClose;
  pending |= processorResult;

  if (pending != 0 &&
      !UpdateComponent(platform_, pending, s.target, processorName, processorFile)) {
    return InstallOutcome::kClose;
  }
  if (kind_ == PortKind::kUsb && !CheckPortList(platform_)) return InstallOutcome::kClose;
  if (!DeployDriverFiles(platform_, config, files, languageMonitor, s.target, s.modelName, mode)) {
    return InstallOutcome::kClose;
  }
  InstallPrinterDriver(platform_, driver);
  if (kind_ == PortKind::kUsb) RecordUsbPortInstall(platform_, s.portName);
  if (!AddPrinterWithSuffix(platform_, printer, kind_ == PortKind::kUsb)) {
    return InstallOutcome::kClose;
  }
  finalPrinterName_ = printer.pPrinterName;
  if (finalPrinterName_.empty()) return InstallOutcome::kClose;
  parts_.printerName = finalPrinterName_;
  // As the driver files step: a file name beginning with "0" is no file.
  if (files.monitorDll[0] != '0' && files.monitorDll[0] != '\0' && languageMonitor.pName != nullptr) {
    parts_.languageMonitor = languageMonitor.pName;
  }

  if (s.defaultPrinter) MakeDefaultPrinter(platform_, finalPrinterName_);

  if (kind_ == PortKind::kSerial) {
    const std::size_t com = s.portName.find("COM");
    const std::string serialPort = s.portName.substr(com);
    const char parity = ToLowerAscii(s.serial.parity);
    if (s.target == kWin98) {
      // The port number is the single character after "COM".
      const char digit = com + 3 < s.portName.size() ? s.portName[com + 3] : '\0';
      const int portNumber = digit >= '0' && digit <= '9' ? digit - '0' : 0;
      WriteSerialSettings98(platform_, portNumber, serialPort, s.serial.baudRate,
                            s.serial.byteSize, s.serial.stopBits, parity, s.serial.flow);
    } else {
      WriteSerialSettingsNT(platform_, serialPort, s.serial.baudRate, s.serial.byteSize,
                            s.serial.stopBits, parity, s.serial.flow);
    }
  }
  return InstallOutcome::kCompleted;
}

void InstallSequence::Complete() {
  if (selections_.target != kWin98) {
    ShowInformation(platform_, kind_ == PortKind::kUsb ? IDS_INSTALLED_REPOWER : IDS_INSTALLED);
    return;
  }
  if (AskYesNo(platform_, IDS_RESTART_QUESTION) && !RestartComputer(platform_)) {
    ShowError(platform_, IDS_EXIT_WINDOWS_ERROR);
  }
}

}  // namespace setwell
