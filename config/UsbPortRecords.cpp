#include "config/UsbPortRecords.h"

#include "config/InstallConfig.h"
#include "system/RegistryKey.h"

namespace setwell {
namespace {

constexpr const char* kPortNameKey = "SOFTWARE\\TALVORN\\PORTNAME\\";
constexpr const char* kPrinterPortKey = "SOFTWARE\\TALVORN\\PRINTERPORT\\";
constexpr const char* kInstallPrinterKey = "SOFTWARE\\TALVORN\\INSTALLPRINTER\\";

constexpr DWORD kPortFree = 255;
constexpr DWORD kPortTaken = 0;
// Printer names longer than this end the walk over INSTALLPRINTER.
constexpr DWORD kPrinterNameLimit = 200;
// From "(" to the device digit of "(U) 1".
constexpr std::size_t kDigitAfterParen = 4;

bool OpenOrCreate(RegistryKey& key, const std::string& path) {
  return key.Open(path) || (key.Create(path) && key.Open(path));
}

// The position of portName among the supported USB devices, or -1. Names
// match byte for byte, letter case included.
std::int32_t SupportedPosition(InstallConfig& config, std::int32_t count,
                               const std::string& portName) {
  for (std::int32_t i = 0; i < count; ++i) {
    if (config.GetSupportedUsbDevice(i) == portName) return i;
  }
  return -1;
}

}  // namespace

std::string UsbPortNameOfPrinter(const std::string& printerName) {
  const std::size_t paren = printerName.find('(');
  if (paren == std::string::npos) return "USB_" + printerName;
  std::string port = "USB_" + printerName.substr(0, paren) + "_";
  // A name cut short ("KP-200(U") has no digit; nothing past its end is read.
  if (paren + kDigitAfterParen < printerName.size()) port += printerName[paren + kDigitAfterParen];
  return port;
}

void UpdateUsbPortRecords(Platform& platform, InstallConfig& config, const std::string& portName) {
  const std::int32_t count = config.GetSupportedUsbDeviceCount();

  RegistryKey key(platform);
  if (OpenOrCreate(key, kPortNameKey)) {
    const std::int32_t position = SupportedPosition(config, count, portName);
    if (position >= 0) key.WriteDword(portName, static_cast<DWORD>(position));
  }
  key.Close();

  if (OpenOrCreate(key, kPrinterPortKey)) {
    for (int d = 1; d <= 8; ++d) key.WriteDword("D" + std::to_string(d), 0);
  }
  key.Close();

  // A port already recorded keeps its data: 0 there means a printer was
  // installed on it before.
  if (key.Open(kPrinterPortKey)) {
    for (std::int32_t i = 0; i < count; ++i) {
      const std::string entry = config.GetSupportedUsbDevice(i);
      DWORD existing = 0;
      if (!key.ReadDword(entry, existing)) key.WriteDword(entry, kPortFree);
    }
  }
  key.Close();

  // Printers that other software recorded get their ports' positions too.
  if (!key.Open(kInstallPrinterKey)) return;
  std::string printerName;
  for (DWORD index = 0; key.EnumValueName(index, printerName, kPrinterNameLimit); ++index) {
    const std::string port = UsbPortNameOfPrinter(printerName);
    const std::int32_t position = SupportedPosition(config, count, port);
    if (position < 0) continue;
    RegistryKey portNames(platform);
    if (portNames.Open(kPortNameKey)) portNames.WriteDword(port, static_cast<DWORD>(position));
  }
}

void RecordUsbPortInstall(Platform& platform, const std::string& portName) {
  RegistryKey key(platform);
  if (key.Open(kPrinterPortKey)) key.WriteDword(portName, kPortTaken);
}

}  // namespace setwell
