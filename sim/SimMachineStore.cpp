// Saving and loading a whole simulated machine (SimMachine::Save / Load) and
// comparing machines.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "sim/HostFiles.h"
#include "sim/SimMachine.h"
#include "sim/SimRecordFile.h"
#include "sim/SimText.h"

namespace setwell::sim {
namespace {

namespace fs = std::filesystem;

bool WriteText(const fs::path& path, const std::string& text, std::string* error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (out) return true;
  if (error != nullptr) *error = "cannot write " + path.string();
  return false;
}

bool ReadRecord(const fs::path& path, SimRecordFile& record, std::string* error) {
  std::string text;
  std::string why;
  if (!ReadHostFile(path.string(), text, &why)) {
    if (error != nullptr) *error = "cannot read " + path.string() + ": " + why;
    return false;
  }
  if (record.Parse(text, &why)) return true;
  if (error != nullptr) *error = path.filename().string() + ": " + why;
  return false;
}

std::optional<DWORD> Number32(const std::string& text) {
  std::optional<std::uint64_t> value = ParseNumber(text);
  if (!value || *value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<DWORD>(*value);
}

std::optional<DWORD> Number(const SimRecordFile::Section& section, const std::string& key) {
  return Number32(section.GetOr(key, ""));
}

void AddOptional(SimRecordFile::Section& section, const char* key,
                 const std::optional<std::string>& value) {
  if (value) section.Add(key, *value);
}

}  // namespace

bool SimMachine::Save(const std::string& folder, std::string* error) const {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    if (error != nullptr) *error = "cannot make " + folder + ": " + ec.message();
    return false;
  }
  const fs::path root(folder);

  SimRecordFile machine("A simulated Windows machine: the running system and program.");
  SimRecordFile::Section& os = machine.Add("system", system.name);
  os.Add("platform-id", std::to_string(system.platformId));
  os.Add("version", std::to_string(system.major) + "." + std::to_string(system.minor));
  os.Add("build", std::to_string(system.build));
  os.Add("service-pack", system.servicePack);
  os.Add("windows-directory", system.windowsDirectory);
  os.Add("system-directory", system.systemDirectory);
  SimRecordFile::Section& program = machine.Add("program");
  program.Add("current-directory", currentDirectory);
  program.Add("module-file-name", moduleFileName);
  SimRecordFile::Section& restart = machine.Add("restart");
  restart.Add("refusal", std::to_string(restartRefusal));
  restart.Add("pending", restartPending ? "yes" : "no");
  for (const RestartRequest& request : restartRequests) {
    restart.Add("request", HexNumber(request.flags) + " " + std::to_string(request.refusedWith));
  }

  SimRecordFile spoolerRecord("The print spooler: its service, drivers, printers, and the ports\n"
                              "monitors create when added. Monitors and print processors are\n"
                              "in registry.reg.");
  services.Save(spoolerRecord);
  spooler.Save(spoolerRecord);

  SimRecordFile usbRecord("The USB interface library and the printers on the USB bus.");
  usb.Save(usbRecord);

  SimRecordFile records("What the program did: message boxes, profile writes, broadcasts,\n"
                        "pauses, help files opened, and the faults still to fire.");
  ui.Save(records);
  for (const ProfileWrite& write : profile.writes) {
    SimRecordFile::Section& section = records.Add("profile-write");
    AddOptional(section, "section", write.section);
    AddOptional(section, "key", write.key);
    AddOptional(section, "value", write.value);
  }
  for (const Broadcast& broadcast : profile.broadcasts) {
    SimRecordFile::Section& section = records.Add("broadcast");
    AddOptional(section, "text", broadcast.text);
    section.Add("waits", broadcast.waits ? "yes" : "no");
    section.Add("timeout-ms", std::to_string(broadcast.timeoutMs));
  }
  SimRecordFile::Section& clockSection = records.Add("clock");
  clockSection.Add("now-ms", std::to_string(clock.nowMs));
  for (DWORD ms : clock.sleeps) clockSection.Add("sleep", std::to_string(ms));
  if (!shellOpened.empty()) {
    SimRecordFile::Section& shell = records.Add("shell");
    for (const std::string& file : shellOpened) shell.Add("open", file);
  }
  faults.Save(records);

