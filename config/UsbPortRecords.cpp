#include "config/UsbPortRecords.h"

#include <utility>
#include <vector>

#include "config/InstallConfig.h"
#include "system/RegistryKey.h"

namespace setwell {
namespace {

constexpr const char* kPortNameKey = "SOFTWARE\\TALVORN\\PORTNAME\\";
constexpr const char* kPrinterPortKey = "SOFTWARE\\TALVORN\\PRINTERPORT\\";
constexpr const char* kInstallPrinterKey = "SOFTWARE\\TALVORN\\INSTALLPRINTER\\";

// What a supported USB device entry without a key reads.
constexpr const char* kMissingEntry = "0";

constexpr DWORD kPortFree = 255;
constexpr DWORD kPortTaken = 0;
// Printer names longer than this end the walk over INSTALLPRINTER.
constexpr DWORD kPrinterNameLimit = 200;
// From "(" to the device digit of "(U) 1".
constexpr std::size_t kDigitAfterParen = 4;

// The supported USB device entries 0..count-1 as a walk over them reads
// them, in order: the entries whose key exists, and "0" for every other,
// given once at the place of the first missing entry (a second "0" finds
// the first one's record and changes nothing). The walk follows the file,
// so a huge count costs nothing.
std::vector<std::pair<std::int32_t, std::string>> SupportedDevices(InstallConfig& config,
                                                                   std::int32_t count) {
  std::vector<std::pair<std::int32_t, std::string>> entries;
  std::int32_t expected = 0;
  bool missingGiven = false;
  for (const std::int32_t i : config.ExistingSupportedUsbDevices(count)) {
    if (i != expected && !missingGiven) {
      entries.emplace_back(expected, kMissingEntry);
      missingGiven = true;
    }
    entries.emplace_back(i, config.GetSupportedUsbDevice(i));
    expected = i + 1;
  }
  if (expected < count && !missingGiven) entries.emplace_back(expected, kMissingEntry);
  return entries;
}

// The position of portName among the supported USB devices, or -1. Names
// match byte for byte, letter case included.
std::int32_t SupportedPosition(
    const std::vector<std::pair<std::int32_t, std::string>>& devices,
    const std::string& portName) {
  for (const auto& [position, entry] : devices) {
    if (entry == portName) return position;
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
  const auto devices = SupportedDevices(config, config.GetSupportedUsbDeviceCount());

  RegistryKey key(platform);
  if (key.CreateOrOpen(kPortNameKey)) {
    const std::int32_t position = SupportedPosition(devices, portName);
    if (position >= 0) key.WriteDword(portName, static_cast<DWORD>(position));
  }
  key.Close();

  if (key.CreateOrOpen(kPrinterPortKey)) {
    for (int d = 1; d <= 8; ++d) key.WriteDword("D" + std::to_string(d), 0);
  }
  key.Close();

  // A port already recorded keeps its data: 0 there means a printer was
  // installed on it before.
  if (key.Open(kPrinterPortKey)) {
    for (const auto& [position, entry] : devices) {
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
    const std::int32_t position = SupportedPosition(devices, port);
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
