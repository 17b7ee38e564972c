// The family a distribution names, read as the installs read it: what the
// listing shows and the removal may take, and nothing else.
#include "config/Family.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "config/Selections.h"
#include "sim/SimMachine.h"

namespace setwell {
namespace {

const std::string kDistribution = std::string(SETWELL_SOURCE_DIR) + "/examples/distribution";

TEST(FamilyTest, NamesWhatTheSampleInstallsOnEachSystem) {
  for (const auto& [os, target] : {std::pair{sim::kWin98, kWin98}, std::pair{sim::kWinNT4, kWinNT4},
                                   std::pair{sim::kWinXP, kWinXP}}) {
    sim::SimMachine machine(os);
    ASSERT_TRUE(machine.MountDistribution(kDistribution));
    const Family family = ReadFamily(machine, target);
    EXPECT_FALSE(family.models.empty());
    EXPECT_FALSE(family.drivers.empty());
    ASSERT_FALSE(family.processors.empty());
    // Windows 98/Me's drivers are recorded for "Windows 4.0"; NT's for the
    // running system.
    for (const FamilyDriver& driver : family.drivers) {
      EXPECT_EQ(driver.environment, target == kWin98 ? "Windows 4.0" : "") << driver.name;
      EXPECT_FALSE(driver.files.empty()) << driver.name;
      for (const std::string& file : driver.files) EXPECT_NE(file[0], '0') << driver.name;
    }
    // The port monitors of the general file: no serial one on 98/Me and no
    // USB one on NT 4.0.
    const FamilyMonitor* serial = family.Monitor("SW Serial Port Monitor");
    const FamilyMonitor* usb = family.Monitor("sw usb port monitor");
    EXPECT_EQ(serial == nullptr, target == kWin98);
    EXPECT_EQ(usb == nullptr, target == kWinNT4);
    if (usb != nullptr) EXPECT_TRUE(usb->usb && !usb->serial && usb->uiDll == "SWUSBUI.DLL");
    const FamilyMonitor* language = family.Monitor("SW Status Monitor");
    ASSERT_NE(language, nullptr);
    EXPECT_TRUE(language->language);
    EXPECT_TRUE(family.HasUsbPort("USB_SW-R80_1"));
    EXPECT_FALSE(family.HasUsbPort("USB001"));
    EXPECT_EQ(family.Driver("Generic / Text Only"), nullptr);
  }
}

// A family of thousands of models is looked up by name and walked by file:
// each lookup answers as a walk of the lists would, and each file name of
// the drivers is there once, with every driver that lists it.
TEST(FamilyTest, LooksUpAndListsFilesAsItsListsSay) {
  sim::SimMachine machine(sim::kWinXP);
  ASSERT_TRUE(machine.MountDistribution(kDistribution));
  const Family family = ReadFamily(machine, kWinXP);
  ASSERT_GE(family.drivers.size(), 2u);
  auto upper = [](std::string s) {
    for (char& c : s) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return s;
  };
  for (const FamilyDriver& driver : family.drivers) {
    EXPECT_EQ(family.Driver(upper(driver.name)), &driver);
  }
  for (const FamilyMonitor& monitor : family.monitors) {
    EXPECT_EQ(family.Monitor(upper(monitor.name)), &monitor);
  }
  ASSERT_FALSE(family.usbPorts.empty());
  const std::string port = family.usbPorts.front();
  EXPECT_TRUE(family.ListsUsbPort(port));
  // The removal takes the records the general file names, spelt as it
  // spells them; a look by a person's spelling finds it either way.
  EXPECT_FALSE(family.ListsUsbPort(upper(port) == port ? port + "x" : upper(port)));
  EXPECT_TRUE(family.HasUsbPort(upper(port)));

  std::set<std::string> names;
  std::size_t listed = 0;
  for (const FamilyDriverFile& file : family.driverFiles) {
    ASSERT_FALSE(file.owners.empty());
    const FamilyDriverFile::Owner first = file.owners.front();
    const std::string name = upper(family.drivers[first.driver].files[first.place]);
    EXPECT_TRUE(names.insert(name).second) << name << " is listed twice";
    for (std::size_t i = 0; i < file.owners.size(); ++i) {
      const FamilyDriverFile::Owner o = file.owners[i];
      EXPECT_EQ(upper(family.drivers[o.driver].files[o.place]), name);
      if (i > 0) EXPECT_LT(file.owners[i - 1].driver, o.driver) << name;
    }
    listed += file.owners.size();
  }
  std::size_t all = 0;
  for (const FamilyDriver& driver : family.drivers) all += driver.files.size();
  EXPECT_EQ(listed, all);
  // The sample's drivers share files: fewer names than listings.
  EXPECT_LT(family.driverFiles.size(), all);
}

}  // namespace
}  // namespace setwell
