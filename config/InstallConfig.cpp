#include "config/InstallConfig.h"

#include <cstring>
#include <vector>

#include "config/DevModeLayout.h"
#include "system/Platform.h"
#include "system/SystemHelpers.h"

namespace setwell {

static_assert(InstallConfig::kPrinterNameField == kPrinterNameFieldSize,
              "the printer record's name field is the one AddPrinterWithSuffix extends");

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
constexpr const char* kUsbDeviceSection = "SUPPORTED-USB-DEVICE";
constexpr std::size_t kUsbDeviceCountLimit = 199;
constexpr std::size_t kUsbDeviceLimit = 29;

constexpr std::size_t kTextLimit = 199;

const std::string kNoPath;

// Section suffixes by target system: Windows XP has driver and port-monitor
// sections of its own but shares the printer and device-mode sections of
// Windows 2000.
constexpr const char* kTargetSuffixes[5] = {"98", "NT", "2K", "XP", "2003"};
constexpr const char* kPrinterSuffixes[5] = {"98", "NT", "2K", "2K", "2003"};

char kWindows40[] = "Windows 4.0";

bool IsTarget(std::int32_t target) { return target >= 0 && target < 5; }

std::string Prefixed(std::int32_t mode, const char* key) {
  return std::string(mode == kRasterDriver ? "GDI" : "STD") + key;
}

// A 16-bit device-mode member takes the low 16 bits of the number.
short Low16(std::int32_t value) { return static_cast<short>(static_cast<WORD>(value)); }

// Appends a zero-terminated name to a double-zero-terminated list, never
// past the field.
void AppendName(char* list, std::size_t capacity, std::size_t& used, const char* name) {
  std::size_t length = std::strlen(name);
  if (used + length + 1 >= capacity) return;  // keep room for the closing zero
  std::memcpy(list + used, name, length + 1);
  used += length + 1;
}

}  // namespace

std::string TargetSection(const std::string& model, std::int32_t target) {
  return IsTarget(target) ? model + "." + kTargetSuffixes[target] : std::string();
}

std::string PrinterSection(const std::string& model, std::int32_t target) {
  return IsTarget(target) ? model + ".PRINTERINFO" + kPrinterSuffixes[target] : std::string();
}

std::string DevModeSection(const std::string& model, std::int32_t target) {
  return IsTarget(target) ? model + ".DEVMODE" + kPrinterSuffixes[target] : std::string();
}

std::string PortMonitorSection(std::int32_t target) {
  return IsTarget(target) ? std::string("COMMON-MONITOR.") + kTargetSuffixes[target]
                          : std::string();
}

char* RecordEnvironment(std::int32_t target) { return target == kWin98 ? kWindows40 : nullptr; }

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

InstallConfig::InstallConfig(Platform& platform) : platform_(&platform), files_(platform) {
  const std::string folder = ProgramFolder(platform);
  generalPath_ = folder + kGeneralFile;
  for (int i = 0; i < 4; ++i) categoryPaths_[i] = folder + kCategoryFiles[i];
}

InstallConfig::~InstallConfig() { ReleaseSecurityDescriptor(); }

template <std::size_t N>
void InstallConfig::Read(const std::string& path, const std::string& section,
                         const std::string& key, char (&field)[N]) {
  // An empty section name (a target system outside 0..4) reads nothing.
  const std::string_view value =
      section.empty() ? std::string_view("0") : files_.Get(path).GetView(section, key, N - 1);
  std::memset(field, 0, N);
  std::memcpy(field, value.data(), value.size() < N - 1 ? value.size() : N - 1);
}

const std::string& InstallConfig::CategoryPath(std::int32_t category) const {
  return category >= 0 && category < 4 ? categoryPaths_[category] : kNoPath;
}

std::int32_t InstallConfig::GetModelCount() {
  files_.Refresh();
  return files_.GetNumber(generalPath_, kModelSection, "DEVICENUMBER", kModelCountLimit);
}

