#include "tools/setup_check/StaticRules.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>

#include "config/DevModeLayout.h"
#include "system/AsciiCase.h"

namespace setwell::check {
namespace {

constexpr const char* kPrefixes[2] = {"STD", "GDI"};
// The fixed names that the driver record's dependent list holds with the
// Unidrv flag, 35 bytes with their zeros.
constexpr const char* kUnidrvFiles[3] = {"UNIRES.DLL", "STDNAMES.GPD", "TTFSUB.GPD"};
constexpr std::size_t kUnidrvBytes = 35;
constexpr std::size_t kDependentField = 200;
// "USB_<model>_n" in the port page's 52-byte port name.
constexpr std::size_t kPortNameMax = 51;
constexpr std::size_t kDeviceNameMax = 31;
// The alternate name "n" + file is built in 20 bytes.
constexpr std::size_t kAlternateNameMax = 18;
constexpr std::int32_t kModelCountMax = 100000;
constexpr std::int32_t kListedBaudRates[] = {110,  300,   1200,  2400,  4800,
                                             9600, 19200, 38400, 57600, 115200};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

bool NoFile(const char* name) { return name[0] == '0'; }

// Checks over one distribution; each method adds the findings of one
// concern.
class Checker {
 public:
  Checker(Distribution& dist, const CheckOptions& options, FindingList& findings)
      : dist_(dist), options_(options), findings_(findings) {}

  void Run();

 private:
  void Add(const char* code, const ConfigFile& file, const std::string& section,
           const std::string& key, const std::string& model, const std::string& message) {
    findings_.Add(code, file.name, section, key, Distribution::LineOf(file, section, key), model,
                  message);
  }
  bool HasSection(const ConfigFile& file, const std::string& section) const {
    return Distribution::LineOf(file, section) != 0;
  }
  bool HasKey(const ConfigFile& file, const std::string& section, const std::string& key) const {
    return file.ini.Find(section, key).has_value();
  }

  void CheckModelList();
  void CheckDefaultModel();
  void CheckUsbDevices();
  void CheckModel(const ListedModel& model);
  void CheckTarget(const ListedModel& model, std::int32_t target, std::int32_t mode);
  void CheckPortMonitors();
  void CheckLayout(const ConfigFile& file);
  void CheckValues(const ConfigFile& file, bool general);
  void CheckOrphanSections(std::int32_t category);
  // A file the install copies from the target's per-system folder.
  void CheckCopiedFile(const ConfigFile& file, const std::string& section, const std::string& key,
                       const std::string& model, std::int32_t target, const std::string& name);
  bool UsbSupported(const ListedModel& model) {
    config_.SetCategory(model.category);
    return config_.GetModelPortSetting(model.name, "USBSUPPORTED") != 0;
  }

