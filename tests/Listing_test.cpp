// The listing of what of the family a machine holds, the detection of a
// printer, and machines made from a listing: that a listing shows what the
// installs left, that a machine made from it lists the same, and that an
// install rehearsed on such a machine does what it does on the machine the
// listing was taken of.
#include "inventory/Listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "config/Family.h"
#include "inventory/Commands.h"
#include "inventory/Detect.h"
#include "script/UnattendedInstall.h"
#include "sim/SimFamilyPorts.h"
#include "sim/SimMachine.h"
#include "system/PortMonitor.h"
#include "system/PrintProcessor.h"
#include "tests/SetupSimTestSupport.h"
#include "tools/setup_sim/MachineFromListing.h"
#include "tools/setup_sim/SimScriptedHost.h"

namespace setwell {
namespace {

using testing_support::RunSetupSim;
using testing_support::TempDir;

const std::string kDistribution = std::string(SETWELL_SOURCE_DIR) + "/examples/distribution";

std::string Walk(const std::string& model, const std::string& port, bool makeDefault = false) {
  return "accept\nnext\nmodel " + model + "\n" + (makeDefault ? "default-printer on\n" : "") +
         "next\ntypical\nnext\nnext\nport " + port + "\nfinish\nanswer restart no\n" +
         "answer rename yes\n";
}

// A simulated till with the sample distribution mounted, as setup-sim sets
// one up: the USB library in the system folder, one printer attached.
struct Till {
  explicit Till(sim::SimOs os) : machine(std::make_unique<sim::SimMachine>(os)) {
    machine->InstallUsbLibrary(machine->system.systemDirectory);
    machine->usb.Attach(0, 0);
    EXPECT_TRUE(machine->MountDistribution(kDistribution));
  }
  // A new till of the listing's system, made from it.
  static Till FromListing(const inventory::Listing& listing) {
    const std::optional<sim::SimOs> os = term::SystemOfListing(listing.system);
    EXPECT_TRUE(os.has_value()) << listing.system.name;
    Till till(os.value_or(sim::kWinXP));
    till.notes = term::BuildFromListing(listing, *till.machine);
    return till;
  }

  install::UnattendedResult Run(const std::string& script) {
    sim::DeclareFamilyMonitorPorts(*machine);
    std::vector<term::ScriptStep> steps;
    std::string error;
    EXPECT_TRUE(term::ParseScript(script, "till.txt", steps, error)) << error;
    term::SimScriptedHost host(*machine);
    std::ostringstream transcript;
    return install::RunUnattended(*machine, host, steps, "till.txt", transcript);
  }
  inventory::Listing List() {
    const inventory::ListedSystem system = inventory::ReadSystem(*machine);
    return inventory::TakeListing(*machine, ReadFamily(*machine, system.target));
  }

  std::unique_ptr<sim::SimMachine> machine;
  std::vector<std::string> notes;
};

struct KindCase {
  const char* name;
  sim::SimOs os;
  const char* model;
  const char* port;
  const char* monitor;  // the port's monitor of the family; "" for the system's ports
  bool serial;
  friend void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }
};

const KindCase kKinds[] = {
    {"ParallelOn98", sim::kWin98, "SW-R58", "LPT1:", "", false},
    {"SerialOn98", sim::kWin98, "SW-T80", "COM1:", "", true},
    {"UsbOn98", sim::kWin98, "SW-R80", "USB_SW-R80_1", "SW USB Port Monitor", false},
    {"ParallelOnNt4", sim::kWinNT4, "SW-R58", "LPT1:", "", false},
    {"TvcomOnNt4", sim::kWinNT4, "SW-T80", "TVCOM2:", "SW Serial Port Monitor", true},
    {"UsbOn2000", sim::kWin2000, "SW-R80", "USB_SW-R80_1", "SW USB Port Monitor", false},
    {"TvcomOn2000", sim::kWin2000, "SW-L80", "TVCOM3:", "SW Serial Port Monitor", true},
    {"ParallelOnXp", sim::kWinXP, "SW-R58", "LPT1:", "", false},
    {"UsbOnXp", sim::kWinXP, "SW-R80", "USB_SW-R80_1", "SW USB Port Monitor", false},
    {"TvcomOn2003", sim::kWin2003, "SW-T80", "TVCOM2:", "SW Serial Port Monitor", true},
    {"UsbOn2003", sim::kWin2003, "SW-R80", "USB_SW-R80_1", "SW USB Port Monitor", false},
};

class ListingKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(ListingKindTest, ShowsTheInstallAndComesBackFromAMachineMadeOfIt) {
  const KindCase& c = GetParam();
  Till till(c.os);
  const install::UnattendedResult result = till.Run(Walk(c.model, c.port, true));
  ASSERT_NE(result.exitCode, install::kExitNothingInstalled) << result.reason;
  ASSERT_NE(result.exitCode, install::kExitFailed) << result.reason;

