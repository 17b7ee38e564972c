// The family a distribution names, read as the installs read it: what the
// listing shows and the removal may take, and nothing else.
#include "config/Family.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace setwell