std::int32_t InstallConfig::GetModelEntry(std::int32_t number, std::string& text) {
  files_.ReadString(generalPath_, kModelSection, "DEVICENAME" + std::to_string(number),
                    kModelEntryLimit, text);
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

std::vector<std::int32_t> InstallConfig::ExistingModelEntries(std::int32_t count) {
  return files_.Get(generalPath_).NumberedKeys(kModelSection, "DEVICENAME", 1, count);
}

std::int32_t InstallConfig::GetModelPortSetting(const std::string& model, const char* key) {
  files_.Refresh();
  return files_.GetNumber(CategoryFile(), model + ".PORT", key, kTextLimit);
}

std::int32_t InstallConfig::GetDriverVersion() {
  files_.Refresh();
  return files_.GetNumber(generalPath_, "Version", "DriverVersion", kDriverVersionLimit);
}

std::int32_t InstallConfig::GetSupportedUsbDeviceCount() {
  files_.Refresh();
  return files_.GetNumber(generalPath_, kUsbDeviceSection, "PRNCOUNT", kUsbDeviceCountLimit);
}

std::string InstallConfig::GetSupportedUsbDevice(std::int32_t number) {
  return files_.GetString(generalPath_, kUsbDeviceSection, std::to_string(number),
                          kUsbDeviceLimit);
}

std::vector<std::int32_t> InstallConfig::ExistingSupportedUsbDevices(std::int32_t count) {
  if (count <= 0) return {};
  return files_.Get(generalPath_).NumberedKeys(kUsbDeviceSection, "", 0, count - 1);
}

}  // namespace setwell