  Distribution& dist_;
  const CheckOptions& options_;
  FindingList& findings_;
  InstallConfig config_{dist_.Machine()};
};

void Checker::Run() {
  ConfigFile& general = dist_.General();
  if (!general.present) {
    findings_.Add("SC101", general.name, "", "", 0, "",
                  general.name + " is missing: the model page lists no model");
    return;
  }
  if (dist_.FindFile("D:\\Guide.CHM") == nullptr) {
    findings_.Add("SC303", "Guide.CHM", "", "", 0, "", "Guide.CHM is missing: F1 opens nothing");
  }
  for (ConfigFile& file : dist_.Files()) {
    if (!file.present) continue;
    CheckLayout(file);
    CheckValues(file, &file == &general);
  }
  CheckModelList();
  CheckDefaultModel();
  CheckUsbDevices();
  CheckPortMonitors();
  for (std::int32_t category = 0; category < 4; ++category) CheckOrphanSections(category);
  for (const ListedModel& model : dist_.Models()) CheckModel(model);
}

void Checker::CheckModelList() {
  const ConfigFile& general = dist_.General();
  const std::int32_t count = config_.GetModelCount();
  const std::int32_t highest = dist_.HighestEntry();
  if (dist_.Models().empty()) {
    Add("SC102", general, "DEVICENAME", "DEVICENUMBER", "",
        "DEVICENUMBER=" + std::to_string(count) + " and " + std::to_string(highest) +
            " DEVICENAME entries give no model with a category suffix: Next stays disabled");
  }
  if (count > kModelCountMax) {
    Add("SC120", general, "DEVICENAME", "DEVICENUMBER", "",
        "DEVICENUMBER=" + std::to_string(count) + " makes the model page read " +
            std::to_string(count) + " entries; the highest present is " +
            std::to_string(highest));
  } else if (count != highest) {
    Add("SC201", general, "DEVICENAME", "DEVICENUMBER", "",
        count < highest
            ? "DEVICENUMBER=" + std::to_string(count) + " but entries go up to DEVICENAME" +
                  std::to_string(highest) + ": the ones above " + std::to_string(count) +
                  " are never listed"
            : "DEVICENUMBER=" + std::to_string(count) + " but the highest entry is DEVICENAME" +
                  std::to_string(highest) + ": the numbers above it read \"0\"");
  }
  const std::int32_t last = std::min(count, highest);
  std::string text;
  std::map<std::string, std::int32_t> seen;
  for (std::int32_t n = 1; n <= last; ++n) {
    const std::string key = "DEVICENAME" + std::to_string(n);
    if (!HasKey(general, "DEVICENAME", key)) continue;
    const std::int32_t category = config_.GetModelEntry(n, text);
    if (category < 0) {
      Add("SC202", general, "DEVICENAME", key, "",
          key + "=" + Quoted(text) + " has no category suffix: it is listed nowhere");
      continue;
    }
    auto [it, added] = seen.emplace(text, n);
    if (!added) {
      Add("SC204", general, "DEVICENAME", key, text,
          "model " + Quoted(text) + " is listed again (first as DEVICENAME" +
              std::to_string(it->second) + ")");
    }
  }
}

void Checker::CheckDefaultModel() {
  const ConfigFile& general = dist_.General();
  if (!HasKey(general, "DEVICENAME", "DEFAULTNAME")) {
    if (!dist_.Models().empty())
      Add("SC302", general, "DEVICENAME", "DEFAULTNAME", "", "no DEFAULTNAME: no model is preselected");
    return;
  }
  std::string name;
  const std::int32_t category = config_.GetDefaultModel(name);
  const std::string number = general.ini.GetString("DEVICENAME", "DEFAULTNAME", 199);
  if (category < 0) {
    Add("SC203", general, "DEVICENAME", "DEFAULTNAME", "",
        "DEFAULTNAME=" + number + " names no listed model: none is preselected");
    return;
  }
  // The model page's search: the first entry beginning with the default
  // name, from the second entry to the last, then the first.
  std::vector<std::string> list;
  for (const ListedModel& model : dist_.Models()) {
    if (model.category == category) list.push_back(model.name);
  }
  if (category == kEmbedded) {
    std::stable_sort(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
      return LowerAscii(a) < LowerAscii(b);
    });
  }
  std::string found;
  for (std::size_t i = 1; i <= list.size() && found.empty(); ++i) {
    const std::string& entry = list[i % list.size()];
    if (StartsWithNoCase(entry, name)) found = entry;
  }
  if (found != name) {
    Add("SC203", general, "DEVICENAME", "DEFAULTNAME", name,
        "DEFAULTNAME=" + number + " names " + Quoted(name) + ", but the model page's search finds " +
            (found.empty() ? std::string("no entry") : Quoted(found)));
  }
}

void Checker::CheckUsbDevices() {
  const ConfigFile& general = dist_.General();
  const std::string section = "SUPPORTED-USB-DEVICE";
  std::set<std::string> offered;
  for (const ListedModel& model : dist_.Models()) {
    if (!UsbSupported(model)) continue;
    for (int i = 1; i <= 4; ++i) offered.insert("USB_" + model.name + "_" + std::to_string(i));
  }
  const std::int32_t count = config_.GetSupportedUsbDeviceCount();
  std::int32_t present = 0;  // entries 0 .. present-1 are all there
  while (present < std::max<std::int32_t>(std::min(count, kModelCountMax), 0) + 1 &&
         HasKey(general, section, std::to_string(present)))
    ++present;
  if (count > kModelCountMax) {
    Add("SC120", general, section, "PRNCOUNT", "",
        "PRNCOUNT=" + std::to_string(count) + " makes every USB install walk " +
            std::to_string(count) + " entries; " + std::to_string(present) +
            " are given (USB installs are not rehearsed)");
  } else if (HasSection(general, section) && count != present) {
    Add("SC206", general, section, "PRNCOUNT", "",
        "PRNCOUNT=" + std::to_string(count) + " but entries 0 to " + std::to_string(present - 1) +
            " are given");
  }
  std::set<std::string> listed;
  for (std::int32_t i = 0; i < std::min(count, present); ++i) {
    const std::string key = std::to_string(i);
    const std::string whole = ProfileValue(*general.ini.Find(section, key),
                                           std::numeric_limits<std::size_t>::max());
    const std::string entry = config_.GetSupportedUsbDevice(i);
    listed.insert(entry);
    if (whole.size() > entry.size()) {
      Add("SC205", general, section, key, "",
          Quoted(whole) + " is cut to " + Quoted(entry) + " (29 characters) and matches no port");
    } else if (offered.count(entry) == 0) {
      Add("SC205", general, section, key, "",
          Quoted(entry) + " is no USB port that the port page offers for a model");
    }
  }
  for (const ListedModel& model : dist_.Models()) {
    if (!UsbSupported(model)) continue;
    const std::string port = "USB_" + model.name + "_1";
    if (listed.count(port) == 0) {
      const ConfigFile& file = dist_.CategoryFile(model.category);
      Add("SC304", file, model.name + ".PORT", "USBSUPPORTED", model.name,
          Quoted(port) + " is not among the supported USB devices of " + general.name);
    }
  }
}

void Checker::CheckPortMonitors() {
  const ConfigFile& general = dist_.General();
  bool anyUsb = false;
  for (const ListedModel& model : dist_.Models()) anyUsb = anyUsb || UsbSupported(model);
  for (std::int32_t target : options_.targets) {
    const std::string section = PortMonitorSection(target);
    PortMonitorSet set{};
    config_.GetPortMonitors(target, set);
    struct Monitor {
      bool needed;
      const char* kind;
      const char* prefix;
      const MONITOR_INFO_2A& info;
      const char* uiDll;
    };
    // Every model offers a serial port; the serial monitor serves it on the
    // NT family, the USB monitor USB ports everywhere but on NT 4.0.
    const Monitor monitors[2] = {
        {target != kWin98 && !dist_.Models().empty(), "serial", "COMMONitor", set.serial,
         set.serialUiDll},
        {target != kWinNT4 && anyUsb, "USB", "USBMONitor", set.usb, set.usbUiDll}};
    for (const Monitor& m : monitors) {
      if (!m.needed) continue;
      const std::string nameKey = std::string(m.prefix) + "PName";
      const std::string dllKey = std::string(m.prefix) + "PDLLName";
      const std::string dll = m.info.pDLLName;
      const std::string name = m.info.pName;
      const std::string where = std::string(m.kind) + " installs on " + kTargetNames[target];
      if (!HasSection(general, section)) {
        Add("SC112", general, section, "", "",
            "no [" + section + "] section: " + where + " end with \"Add monitor error\"");
        continue;
      }
      if (dll.empty()) {
        Add("SC112", general, section, dllKey, "",
            dllKey + " is empty: " + where + " get no port monitor, and so no port");
        continue;
      }
      if (NoFile(dll.c_str())) {
        Add("SC112", general, section, dllKey, "",
            dllKey + " reads " + Quoted(dll) + ": " + where + " end with \"Add monitor error\"");
        continue;
      }
      if (name.empty() || name == "0") {
        Add("SC113", general, section, nameKey, "",
            dllKey + "=" + dll + " but " + nameKey + " is " + (name.empty() ? "empty" : "missing") +
                ": " + where + " end with \"Add monitor error\"");
      }
      CheckCopiedFile(general, section, dllKey, "", target, dll);
      if (dll.size() > kAlternateNameMax) {
        Add("SC212", general, section, dllKey, "",
            Quoted(dll) + " has " + std::to_string(dll.size()) +
                " characters: when it is in use, its alternate name does not fit 20 bytes");
      }
      const std::string ui = m.uiDll;
      if (!ui.empty() && !NoFile(ui.c_str()))
        CheckCopiedFile(general, section, std::string(m.prefix) + "PUIDLLName", "", target, ui);
    }
  }
}

void Checker::CheckCopiedFile(const ConfigFile& file, const std::string& section,
                              const std::string& key, const std::string& model,
                              std::int32_t target, const std::string& name) {
  if (!IsPlainFileName(name)) {
    Add("SC107", file, section, key, model,
        Quoted(name) + " is not a plain file name: the copy would leave the target folder");
    return;
  }
  const std::string folder = kSystemFolders[target];
  if (dist_.FindFile("D:\\" + folder + "\\" + name) == nullptr) {
    Add("SC106", file, section, key, model,
        Quoted(name) + " is not in \\" + folder + "\\: \"Copy driver files error\" on " +
            kTargetNames[target]);
  }
}

void Checker::CheckModel(const ListedModel& model) {
  const ConfigFile& general = dist_.General();
  const ConfigFile& file = dist_.CategoryFile(model.category);
  const std::string entryKey = "DEVICENAME" + std::to_string(model.entry);
  const std::string& name = model.name;
  if (!file.present) {
    Add("SC103", file, "", "", "",
        file.name + " is missing: its models install a driver named \"0\" from files \"0\"");
    return;
  }
  config_.SetCategory(model.category);
  const bool usb = config_.GetModelPortSetting(name, "USBSUPPORTED") != 0;
  const std::string port = name + ".PORT";

  if (name == "PRINTER") {
    Add("SC118", general, "DEVICENAME", entryKey, name,
        "\"PRINTER\" is the port page's last built model before any is built: the first port "
        "list for it may be taken as built, left empty, and Finish refused with \"No support "
        "installation for this port\"");
  }
  if (name.size() > kDeviceNameMax) {
    Add("SC210", general, "DEVICENAME", entryKey, name,
        "the model name has " + std::to_string(name.size()) +
            " characters; the device name keeps " + std::to_string(kDeviceNameMax));
  }
  if (usb && ("USB_" + name + "_1").size() > kPortNameMax) {
    Add("SC116", general, "DEVICENAME", entryKey, name,
        "USB port " + Quoted("USB_" + name + "_1") + " has more than " +
            std::to_string(kPortNameMax) + " characters: the printer cannot be added on it");
  }
  if (usb) {
    for (const char* suffix : {"_1", "_2", "_3", "_4"}) {
      if (Contains(name, suffix)) {
        Add("SC117", general, "DEVICENAME", entryKey, name,
            "the model name holds " + Quoted(suffix) + ": USB port USB_" + name +
                "_1 gives the printer name " + name + "(U) 1 and more suffixes, and the device "
                "number test matches the wrong port");
        break;
      }
    }
  }
  for (const char* part : {"COM", "LPT", "USB"}) {
    if (Contains(name, part)) {
      Add("SC211", general, "DEVICENAME", entryKey, name,
          std::string("the model name holds ") + Quoted(part) +
              ": its USB ports are told apart from serial and parallel ports by such substrings");
      break;
    }
  }

  const std::int32_t baud = config_.GetModelPortSetting(name, "BaudRate");
  if (baud <= 0) {
    Add("SC119", file, port, "BaudRate", name,
        std::string("BaudRate ") +
            (HasKey(file, port, "BaudRate") ? "reads " + std::to_string(baud) : "is missing") +
            ": no rate is configured; the port page shows 38400, and a serial install writes "
            "whatever the page stores for it");
  } else if (std::find(std::begin(kListedBaudRates), std::end(kListedBaudRates), baud) ==
             std::end(kListedBaudRates)) {
    Add("SC215", file, port, "BaudRate", name,
        "BaudRate=" + std::to_string(baud) + " is not in the list: it shows 38400 and stores " +
            std::to_string(baud));
  }

  bool server2003 = config_.GetModelPortSetting(name, "System2003Supported") != 0;
  if (server2003) {
    std::string missing;
    for (const std::string& section : {TargetSection(name, kWin2003),
                                       PrinterSection(name, kWin2003),
                                       DevModeSection(name, kWin2003)}) {
      if (!HasSection(file, section)) missing += (missing.empty() ? "[" : ", [") + section + "]";
    }
    if (!missing.empty()) {
      Add("SC114", file, port, "System2003Supported", name,
          "System2003Supported is set but " + missing +
              " is missing: a Windows Server 2003 install reads \"0\" for every key there");
      server2003 = false;  // this finding says it for every key of them
    }
  }
  for (std::int32_t target : options_.targets) {
    if (target == kWin2003 && !server2003) continue;
    for (std::int32_t mode : {kStandardDriver, kRasterDriver}) CheckTarget(model, target, mode);
  }
}

void Checker::CheckTarget(const ListedModel& model, std::int32_t target, std::int32_t mode) {
  const ConfigFile& file = dist_.CategoryFile(model.category);
  const std::string& name = model.name;
  const std::string section = TargetSection(name, target);
  const std::string printerSection = PrinterSection(name, target);
  const std::string prefix = kPrefixes[mode];
  const auto key = [&](const char* suffix) { return prefix + suffix; };
  const std::string on = std::string(" on ") + kTargetNames[target];

  config_.SetCategory(model.category);
  DriverFileList files{};
  DRIVER_INFO_3A driver{};
  MONITOR_INFO_2A monitor{};
  PRINTER_INFO_2A printer{};
  DevModeBlock devMode;
  printer.pDevMode = devMode.get();
  config_.GetDriverFiles(name, target, files, mode);
  config_.GetDriverInfo(name, target, driver, mode);
  config_.GetMonitorInfo(name, target, monitor, mode);
  config_.GetPrinterInfo(name, target, printer, mode);
  const bool ddk = config_.IsDdkDriver(name, target, mode);

  // The four files the driver needs; the install stops on an empty one.
  const struct {
    const char* suffix;
    const char* value;
  } required[] = {{"DriverPath", files.driverFile},
                  {"DataFile", files.dataFile},
                  {"ConfigFile", files.configFile},
                  {"HelpFile", files.helpFile}};
  for (const auto& r : required) {
    if (r.value[0] == '\0') {
      Add("SC105", file, section, key(r.suffix), name,
          key(r.suffix) + " is empty: the install stops with \"Lost of driver files, can't "
                          "continue\"" + on);
    } else if (NoFile(r.value)) {
      Add("SC104", file, section, key(r.suffix), name,
          key(r.suffix) + (HasKey(file, section, key(r.suffix)) ? " is " : " is missing and reads ") +
              Quoted(r.value) + ": the driver cannot be added" + on);
    } else {
      CheckCopiedFile(file, section, key(r.suffix), name, target, r.value);
    }
  }

  // OEM plug-in: copied when neither name begins with "0"; listed among the
  // dependent files when its own name does not.
  const std::string oemDll = files.oemPluginDll;
  const std::string oemIni = files.oemPluginSettings;
  const bool oemCopied = !NoFile(files.oemPluginDll) && !NoFile(files.oemPluginSettings);
  const bool listsDependents =
      target >= kWin2000 && ParseAtol(file.ini.GetString(section, "GDI2KDDKDEV", 9)) != 0;
  if (oemCopied) {
    for (const auto& [suffix, value] : {std::pair{"DataOemuniDLL", oemDll},
                                        std::pair{"DataOemuniini", oemIni}}) {
      if (value.empty()) {
        Add("SC105", file, section, key(suffix), name,
            key(suffix) + " is empty: its copy fails with \"Copy driver files error\"" + on);
      } else {
        CheckCopiedFile(file, section, key(suffix), name, target, value);
      }
    }
  } else if (listsDependents && NoFile(files.oemPluginDll) != NoFile(files.oemPluginSettings)) {
    const char* given = NoFile(files.oemPluginDll) ? "DataOemuniini" : "DataOemuniDLL";
    const char* zero = NoFile(files.oemPluginDll) ? "DataOemuniDLL" : "DataOemuniini";
    Add("SC109", file, section, key(given), name,
        key(given) + "=" + (NoFile(files.oemPluginDll) ? oemIni : oemDll) +
            " is a dependent file of the driver, but with " + key(zero) +
            "=0 it is never copied: the driver cannot be added" + on);
  }

  if (listsDependents) {
    if (!ddk) {
      Add("SC108", file, section, key("2KDDKDEV"), name,
          "GDI2KDDKDEV lists UNIRES.DLL, STDNAMES.GPD and TTFSUB.GPD in the driver record, but " +
              key("2KDDKDEV") + " does not begin with 1, so they are never copied: the driver "
              "cannot be added" + on);
    }
    std::size_t bytes = std::strlen(files.dataFile) + 1 + kUnidrvBytes + 1;
    if (!NoFile(files.oemPluginDll)) bytes += oemDll.size() + 1;
    if (!NoFile(files.oemPluginSettings)) bytes += oemIni.size() + 1;
    if (bytes > kDependentField) {
      Add("SC214", file, section, key("DataFile"), name,
          "the dependent files take " + std::to_string(bytes) + " bytes; the driver record's "
          "list holds " + std::to_string(kDependentField));
    }
  }
  if (ddk) {
    if (target < kWin2000 && files.dataFileDll[0] != '\0' && !NoFile(files.dataFileDll)) {
      Add("SC110", file, section, key("2KDDKDEV"), name,
          key("2KDDKDEV") + " is set" + on + ": the data-file DLL is copied to the \\3 folder, "
          "which fails with three message boxes");
    }
    if (files.dataFileDll[0] == '\0') {
      Add("SC111", file, section, key("DataFileDLLName"), name,
          key("DataFileDLLName") + " is empty with the Unidrv flag: the install stops with "
                                   "\"Lost of driver files, can't continue\"" + on);
    } else if (!NoFile(files.dataFileDll)) {
      CheckCopiedFile(file, section, key("DataFileDLLName"), name, target, files.dataFileDll);
    }
    if (target >= kWin2000) {
      for (const char* support : kUnidrvFiles) {
        if (dist_.FindFile(std::string("D:\\") + kSystemFolders[target] + "\\" + support) == nullptr) {
          Add("SC106", file, section, key("2KDDKDEV"), name,
              std::string("the Unidrv support file ") + support + " is not in \\" +
                  kSystemFolders[target] + "\\: \"Copy driver files error\"" + on);
        }
      }
    }
  }
  if (target == kWin98) {
    if (dist_.FindFile("D:\\win98\\ICONLIB.DLL") == nullptr) {
      findings_.Add("SC106", "win98/ICONLIB.DLL", "", "", 0, "",
                    "ICONLIB.DLL, which every Windows 98/Me install copies, is not in \\win98\\");
    }
    if (Contains(name, "RXQ-K880") && dist_.FindFile("D:\\win98\\DMCOLOR.DLL") == nullptr) {
      findings_.Add("SC106", "win98/DMCOLOR.DLL", "", "", 0, name,
                    "DMCOLOR.DLL, which models named RXQ-K880 get on Windows 98/Me, is not in "
                    "\\win98\\");
    }
  }

  // The model's own language monitor.
  const std::string monitorName = monitor.pName;
  const std::string monitorDll = files.monitorDll;
  if (!monitorDll.empty()) {
    if (NoFile(files.monitorDll)) {
      Add("SC113", file, section, key("MonitorDLLName"), name,
          key("MonitorDLLName") + " reads " + Quoted(monitorDll) + ": \"Add monitor error\"" + on +
              "; give a DLL, or leave it and the monitor name empty");
    } else {
      if (monitorName.empty() || monitorName == "0") {
        Add("SC113", file, section, key("MonitorName"), name,
            key("MonitorDLLName") + "=" + monitorDll + " but " + key("MonitorName") + " is " +
                (monitorName.empty() ? "empty" : "missing") + ": \"Add monitor error\"" + on);
      }
      CheckCopiedFile(file, section, key("MonitorDLLName"), name, target, monitorDll);
    }
  } else if (!monitorName.empty() && monitorName != "0") {
    Add("SC113", file, section, key("MonitorDLLName"), name,
        "the driver names monitor " + Quoted(monitorName) + " but " + key("MonitorDLLName") +
            " is empty: nothing installs it" + on);
  }

  // The print processor, installed unless it is the system's own.
  const std::string processor = printer.pPrintProcessor;
  const std::string processorDll = files.printProcessorDll;
  if (processor != "WinPrint") {
    if (processor.empty() || processor == "0") {
      Add("SC115", file, section, key("PrintProcessor"), name,
          key("PrintProcessor") + " is " + (processor.empty() ? "empty" : "missing") +
              ": \"Add printer processor error\"" + on);
    } else if (processorDll.empty() || NoFile(files.printProcessorDll)) {
      Add("SC115", file, section, key("ProcessorDLLName"), name,
          "print processor " + Quoted(processor) + " has no DLL (" + key("ProcessorDLLName") +
              " reads " + Quoted(processorDll) + "): \"Add printer processor error\"" + on);
    } else {
      CheckCopiedFile(file, section, key("ProcessorDLLName"), name, target, processorDll);
    }
  }

  const std::string driverKey = prefix + "DRIVERNAME";
  if (!HasKey(file, printerSection, driverKey)) {
    Add("SC216", file, printerSection, driverKey, name,
        driverKey + " is missing: the driver and the printer's driver are named \"0\"" + on);
  }
  const std::string devModeSection = DevModeSection(name, target);
  const std::int32_t extra = file.ini.GetNumber(devModeSection, "DMDRIVEREXTRA", 19);
  if (extra != 0) {
    Add("SC217", file, devModeSection, "DMDRIVEREXTRA", name,
        "DMDRIVEREXTRA=" + std::to_string(extra) + " announces private data that the device "
        "mode does not carry");
  }
}

void Checker::CheckLayout(const ConfigFile& file) {
  const IniOutline& outline = file.outline;
  for (std::size_t i = 1; i < outline.sections.size(); ++i) {
    const IniOutline::Section& s = outline.sections[i];
    if (s.first) continue;
    findings_.Add("SC208", file.name, s.name, "", s.line, "",
                  "[" + s.name + "] is given again at line " + std::to_string(s.line) +
                      ": only the first one is read");
  }
  for (const IniOutline::Key& k : outline.keys) {
    if (k.first || k.name.empty() || k.name[0] == ';' || k.name[0] == '#') continue;
    if (!outline.sections[k.section].first) continue;  // the section's own finding says it
    const std::string section = outline.sections[k.section].name;
    findings_.Add("SC207", file.name, section, k.name, k.line, "",
                  k.name + " is given again in [" + section + "] at line " +
                      std::to_string(k.line) + ": the first one is read (line " +
                      std::to_string(Distribution::LineOf(file, section, k.name)) + ")");
  }
}

// The most characters the installer keeps of a key, and whether it reads
// the key as a number; limit 0 for keys it does not read.
struct KeyUse {
  std::size_t limit = 0;
  bool number = false;
};

KeyUse CategoryKeyUse(const std::string& section, const std::string& key) {
  const std::string s = LowerAscii(section);
  const std::string k = LowerAscii(key);
  auto endsWith = [&](const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return s.size() > n && s.compare(s.size() - n, n, suffix) == 0;
  };
  if (endsWith(".port")) return {199, true};
  if (endsWith(".printerinfo98") || endsWith(".printerinfont") || endsWith(".printerinfo2k") ||
      endsWith(".printerinfo2003")) {
    for (const char* n : {"attributes", "priority", "defaultpriority", "starttime", "untiltime",
                          "status", "cjobs", "averageppm"}) {
      if (k == n) return {49, true};
    }
    return {49, false};
  }
  if (endsWith(".devmode98") || endsWith(".devmodent") || endsWith(".devmode2k") ||
      endsWith(".devmode2003"))
    return {19, k != "formname"};
  if (endsWith(".98") || endsWith(".nt") || endsWith(".2k") || endsWith(".xp") ||
      endsWith(".2003")) {
    if (k.size() < 3 || (k.compare(0, 3, "std") != 0 && k.compare(0, 3, "gdi") != 0)) return {};
    const std::string rest = k.substr(3);
    if (rest == "monitorname" || rest == "printprocessor") return {49, false};
    if (rest == "2kddkdev") return {k[0] == 's' ? 4u : 9u, false};
    return {199, false};
  }
  return {};
}

KeyUse GeneralKeyUse(const std::string& section, const std::string& key) {
  const std::string s = LowerAscii(section);
  const std::string k = LowerAscii(key);
  if (s == "devicename") {
    if (k == "devicenumber") return {29, true};
    if (k == "defaultname") return {199, true};
    return {199, false};
  }
  if (s == "version" && k == "driverversion") return {11, true};
  if (s == "supported-usb-device" && k == "prncount") return {199, true};
  if (s.rfind("common-monitor.", 0) == 0) {
    if (k.size() > 7 && k.compare(k.size() - 7, 7, "version") == 0) return {9, true};
    if (k.find("uidllname") != std::string::npos || k.find("pname") != std::string::npos)
      return {49, false};
    return {199, false};
  }
  return {};
}

bool IsDecimal(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](char c) { return c >= '0' && c <= '9'; });
}

