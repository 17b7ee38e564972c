// The configuration reader of one installation: the paths of the
// distribution's INI files beside the program, and the values read from
// them. The parsed files are shared with every other reader (ProfileCache):
// each operation looks at the files it reads again, so an edited
// distribution is read afresh, and a file is parsed again only when its
// bytes changed. The reads of single entries and the walks over them
// (GetModelEntry, GetDefaultModel, GetSupportedUsbDevice, ExistingModel-
// Entries, ExistingSupportedUsbDevices) use the file as the count before
// them saw it.
//
// The print-system records built here (driver, printer, device mode,
// monitors) point into this object's storage: it must outlive them, and a
// record stays valid until the operation that built it runs again. Each
// operation writes only fields of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/DriverFileList.h"
#include "config/IniFile.h"
#include "config/PortMonitorSet.h"
#include "config/Selections.h"
#include "system/WinTypes.h"

namespace setwell {

class Platform;

class InstallConfig {
 public:
  // Builds the five paths from the program's own file name.
  explicit InstallConfig(Platform& platform);
  virtual ~InstallConfig();
  InstallConfig(const InstallConfig&) = delete;
  InstallConfig& operator=(const InstallConfig&) = delete;

  // The number of model entries in the general file ("DEVICENUMBER").
  std::int32_t GetModelCount();
  // Reads model entry `number` into `text` and returns its category, with
  // the category suffix removed from the text; -1 (text as read) when the
  // entry has no category suffix.
  std::int32_t GetModelEntry(std::int32_t number, std::string& text);
  // The numbers of the model entries 1..count that exist, ascending; every
  // other entry reads "0", which is no model.
  std::vector<std::int32_t> ExistingModelEntries(std::int32_t count);
  // The preselected model ("DEFAULTNAME"), as GetModelEntry.
  std::int32_t GetDefaultModel(std::string& text);
  // The distribution's print processor version ("DriverVersion").
  std::int32_t GetDriverVersion();
  // The number of supported USB devices ("PRNCOUNT") and entry `number`, a
  // USB port name of at most 29 characters.
  std::int32_t GetSupportedUsbDeviceCount();
  std::string GetSupportedUsbDevice(std::int32_t number);
  // The numbers of the supported USB device entries 0..count-1 that exist,
  // ascending; every other entry reads "0".
  std::vector<std::int32_t> ExistingSupportedUsbDevices(std::int32_t count);

  // A number of the model's "%s.PORT" section in the current category's
  // file ("AdvancedSetup", "System2003Supported", "BaudRate",
  // "USBSUPPORTED", "LPTDEFAULT"); 0 when missing.
  std::int32_t GetModelPortSetting(const std::string& model, const char* key);

  // --- Driver ---------------------------------------------------------------
  // The model's driver files from its target-system section.
  void GetDriverFiles(const std::string& model, std::int32_t target, DriverFileList& list,
                      std::int32_t mode);
  // The level-3 driver record; its texts live here.
  void GetDriverInfo(const std::string& model, std::int32_t target, DRIVER_INFO_3A& record,
                     std::int32_t mode);
  // Whether the driver needs the Unidrv support files: the driver mode's
  // "2KDDKDEV" key begins with "1".
  bool IsDdkDriver(const std::string& model, std::int32_t target, std::int32_t mode);

  // --- Printer ----------------------------------------------------------------
  // The level-2 printer record and the device mode its pDevMode points at
  // (a zeroed block of kDevModeSize bytes, see DevModeBlock). The printer
  // name is a copy of the model name in PrinterNameField(), which the
  // install sequence may extend with a suffix.
  void GetPrinterInfo(const std::string& model, std::int32_t target, PRINTER_INFO_2A& record,
                      std::int32_t mode);
  char* PrinterNameField() { return printer_.printerName; }
  static constexpr std::size_t kPrinterNameField = 200;

  // --- Monitors -----------------------------------------------------------------
  // The model's own language monitor.
  void GetMonitorInfo(const std::string& model, std::int32_t target, MONITOR_INFO_2A& record,
                      std::int32_t mode);
  // The serial and USB port monitors of the general file; no category needed.
  void GetPortMonitors(std::int32_t target, PortMonitorSet& set);

  // Owners set the category before any operation on a category file.
  void SetCategory(std::int32_t category) { category_ = category; }
  std::int32_t GetCategory() const { return category_; }

  const std::string& GeneralPath() const { return generalPath_; }
  // The file of category 0..3; empty for any other value.
  const std::string& CategoryPath(std::int32_t category) const;

 private:
  // Storage of the values read, one field per key and operation, each at
  // least the key's limit plus one byte.
  struct DriverInfoFields {
    char name[50];
    char driverPath[200];
    char dataFile[200];
    char configFile[200];
    char helpFile[200];
    char monitorName[50];
    char oemPluginDll[200];
    char oemPluginSettings[200];
    char ddkFlag[10];
    // Room for the longest list the keys allow: the data file, the three
    // fixed names, both plug-in names and the closing zero.
    char dependentFiles[200 + 35 + 200 + 200 + 1];
  };
  struct PrinterInfoFields {
    char serverName[50];
    char driverName[50];
    char comment[50];
    char location[50];
    char sepFile[50];
    char dataType[50];
    char parameters[50];
    char securityDescriptor[50];
    char numbers[8][50];
    char printProcessor[50];
    char printerName[kPrinterNameField];
    char devMode[21][20];
  };
  struct MonitorInfoFields {
    char name[50];
    char dllName[200];
  };
  struct PortMonitorFields {
    char usbName[50];
    char usbDll[200];
    char usbVersion[10];
    char serialName[50];
    char serialDll[200];
    char serialVersion[10];
  };

  // Reads key of section into field, cut to the field's size less one.
  template <std::size_t N>
  void Read(const std::string& path, const std::string& section, const std::string& key,
            char (&field)[N]);
  void ReleaseSecurityDescriptor();
  // The category file of the current category, or "" (every read gives the
  // default) when the category is not 0..3.
  const std::string& CategoryFile() const { return CategoryPath(category_); }

  Platform* platform_;
  DriverInfoFields driver_{};
  PrinterInfoFields printer_{};
  MonitorInfoFields monitor_{};
  PortMonitorFields portMonitors_{};
  // The converted "SECURITYDESCRIPTOR" of the last printer record, if any.
  PSECURITY_DESCRIPTOR securityDescriptor_ = nullptr;

  IniFileSet files_;
  std::int32_t category_ = kNoCategory;
  std::string categoryPaths_[4];
  std::string generalPath_;
};

// Section names of a model for a target system; empty for a target outside
// 0..4, so that every read gives the default.
std::string TargetSection(const std::string& model, std::int32_t target);
std::string PrinterSection(const std::string& model, std::int32_t target);
std::string DevModeSection(const std::string& model, std::int32_t target);
std::string PortMonitorSection(std::int32_t target);
// "Windows 4.0" for Windows 98/Me targets; null (the local machine's own)
// for the others.
char* RecordEnvironment(std::int32_t target);

// The folder of the running program, with its trailing backslash; empty when
// the program's path holds no backslash.
std::string ProgramFolder(Platform& platform);

}  // namespace setwell