  const inventory::Listing listing = till.List();
  EXPECT_TRUE(listing.unanswered.empty());
  ASSERT_EQ(listing.printers.size(), 1u);
  const inventory::ListedPrinter& printer = listing.printers.front();
  EXPECT_EQ(printer.port, c.port);
  EXPECT_TRUE(printer.isDefault);
  ASSERT_TRUE(printer.devMode.has_value());
  EXPECT_EQ(printer.devMode->deviceName, c.model);
  // Its driver with every file it names in place, and its port.
  bool driverListed = false;
  for (const inventory::ListedDriver& driver : listing.drivers) {
    if (driver.name != printer.driver) continue;
    driverListed = true;
    EXPECT_FALSE(driver.files.empty());
    for (const inventory::ListedFile& file : driver.files) EXPECT_TRUE(file.present) << file.path;
  }
  EXPECT_TRUE(driverListed) << printer.driver;
  bool portListed = false;
  for (const inventory::ListedPort& port : listing.ports) {
    if (port.name == c.port) {
      portListed = true;
      if (*c.monitor != '\0') EXPECT_EQ(port.monitor, c.monitor);
    }
  }
  EXPECT_TRUE(portListed);
  if (*c.monitor != '\0') {
    bool monitorListed = false;
    for (const inventory::ListedComponent& monitor : listing.monitors) {
      if (monitor.name != c.monitor) continue;
      monitorListed = true;
      EXPECT_TRUE(monitor.file.present) << monitor.file.path;
      ASSERT_FALSE(monitor.keys.empty());
      EXPECT_EQ(monitor.keys.front().path, MonitorKey(c.monitor));
    }
    EXPECT_TRUE(monitorListed);
  }
  EXPECT_EQ(listing.serial.size(), c.serial ? 1u : 0u);
  if (c.serial) EXPECT_FALSE(listing.serial.front().settings.empty());
  if (std::string(c.port).rfind("USB_", 0) == 0) EXPECT_FALSE(listing.records.empty());

