#include "system/SystemHelpers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "resources/StringTable.h"
#include "system/LoadedLibrary.h"
#include "system/Messages.h"
#include "system/Platform.h"
#include "system/PlatformHandle.h"

namespace setwell {
namespace {

// The block the port list check holds while it asks for the list's size.
constexpr std::size_t kPortQueryBlock = 100;
constexpr UINT kBroadcastTimeoutMs = 1000;

// An open printer, closed when the owner goes away; invalid when the
// spooler does not know the name.
ScopedPrinter OpenPrinter(Platform& platform, const std::string& name) {
  PrinterHandle printer = nullptr;
  if (!platform.OpenPrinterA(name.c_str(), &printer)) printer = nullptr;
  return ScopedPrinter(platform, printer);
}

// The printer's level-2 record in a zeroed block of the size the spooler
// asks for; null when it cannot be read.
std::unique_ptr<BYTE[]> ReadPrinterRecord(Platform& platform, const ScopedPrinter& printer) {
  DWORD needed = 0;
  // An empty buffer can only fail with 122 and the size needed.
  if (!platform.GetPrinterA(printer.Get(), 2, nullptr, 0, &needed) &&
      platform.GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return nullptr;
  }
  if (needed == 0) return nullptr;
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[needed]());
  if (buffer == nullptr) return nullptr;
  if (!platform.GetPrinterA(printer.Get(), 2, buffer.get(), needed, &needed)) return nullptr;
  return buffer;
}

bool IsPresent(const char* text) { return text != nullptr && text[0] != '\0'; }

// Windows 95/98/Me: the default printer is the one with the default attribute.
std::int32_t SetDefaultAttribute(Platform& platform, const std::string& printerName) {
  const ScopedPrinter printer = OpenPrinter(platform, printerName);
  if (!printer) return 0;
  std::unique_ptr<BYTE[]> record = ReadPrinterRecord(platform, printer);
  if (record == nullptr) return 0;
  reinterpret_cast<PRINTER_INFO_2A*>(record.get())->Attributes |= PRINTER_ATTRIBUTE_DEFAULT;
  if (!platform.SetPrinterA(printer.Get(), 2, record.get(), 0)) return 0;
  platform.BroadcastWinIniChangeTimeout("windows", kBroadcastTimeoutMs);
  return 1;
}

// NT 4.0: the default printer is the profile's "device" value of section
// "windows", "printer,driver,port" with no spaces.
std::int32_t WriteDefaultDevice(Platform& platform, const std::string& printerName) {
  const ScopedPrinter printer = OpenPrinter(platform, printerName);
  if (!printer) return 0;
  std::unique_ptr<BYTE[]> record = ReadPrinterRecord(platform, printer);
  if (record == nullptr) return 0;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(record.get());
  if (!IsPresent(info->pDriverName) || !IsPresent(info->pPortName)) return 0;
  const std::string device = printerName + "," + info->pDriverName + "," + info->pPortName;
  if (!platform.WriteProfileStringA("windows", "device", device.c_str())) return 0;
  platform.BroadcastWinIniChangeTimeout(nullptr, kBroadcastTimeoutMs);
  return 1;
}

// NT 5 and later. Looked up at run time: NT 4.0's spooler lacks the call, and
// a static import would keep the program from starting there.
std::int32_t CallSetDefaultPrinter(Platform& platform, const std::string& printerName) {
  LoadedLibrary spooler(platform, "winspool.drv");
  const ProcAddress setDefault = spooler.Find("SetDefaultPrinterA");
  if (setDefault == nullptr) return 0;
  if (!platform.CallSetDefaultPrinterA(setDefault, printerName.c_str())) return 0;
  platform.BroadcastWinIniChangeTimeout(nullptr, kBroadcastTimeoutMs);
  return 1;
}

// "Add printer error", then the spooler's error number in a box of its own.
void ReportAddPrinterError(Platform& platform, DWORD error) {
  ShowError(platform, IDS_ADD_PRINTER_ERROR);
  char text[32];
  std::snprintf(text, sizeof text, "error = %d", static_cast<int>(error));
  ShowErrorText(platform, text);
}

}  // namespace

