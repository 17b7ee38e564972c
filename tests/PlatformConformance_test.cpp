// The conformance table against the simulated machine, on every system:
// the Windows 98/Me column where those systems answer differently.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/SimMachine.h"
#include "tests/SimOsPrinter.h"
#include "tests/conformance/PlatformConformance.h"

namespace setwell {
namespace {

class SimHost : public conformance::Host {
 public:
  explicit SimHost(sim::SimOs os) : machine(os) {}

  Platform& platform() override { return machine; }
  bool IsWine() const override { return false; }
  bool Is9x() const override { return machine.system.Is9x(); }
  std::optional<bool> ExpectedWow64() const override {
    if (!machine.system.HasIsWow64Process()) return std::nullopt;
    return machine.system.os == sim::kWin2003x64;
  }
  std::string Scratch() override {
    machine.files.MakeFolder("C:\\Setwell\\Scratch");
    return "C:\\Setwell\\Scratch\\";
  }
  void MakeFile(const std::string& path, const std::string& data) override {
    machine.files.WriteFile(path, data);
  }
  void HoldOpen(const std::string& path) override {
    if (sim::SimFile* file = machine.files.Find(path)) {
      file->inUse = true;
      held_.push_back(path);
    }
  }
  void ReleaseFiles() override {
    for (const std::string& path : held_) {
      if (sim::SimFile* file = machine.files.Find(path)) file->inUse = false;
    }
    held_.clear();
  }
  bool ReadOnlyIsEnforced() override { return true; }
  void DeleteKeyTree(const std::string& subKey) override { machine.registry.DeleteKey(subKey); }
  void DeletePrinter(const std::string& name) override { machine.spooler.RemovePrinter(name); }
  void DeleteDriver(const std::string& name) override { machine.spooler.RemoveDriver(name); }
  std::optional<std::string> ReadProfile(const std::string& section,
                                         const std::string& key) override {
    return machine.profile.Get(section, key);
  }

  sim::SimMachine machine;

 private:
  std::vector<std::string> held_;
};

class SimConformanceTest : public ::testing::TestWithParam<sim::SimOs> {
 protected:
  SimHost host{GetParam()};
};

TEST_P(SimConformanceTest, Registry) { conformance::CheckRegistry(host); }
TEST_P(SimConformanceTest, Files) { conformance::CheckFiles(host); }
TEST_P(SimConformanceTest, DirectoriesAndVersion) {
  conformance::CheckDirectoriesAndVersion(host);
}
TEST_P(SimConformanceTest, SpoolerDirectories) { conformance::CheckSpoolerDirectories(host); }
TEST_P(SimConformanceTest, MonitorsProcessorsAndPorts) {
  conformance::CheckMonitorsProcessorsAndPorts(host);
}
TEST_P(SimConformanceTest, ServiceControl) { conformance::CheckServiceControl(host); }
TEST_P(SimConformanceTest, Profile) { conformance::CheckProfile(host); }

TEST_P(SimConformanceTest, PrinterCycle) {
  conformance::CheckPrinterCycle(host);
  EXPECT_TRUE(host.machine.ui.boxes.empty());
}

TEST_P(SimConformanceTest, Libraries) { conformance::CheckLibraries(host); }

INSTANTIATE_TEST_SUITE_P(EverySystem, SimConformanceTest,
                         ::testing::Values(sim::kWin98, sim::kWinMe, sim::kWinNT4, sim::kWin2000,
                                           sim::kWinXP, sim::kWin2003, sim::kWinNT6,
                                           sim::kWin2003x64),
                         [](const ::testing::TestParamInfo<sim::SimOs>& info) {
                           std::string name = sim::SimSystem::For(info.param).name;
                           std::string out;
                           for (char c : name) {
                             if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                 (c >= '0' && c <= '9')) {
                               out.push_back(c);
                             }
                           }
                           return out;
                         });

}  // namespace
}  // namespace setwell