  // Through JSON and back, and a machine made of it lists the same.
  const std::string json = inventory::FormatListingJson(listing);
  inventory::Listing read;
  std::string error;
  ASSERT_TRUE(inventory::ParseListingJson(json, read, error)) << error;
  EXPECT_EQ(read, listing);
  Till made = Till::FromListing(read);
  EXPECT_TRUE(made.notes.empty()) << made.notes.front();
  EXPECT_EQ(inventory::FormatListingJson(made.List()), json);
}

INSTANTIATE_TEST_SUITE_P(EveryPortKind, ListingKindTest, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

// A rehearsal on a machine made from a listing does what the same script
// does on the machine the listing was taken of: the same messages, the same
// exit code, and the same listing afterwards.
struct RehearsalCase {
  const char* name;
  sim::SimOs os;
  std::string first;   // what the till had installed
  std::string second;  // what is rehearsed on it
  // What makes the till's state its own, after the first install.
  void (*age)(sim::SimMachine&);
  const char* messageHas;  // a message the second run must show; "" for none
  const char* callHas;     // a call the second run must make; "" for none
  friend void PrintTo(const RehearsalCase& c, std::ostream* os) { *os << c.name; }
};

void OlderSerialMonitor(sim::SimMachine& machine) {
  machine.registry.SetDword(MonitorKey("SW Serial Port Monitor"), "DriverVersion", 1);
}
void OlderPrintProcessorOn98(sim::SimMachine& machine) {
  machine.registry.SetDword(PrintProcessorKey(kWin98, "SWPrint"), "DriverVersion", 1);
}

const RehearsalCase kRehearsals[] = {
    {"UpdateOverAnOlderMonitor", sim::kWinXP, Walk("SW-T80", "TVCOM2:"), Walk("SW-L80", "TVCOM3:"),
     OlderSerialMonitor, "", "SWSERMON.DLL, C:\\WINDOWS\\system32\\SWSERMON.DLL"},
    {"TakenPrinterName", sim::kWinXP, Walk("SW-R58", "LPT1:"), Walk("SW-R58", "LPT2:"), nullptr,
     "", "AddPrinterA"},
    {"TakenUsbPortRecord", sim::kWinXP, Walk("SW-R80", "USB_SW-R80_1"),
     Walk("SW-R80", "USB_SW-R80_1"), nullptr, "Maximum count of printers", ""},
    {"UpdateOverAnOlderProcessorOn98", sim::kWin98, Walk("SW-T80", "COM1:"),
     Walk("SW-T80", "COM2:"), OlderPrintProcessorOn98, "", "SWPRTPRC.DLL"},
};

class TillRehearsalTest : public ::testing::TestWithParam<RehearsalCase> {};

TEST_P(TillRehearsalTest, OnAMachineMadeFromAListingAsOnTheTillItself) {
  const RehearsalCase& c = GetParam();
  Till till(c.os);
  ASSERT_NE(till.Run(c.first).exitCode, install::kExitNothingInstalled);
  if (c.age != nullptr) c.age(*till.machine);
  Till made = Till::FromListing(till.List());

  const std::size_t tillFrom = till.machine->trace.size();
  const std::size_t madeFrom = made.machine->trace.size();
  const install::UnattendedResult onTill = till.Run(c.second);
  const install::UnattendedResult onMade = made.Run(c.second);
  // The same calls with the same arguments, in the same order.
  const auto calls = [](const sim::SimMachine& machine, std::size_t from) {
    std::vector<std::string> list;
    for (std::size_t i = from; i < machine.trace.size(); ++i) {
      list.push_back(machine.trace[i].call + "(" + machine.trace[i].arguments + ")");
    }
    return list;
  };
  const std::vector<std::string> onTillCalls = calls(*till.machine, tillFrom);
  const std::vector<std::string> onMadeCalls = calls(*made.machine, madeFrom);
  const auto differ = std::mismatch(onTillCalls.begin(), onTillCalls.end(), onMadeCalls.begin(),
                                    onMadeCalls.end());
  EXPECT_TRUE(differ.first == onTillCalls.end() && differ.second == onMadeCalls.end())
      << "call " << (differ.first - onTillCalls.begin()) << ": on the till "
      << (differ.first == onTillCalls.end() ? "none" : *differ.first) << ", on the made machine "
      << (differ.second == onMadeCalls.end() ? "none" : *differ.second);
  if (*c.callHas != '\0') {
    EXPECT_TRUE(std::any_of(onMadeCalls.begin(), onMadeCalls.end(), [&](const std::string& call) {
      return call.find(c.callHas) != std::string::npos;
    })) << c.callHas;
  }
  EXPECT_EQ(onMade.exitCode, onTill.exitCode) << onTill.reason << " / " << onMade.reason;
  EXPECT_EQ(onMade.messages, onTill.messages);
  EXPECT_EQ(onMade.summary, onTill.summary);
  EXPECT_EQ(inventory::FormatListingJson(made.List()), inventory::FormatListingJson(till.List()));
  if (*c.messageHas != '\0') {
    bool shown = false;
    for (const std::string& message : onTill.messages) {
      shown = shown || message.find(c.messageHas) != std::string::npos;
    }
    EXPECT_TRUE(shown) << c.messageHas;
  }
}

INSTANTIATE_TEST_SUITE_P(TillStates, TillRehearsalTest, ::testing::ValuesIn(kRehearsals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ListingRehearsalTest, TheTakenNameGetsItsNumberOnBoth) {
  Till till(sim::kWinXP);
  till.Run(Walk("SW-R58", "LPT1:"));
  Till made = Till::FromListing(till.List());
  made.Run(Walk("SW-R58", "LPT2:"));
  const inventory::Listing after = made.List();
  ASSERT_EQ(after.printers.size(), 2u);
  EXPECT_EQ(after.printers[1].name, after.printers[0].name + "(1)");
}

TEST(DetectTest, AnswersPresentAbsentTooOldAndCannotTell) {
  Till till(sim::kWinXP);
  ASSERT_EQ(till.Run(Walk("SW-T80", "TVCOM2:")).exitCode, install::kExitInstalled);
  const std::string name = till.machine->spooler.Printers().front().name;

  inventory::CommandOutput present = inventory::RunDetect(*till.machine, name, std::nullopt);
  EXPECT_EQ(present.exitCode, 0);
  EXPECT_EQ(present.out.rfind("detected: \"" + name + "\" on TVCOM2:", 0), 0u) << present.out;
  EXPECT_EQ(std::count(present.out.begin(), present.out.end(), '\n'), 1);
  EXPECT_TRUE(present.err.empty());

  // The lowest version its components record decides.
  const inventory::DetectResult found = inventory::DetectPrinter(*till.machine, name, std::nullopt);
  ASSERT_TRUE(found.version.has_value());
  EXPECT_EQ(inventory::RunDetect(*till.machine, name, *found.version).out, present.out);
  const inventory::CommandOutput tooOld =
      inventory::RunDetect(*till.machine, name, *found.version + 1);
  EXPECT_EQ(tooOld.exitCode, 0);
  EXPECT_TRUE(tooOld.out.empty() && tooOld.err.empty()) << tooOld.out << tooOld.err;

  const inventory::CommandOutput absent =
      inventory::RunDetect(*till.machine, "SW-T80(S) 2", std::nullopt);
  EXPECT_EQ(absent.exitCode, 0);
  EXPECT_TRUE(absent.out.empty() && absent.err.empty()) << absent.out << absent.err;

  // A printer whose driver went is not there for a detection rule.
  till.machine->spooler.RemoveDriver(till.machine->spooler.Printers().front().driverName);
  EXPECT_TRUE(inventory::RunDetect(*till.machine, name, std::nullopt).out.empty());

  till.machine->SetSpoolerRunning(false);
  const inventory::CommandOutput cannot = inventory::RunDetect(*till.machine, name, std::nullopt);
  EXPECT_EQ(cannot.exitCode, 2);
  EXPECT_TRUE(cannot.out.empty());
  EXPECT_NE(cannot.err.find("1722"), std::string::npos) << cannot.err;

  DWORD version = 0;
  std::string error;
  for (const char* bad : {"", "-1", "4294967296", "12a", " 5"}) {
    EXPECT_FALSE(inventory::ParseMinimumVersion(bad, version, error)) << bad;
  }
  EXPECT_TRUE(inventory::ParseMinimumVersion("4294967295", version, error));
}

// setup-sim refuses a listing it cannot use, and makes no machine folder.
TEST(MachineFromListingTest, RefusesWhatIsNoListingOfThisFamily) {
  TempDir scratch;
  Till till(sim::kWinXP);
  till.Run(Walk("SW-R58", "LPT1:"));
  const std::string good = inventory::FormatListingJson(till.List());
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
    return text;
  };
  struct Bad {
    const char* name;
    std::string text;
    const char* errorHas;
  } cases[] = {
      {"not-json", "this is no listing\n", "JSON"},
      {"cut-short", good.substr(0, good.size() / 2), "JSON"},
      {"another-schema", replaced("setwell-listing", "printer-export"), "not a listing"},
      {"another-version", replaced("\"version\": 1,", "\"version\": 2,"), "version 2"},
      {"another-family", replaced("SW-", "QX-"), "none of this distribution's"},
      {"unknown-system", replaced("\"minor\": 1,", "\"minor\": 7,"), "none setup-sim simulates"},
  };
  for (const Bad& c : cases) {
    const std::string file = scratch / (std::string(c.name) + ".json");
    std::ofstream(file, std::ios::binary) << c.text;
    const std::string machine = scratch / (std::string("machine-") + c.name);
    const testing_support::RunResult run = RunSetupSim(
        {"--dist", kDistribution, "--machine", machine, "--machine-from", file, "--list"}, scratch);
    EXPECT_EQ(run.status, 2) << c.name << ": " << run.out << run.err;
    EXPECT_NE(run.err.find(c.errorHas), std::string::npos) << c.name << ": " << run.err;
    EXPECT_TRUE(run.out.empty()) << c.name;
    EXPECT_FALSE(std::filesystem::exists(machine)) << c.name;
  }
  // The good one makes the machine, and lists what it was made from.
  const std::string file = scratch / "good.json";
  std::ofstream(file, std::ios::binary) << good;
  const testing_support::RunResult run =
      RunSetupSim({"--dist", kDistribution, "--machine", scratch / "machine-good", "--machine-from",
                   file, "--list", "--format", "json"},
                  scratch);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, good);
  // A folder that holds a machine is not made over.
  const testing_support::RunResult again = RunSetupSim(
      {"--dist", kDistribution, "--machine", scratch / "machine-good", "--machine-from", file},
      scratch);
  EXPECT_EQ(again.status, 2);
  EXPECT_NE(again.err.find("holds a machine already"), std::string::npos) << again.err;
}

}  // namespace
}  // namespace setwell