std::int32_t CheckPortList(Platform& platform) {
  DWORD needed = 0;
  DWORD returned = 0;
  BOOL listed = FALSE;
  DWORD error = ERROR_SUCCESS;
  {
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[kPortQueryBlock]);
    if (block == nullptr) {
      ShowError(platform, IDS_OUT_OF_MEMORY);
      return 0;
    }
    listed = platform.EnumPortsA(1, block.get(), 0, &needed, &returned);
    if (!listed) error = platform.GetLastError();
  }
  // A spooler without ports lists them into an empty buffer.
  if (listed) return 1;
  if (error != ERROR_INSUFFICIENT_BUFFER) {
    ShowError(platform, IDS_ENUM_PORTS_ERROR);
    return 0;
  }
  std::unique_ptr<BYTE[]> ports(new (std::nothrow) BYTE[needed == 0 ? 1 : needed]);
  if (ports == nullptr) {
    ShowError(platform, IDS_OUT_OF_MEMORY);
    return 0;
  }
  if (!platform.EnumPortsA(1, ports.get(), needed, &needed, &returned)) {
    ShowError(platform, IDS_ENUM_PORTS_ERROR);
    return 0;
  }
  return 1;
}

std::int32_t InstallPrinterDriver(Platform& platform, DRIVER_INFO_3A& driver) {
  if (platform.AddPrinterDriverA(3, reinterpret_cast<BYTE*>(&driver))) return 1;
  ShowError(platform, IDS_ADD_DRIVER_ERROR);
  return 0;
}

std::int32_t AddPrinterWithSuffix(Platform& platform, PRINTER_INFO_2A& record, bool usbPort,
                                  std::size_t nameFieldSize) {
  char* const field = record.pPrinterName;
  const auto fail = [&] {
    if (field != nullptr) std::memset(field, 0, nameFieldSize);
    return 0;
  };
  const auto add = [&]() -> DWORD {
    const ScopedPrinter printer(platform, platform.AddPrinterA(2, reinterpret_cast<BYTE*>(&record)));
    return printer ? ERROR_SUCCESS : platform.GetLastError();
  };

  DWORD error = add();
  if (error == ERROR_SUCCESS) return 1;
  if (error != ERROR_PRINTER_ALREADY_EXISTS) {
    ReportAddPrinterError(platform, error);
    return fail();
  }
  if (usbPort) {
    ShowError(platform, IDS_PORT_PRINTER_LIMIT);
    return fail();
  }

  const std::string original = field == nullptr ? std::string()
                                                 : std::string(field, std::find(field, field + nameFieldSize, '\0'));
  for (int suffix = 1; suffix <= 2; ++suffix) {
    const std::string name = original + "(" + std::to_string(suffix) + ")";
    // A name that would not fit the field with its terminator is refused the
    // way the spooler refuses a bad name, rather than written past the field
    // or cut into a name the user never chose.
    if (field == nullptr || name.size() + 1 > nameFieldSize) {
      ReportAddPrinterError(platform, ERROR_INVALID_PRINTER_NAME);
      return fail();
    }
    std::memset(field, 0, nameFieldSize);
    std::memcpy(field, name.data(), name.size());
    error = add();
    if (error == ERROR_SUCCESS) return 1;
    if (error != ERROR_PRINTER_ALREADY_EXISTS) {
      ReportAddPrinterError(platform, error);
      return fail();
    }
  }
  ShowError(platform, IDS_PORT_PRINTER_LIMIT);
  return fail();
}

std::int32_t MakeDefaultPrinter(Platform& platform, const std::string& printerName) {
  if (printerName.empty()) return 0;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!platform.GetVersionExA(&version)) return 0;
  switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
      return SetDefaultAttribute(platform, printerName);
    case VER_PLATFORM_WIN32_NT:
      return version.dwMajorVersion < 5 ? WriteDefaultDevice(platform, printerName)
                                        : CallSetDefaultPrinter(platform, printerName);
    default:
      return 1;
  }
}

std::int32_t RestartComputer(Platform& platform) {
  return platform.ExitWindowsEx(EWX_REBOOT, 0) ? 1 : 0;
}

}  // namespace setwell