  return WriteText(root / "machine.txt", machine.Format(), error) &&
         WriteText(root / "registry.reg", registry.ToRegedit4(), error) &&
         WriteText(root / "spooler.txt", spoolerRecord.Format(), error) &&
         WriteText(root / "usb.txt", usbRecord.Format(), error) &&
         WriteText(root / "records.txt", records.Format(), error) && files.Save(folder, error);
}

bool SimMachine::Load(const std::string& folder, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  const fs::path root(folder);
  SimRecordFile machine;
  SimRecordFile spoolerRecord;
  SimRecordFile usbRecord;
  SimRecordFile records;
  if (!ReadRecord(root / "machine.txt", machine, error) ||
      !ReadRecord(root / "spooler.txt", spoolerRecord, error) ||
      !ReadRecord(root / "usb.txt", usbRecord, error) ||
      !ReadRecord(root / "records.txt", records, error)) {
    return false;
  }
  std::string regText;
  std::string unreadable;
  if (!ReadHostFile((root / "registry.reg").string(), regText, &unreadable)) {
    return fail("cannot read " + (root / "registry.reg").string() + ": " + unreadable);
  }
  // Every saved machine.txt has these; without them the file is not one.
  for (const char* kind : {"system", "program", "restart"}) {
    bool found = false;
    for (const SimRecordFile::Section& section : machine.Sections()) found |= section.kind == kind;
    if (!found) return fail(std::string("machine.txt: no [") + kind + "] section");
  }

  // The program of the old state ends.
  libraries_.Reset();
  spooler.SetRunning(false);
  openKeys_.clear();
  openFiles_.clear();
  trace.clear();
  lastError_ = ERROR_SUCCESS;

  for (const SimRecordFile::Section& section : machine.Sections()) {
    if (section.kind == "system") {
      const std::optional<SimOs> os = SimSystem::Named(section.name);
      system = SimSystem::For(os ? *os : kUnknownFamily);
      system.name = section.name;
      const std::optional<DWORD> platform = Number(section, "platform-id");
      const std::optional<DWORD> build = Number(section, "build");
      const std::vector<std::string> version = Split(section.GetOr("version", ""), '.');
      std::optional<DWORD> major = version.size() == 2 ? Number32(version[0]) : std::nullopt;
      std::optional<DWORD> minor = version.size() == 2 ? Number32(version[1]) : std::nullopt;
      if (!platform || !build || !major || !minor) {
        return fail("machine.txt: " + section.Where() + "bad [system]");
      }
      system.platformId = *platform;
      system.major = *major;
      system.minor = *minor;
      system.build = *build;
      system.servicePack = section.GetOr("service-pack", "");
      system.windowsDirectory = section.GetOr("windows-directory", system.windowsDirectory);
      system.systemDirectory = section.GetOr("system-directory", system.systemDirectory);
    } else if (section.kind == "program") {
      currentDirectory = section.GetOr("current-directory", currentDirectory);
      moduleFileName = section.GetOr("module-file-name", moduleFileName);
    } else if (section.kind == "restart") {
      const std::optional<DWORD> refusal = Number(section, "refusal");
      if (!refusal) return fail("machine.txt: " + section.Where() + "bad restart refusal");
      restartRefusal = *refusal;
      restartPending = section.GetOr("pending", "no") == "yes";
      restartRequests.clear();
      for (const std::string& line : section.GetAll("request")) {
        const std::vector<std::string> parts = Split(line, ' ');
        std::optional<DWORD> flags = parts.size() == 2 ? Number32(parts[0]) : std::nullopt;
        std::optional<DWORD> refused = parts.size() == 2 ? Number32(parts[1]) : std::nullopt;
        if (!flags || !refused) {
          return fail("machine.txt: " + section.Where() + "bad restart request " + line);
        }
        restartRequests.push_back(RestartRequest{*flags, *refused});
      }
    }
  }

  std::string why;
  if (!registry.FromRegedit4(regText, &why, true)) return fail("registry.reg: " + why);
  if (!files.Load(folder, error)) return false;
  if (!services.Load(spoolerRecord, &why) || !spooler.Load(spoolerRecord, &why)) {
    return fail("spooler.txt: " + why);
  }
  services.present = system.IsNtLike();
  if (!usb.Load(usbRecord, &why)) return fail("usb.txt: " + why);
  if (!ui.Load(records, &why) || !faults.Load(records, &why)) return fail("records.txt: " + why);
  profile.writes.clear();
  profile.broadcasts.clear();
  clock = SimClock{};
  shellOpened.clear();
  for (const SimRecordFile::Section& section : records.Sections()) {
    if (section.kind == "profile-write") {
      profile.writes.push_back(
          ProfileWrite{section.Get("section"), section.Get("key"), section.Get("value")});
    } else if (section.kind == "broadcast") {
      const std::optional<DWORD> timeout = Number(section, "timeout-ms");
      if (!timeout) return fail("records.txt: " + section.Where() + "bad broadcast");
      profile.broadcasts.push_back(
          Broadcast{section.Get("text"), section.GetOr("waits", "no") == "yes", *timeout});
    } else if (section.kind == "clock") {
      std::optional<std::uint64_t> now = ParseNumber(section.GetOr("now-ms", "0"));
      if (!now) return fail("records.txt: " + section.Where() + "bad clock");
      clock.nowMs = *now;
      for (const std::string& sleep : section.GetAll("sleep")) {
        std::optional<DWORD> ms = Number32(sleep);
        if (!ms) return fail("records.txt: " + section.Where() + "bad sleep " + sleep);
        clock.sleeps.push_back(*ms);
      }
    } else if (section.kind == "shell") {
      shellOpened = section.GetAll("open");
    }
  }
  SyncSpooler();
  return true;
}

std::vector<std::string> SimMachine::DifferingParts(const SimMachine& other) const {
  std::vector<std::string> parts;
  auto check = [&](bool same, const char* part) {
    if (!same) parts.emplace_back(part);
  };
  check(system == other.system, "system");
  check(currentDirectory == other.currentDirectory && moduleFileName == other.moduleFileName,
        "program");
  check(files == other.files, "files");
  check(registry == other.registry, "registry");
  check(profile == other.profile, "profile records");
  check(spooler == other.spooler, "spooler");
  check(services == other.services, "services");
  check(usb == other.usb, "usb");
  check(ui == other.ui, "message boxes");
  check(faults == other.faults, "faults");
  check(clock == other.clock, "clock");
  check(restartRefusal == other.restartRefusal && restartRequests == other.restartRequests &&
            restartPending == other.restartPending,
        "restart");
  check(shellOpened == other.shellOpened, "shell");
  return parts;
}

void SimMachine::CopyStateFrom(const SimMachine& other) {
  if (&other == this) return;
  system = other.system;
  currentDirectory = other.currentDirectory;
  moduleFileName = other.moduleFileName;
  files = other.files;
  registry = other.registry;
  profile = other.profile;
  profile.Rebind(system, files, registry);
  spooler = other.spooler;
  spooler.Rebind(system, files, registry, profile);
  services = other.services;
  usb = other.usb;
  ui = other.ui;
  faults = other.faults;
  clock = other.clock;
  restartRefusal = other.restartRefusal;
  restartRequests = other.restartRequests;
  restartPending = other.restartPending;
  shellOpened = other.shellOpened;
  trace = other.trace;
  traceCalls = other.traceCalls;
  serviceLog = other.serviceLog;
  lastError_ = other.lastError_;
  libraries_ = other.libraries_;
  libraries_.Rebind(files);
  nextHandle_ = other.nextHandle_;
  openKeys_ = other.openKeys_;
  openFiles_ = other.openFiles_;
  descriptors_.clear();
}

bool SimMachine::operator==(const SimMachine& other) const {
  return DifferingParts(other).empty();
}

}  // namespace setwell::sim