namespace setwell {

void InstallConfig::GetDriverFiles(const std::string& model, std::int32_t target,
                                   DriverFileList& list, std::int32_t mode) {
  files_.Refresh();
  const std::string section = TargetSection(model, target);
  const std::string& file = CategoryFile();
  Read(file, section, Prefixed(mode, "DriverPath"), list.driverFile);
  Read(file, section, Prefixed(mode, "DataFile"), list.dataFile);
  Read(file, section, Prefixed(mode, "ConfigFile"), list.configFile);
  Read(file, section, Prefixed(mode, "HelpFile"), list.helpFile);
  Read(file, section, Prefixed(mode, "MonitorDLLName"), list.monitorDll);
  Read(file, section, Prefixed(mode, "ProcessorDLLName"), list.printProcessorDll);
  Read(file, section, Prefixed(mode, "DataFileDLLName"), list.dataFileDll);
  Read(file, section, Prefixed(mode, "DataOemuniDLL"), list.oemPluginDll);
  Read(file, section, Prefixed(mode, "DataOemuniini"), list.oemPluginSettings);
}

void InstallConfig::GetDriverInfo(const std::string& model, std::int32_t target,
                                  DRIVER_INFO_3A& record, std::int32_t mode) {
  files_.Refresh();
  const std::string& file = CategoryFile();
  DriverInfoFields& f = driver_;
  Read(file, PrinterSection(model, target), Prefixed(mode, "DRIVERNAME"), f.name);
  record.pName = f.name;
  record.cVersion = target == kWin98 ? 0 : target == kWinNT4 ? 2 : 3;
  record.pEnvironment = RecordEnvironment(target);

  const std::string section = TargetSection(model, target);
  Read(file, section, Prefixed(mode, "DataFile"), f.dataFile);
  Read(file, section, Prefixed(mode, "DriverPath"), f.driverPath);
  Read(file, section, Prefixed(mode, "HelpFile"), f.helpFile);
  Read(file, section, Prefixed(mode, "ConfigFile"), f.configFile);
  Read(file, section, Prefixed(mode, "MonitorName"), f.monitorName);
  Read(file, section, Prefixed(mode, "DataOemuniDLL"), f.oemPluginDll);
  Read(file, section, Prefixed(mode, "DataOemuniini"), f.oemPluginSettings);
  record.pDriverPath = f.driverPath;
  record.pDataFile = f.dataFile;
  record.pConfigFile = f.configFile;
  record.pHelpFile = f.helpFile;
  record.pMonitorName = f.monitorName;
  record.pDefaultDataType = nullptr;

  // The driver record asks for the Unidrv support files by the raster
  // driver's key, as a number, whatever the driver mode.
  Read(file, section, "GDI2KDDKDEV", f.ddkFlag);
  std::memset(f.dependentFiles, 0, sizeof f.dependentFiles);
  if (ParseAtol(f.ddkFlag) != 0 && target >= kWin2000 && target <= kWin2003) {
    std::size_t used = 0;
    const std::size_t capacity = sizeof f.dependentFiles;
    AppendName(f.dependentFiles, capacity, used, f.dataFile);
    AppendName(f.dependentFiles, capacity, used, "TTFSUB.GPD");
    AppendName(f.dependentFiles, capacity, used, "UNIRES.DLL");
    AppendName(f.dependentFiles, capacity, used, "STDNAMES.GPD");
    if (f.oemPluginDll[0] != '0') AppendName(f.dependentFiles, capacity, used, f.oemPluginDll);
    if (f.oemPluginSettings[0] != '0') {
      AppendName(f.dependentFiles, capacity, used, f.oemPluginSettings);
    }
  }
  record.pDependentFiles = f.dependentFiles;
}

bool InstallConfig::IsDdkDriver(const std::string& model, std::int32_t target, std::int32_t mode) {
  files_.Refresh();
  char flag[5];
  Read(CategoryFile(), TargetSection(model, target), Prefixed(mode, "2KDDKDEV"), flag);
  return flag[0] == '1';
}

void InstallConfig::ReleaseSecurityDescriptor() {
  if (securityDescriptor_ != nullptr) platform_->FreeSecurityDescriptor(securityDescriptor_);
  securityDescriptor_ = nullptr;
}

void InstallConfig::GetPrinterInfo(const std::string& model, std::int32_t target,
                                   PRINTER_INFO_2A& record, std::int32_t mode) {
  files_.Refresh();
  const std::string& file = CategoryFile();
  PrinterInfoFields& f = printer_;
  const std::string section = PrinterSection(model, target);
  Read(file, section, "SERVERNAME", f.serverName);
  Read(file, section, Prefixed(mode, "DRIVERNAME"), f.driverName);
  Read(file, section, "COMMENT", f.comment);
  Read(file, section, "LOCATION", f.location);
  Read(file, section, "SEPFILE", f.sepFile);
  Read(file, section, "DATATYPE", f.dataType);
  Read(file, section, "PARAMETERS", f.parameters);
  Read(file, section, "SECURITYDESCRIPTOR", f.securityDescriptor);
  static constexpr const char* kNumberKeys[8] = {"ATTRIBUTES", "PRIORITY",  "DEFAULTPRIORITY",
                                                 "STARTTIME",  "UNTILTIME", "STATUS",
                                                 "CJOBS",      "AVERAGEPPM"};
  for (int i = 0; i < 8; ++i) Read(file, section, kNumberKeys[i], f.numbers[i]);

  std::memset(f.printerName, 0, sizeof f.printerName);
  std::memcpy(f.printerName, model.data(),
              model.size() < sizeof f.printerName - 1 ? model.size() : sizeof f.printerName - 1);

  record.pServerName = f.serverName;
  record.pPrinterName = f.printerName;
  record.pShareName = nullptr;
  record.pDriverName = f.driverName;
  record.pComment = f.comment;
  record.pLocation = f.location;
  record.pSepFile = f.sepFile;
  record.pDatatype = f.dataType;
  record.pParameters = f.parameters;
  // The spooler takes a security descriptor structure here, never text: a
  // valid descriptor string is converted, anything else ("0" included)
  // leaves the printer with the default security.
  ReleaseSecurityDescriptor();
  if (f.securityDescriptor[0] != '\0' && std::strcmp(f.securityDescriptor, "0") != 0) {
    securityDescriptor_ = platform_->ConvertStringSecurityDescriptor(f.securityDescriptor);
  }
  record.pSecurityDescriptor = securityDescriptor_;
  DWORD* const numbers[8] = {&record.Attributes, &record.Priority,  &record.DefaultPriority,
                             &record.StartTime,  &record.UntilTime, &record.Status,
                             &record.cJobs,      &record.AveragePPM};
  for (int i = 0; i < 8; ++i) *numbers[i] = static_cast<DWORD>(ParseAtol(f.numbers[i]));

  Read(file, TargetSection(model, target), Prefixed(mode, "PrintProcessor"), f.printProcessor);
  record.pPrintProcessor = f.printProcessor;

  DEVMODEA* dm = record.pDevMode;
  if (dm == nullptr) return;
  // The device name holds 31 characters and its zero; a longer model name
  // is cut there (the printer name keeps it whole).
  std::memset(dm->dmDeviceName, 0, sizeof dm->dmDeviceName);
  std::memcpy(dm->dmDeviceName, model.data(),
              model.size() < sizeof dm->dmDeviceName - 1 ? model.size()
                                                         : sizeof dm->dmDeviceName - 1);
  const std::string devSection = DevModeSection(model, target);
  static constexpr const char* kDevModeKeys[21] = {
      "DRIVERVERSION", "DMDRIVEREXTRA", "ORIENTATION", "PAPERSIZE",   "PAPERLENGTH",
      "PAPERWIDTH",    "SCALE",         "COPIES",      "DEFAULTSOURCE", "PRINTQUALITY",
      "COLOR",         "DUPLEX",        "YRESOLUTION", "TTOPTION",    "COLLATE",
      "FORMNAME",      "ICMMETHOD",     "ICMINTENT",   "MEDIATYPE",   "DITHERTYPE",
      "FIELDS"};
  std::int32_t v[21];
  for (int i = 0; i < 21; ++i) {
    Read(file, devSection, kDevModeKeys[i], f.devMode[i]);
    v[i] = ParseAtol(f.devMode[i]);
  }
  dm->dmSpecVersion = kDevModeSpecVersion;
  dm->dmDriverVersion = static_cast<WORD>(v[0]);
  dm->dmSize = static_cast<WORD>(kDevModeSize);
  // No private driver data follows the block: announcing some would make
  // the spooler and the driver read past it.
  dm->dmDriverExtra = 0;
  dm->dmOrientation = Low16(v[2]);
  dm->dmPaperSize = Low16(v[3]);
  dm->dmPaperLength = Low16(v[4]);
  dm->dmPaperWidth = Low16(v[5]);
  dm->dmScale = Low16(v[6]);
  dm->dmCopies = Low16(v[7]);
  dm->dmDefaultSource = Low16(v[8]);
  dm->dmPrintQuality = Low16(v[9]);
  dm->dmColor = Low16(v[10]);
  dm->dmDuplex = Low16(v[11]);
  dm->dmYResolution = Low16(v[12]);
  dm->dmTTOption = Low16(v[13]);
  dm->dmCollate = Low16(v[14]);
  std::memset(dm->dmFormName, 0, sizeof dm->dmFormName);
  std::memcpy(dm->dmFormName, f.devMode[15], std::strlen(f.devMode[15]));
  dm->dmICMMethod = static_cast<DWORD>(v[16]);
  dm->dmICMIntent = static_cast<DWORD>(v[17]);
  dm->dmMediaType = static_cast<DWORD>(v[18]);
  dm->dmDitherType = static_cast<DWORD>(v[19]);
  dm->dmFields = static_cast<DWORD>(v[20]);
}

void InstallConfig::GetMonitorInfo(const std::string& model, std::int32_t target,
                                   MONITOR_INFO_2A& record, std::int32_t mode) {
  files_.Refresh();
  const std::string section = TargetSection(model, target);
  Read(CategoryFile(), section, Prefixed(mode, "MonitorName"), monitor_.name);
  Read(CategoryFile(), section, Prefixed(mode, "MonitorDLLName"), monitor_.dllName);
  record.pName = monitor_.name;
  record.pEnvironment = RecordEnvironment(target);
  record.pDLLName = monitor_.dllName;
}

void InstallConfig::GetPortMonitors(std::int32_t target, PortMonitorSet& set) {
  files_.Refresh();
  const std::string section = PortMonitorSection(target);
  PortMonitorFields& f = portMonitors_;
  Read(generalPath_, section, "USBMONitorPName", f.usbName);
  Read(generalPath_, section, "USBMONitorPDLLName", f.usbDll);
  char uiDll[50];
  Read(generalPath_, section, "USBMONitorPUIDLLName", uiDll);
  std::memset(set.usbUiDll, 0, sizeof set.usbUiDll);
  std::memcpy(set.usbUiDll, uiDll, std::strlen(uiDll));
  Read(generalPath_, section, "USBMONitorVersion", f.usbVersion);
  Read(generalPath_, section, "COMMONitorPName", f.serialName);
  Read(generalPath_, section, "COMMONitorPDLLName", f.serialDll);
  Read(generalPath_, section, "COMMONitorPUIDLLName", uiDll);
  std::memset(set.serialUiDll, 0, sizeof set.serialUiDll);
  std::memcpy(set.serialUiDll, uiDll, std::strlen(uiDll));
  Read(generalPath_, section, "COMMONitorVersion", f.serialVersion);

  set.usbVersion = ParseAtol(f.usbVersion);
  set.serialVersion = ParseAtol(f.serialVersion);
  set.serial.pName = f.serialName;
  set.serial.pEnvironment = RecordEnvironment(target);
  set.serial.pDLLName = f.serialDll;
  set.usb.pName = f.usbName;
  set.usb.pEnvironment = RecordEnvironment(target);
  set.usb.pDLLName = f.usbDll;
}

}  // namespace setwell