void Checker::CheckValues(const ConfigFile& file, bool general) {
  for (const IniOutline::Key& k : file.outline.keys) {
    if (!k.first || !k.hasValue) continue;
    const std::string& section = file.outline.sections[k.section].name;
    const KeyUse use = general ? GeneralKeyUse(section, k.name) : CategoryKeyUse(section, k.name);
    if (use.limit == 0) continue;
    const std::string value =
        ProfileValue(*file.ini.Find(section, k.name), std::numeric_limits<std::size_t>::max());
    if (value.size() > use.limit) {
      findings_.Add("SC209", file.name, section, k.name, k.line, "",
                    k.name + " has " + std::to_string(value.size()) + " characters; " +
                        std::to_string(use.limit) + " are kept: " +
                        Quoted(value.substr(0, use.limit)));
    }
    if (use.number && !value.empty() && !IsDecimal(value.substr(0, use.limit))) {
      findings_.Add("SC213", file.name, section, k.name, k.line, "",
                    k.name + "=" + value + " reads as " +
                        std::to_string(ParseAtol(value.substr(0, use.limit))));
    }
  }
}

void Checker::CheckOrphanSections(std::int32_t category) {
  const ConfigFile& file = dist_.CategoryFile(category);
  if (!file.present) return;
  std::set<std::string> models;
  for (const ListedModel& model : dist_.Models()) {
    if (model.category == category) models.insert(LowerAscii(model.name));
  }
  static const char* kSuffixes[] = {".port",          ".98",           ".nt",
                                    ".2k",            ".xp",           ".2003",
                                    ".printerinfo98", ".printerinfont", ".printerinfo2k",
                                    ".printerinfo2003", ".devmode98",  ".devmodent",
                                    ".devmode2k",     ".devmode2003"};
  for (std::size_t i = 1; i < file.outline.sections.size(); ++i) {
    const IniOutline::Section& s = file.outline.sections[i];
    if (!s.first) continue;
    const std::string lower = LowerAscii(s.name);
    bool owned = false;
    for (const char* suffix : kSuffixes) {
      const std::size_t n = std::strlen(suffix);
      if (lower.size() > n && lower.compare(lower.size() - n, n, suffix) == 0 &&
          models.count(lower.substr(0, lower.size() - n)) != 0)
        owned = true;
    }
    if (!owned) {
      findings_.Add("SC301", file.name, s.name, "", s.line, "",
                    "[" + s.name + "] belongs to no model listed in this category");
    }
  }
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name.find("..") != std::string::npos) return false;
  for (char c : name) {
    if (c == '\\' || c == '/' || c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

void RunStaticRules(Distribution& dist, const CheckOptions& options, FindingList& findings) {
  Checker(dist, options, findings).Run();
}

void FindingList::Add(const std::string& code, const std::string& file, const std::string& section,
                      const std::string& key, int line, const std::string& model,
                      const std::string& message) {
  if (ignored_->count(code) != 0) return;
  // One finding per rule and place: a key read for several targets and
  // driver modes is reported once.
  const std::string place = code + "\n" + file + "\n" + LowerAscii(section) + "\n" +
                            LowerAscii(key) + (section.empty() && key.empty() ? "\n" + model : "");
  if (!places_.insert(place).second) return;
  const Rule* rule = FindRule(code);
  Finding finding;
  finding.code = code;
  finding.severity = rule != nullptr ? rule->severity : Severity::kError;
  finding.hint = rule != nullptr ? rule->hint : "";
  finding.file = file;
  finding.section = section;
  finding.key = key;
  finding.line = line;
  finding.model = model;
  finding.message = message;
  findings_.push_back(std::move(finding));
}

}  // namespace setwell::check
