// The configuration's records built against the SDK's own record types, read
// through the real host from a distribution beside the test program.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/DevModeLayout.h"
#include "config/InstallConfig.h"
#include "system/win32/Win32Platform.h"

namespace setwell {
namespace {

static_assert(offsetof(DEVMODEA, dmPanningWidth) == kDevModeSize,
              "the SDK's panning fields start right after the 148-byte form");

class Win32RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char module[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    ASSERT_GT(length, 0u);
    folder_ = std::string(module, length);
    folder_.resize(folder_.rfind('\\') + 1);
    folder_ += "DRVCONFIG";
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    path_ = folder_ + "\\Setup_Ticket.INI";
  }
  void TearDown() override {
    ::DeleteFileA(path_.c_str());
    ::RemoveDirectoryA(folder_.c_str());
  }
  void Write(const std::string& text) {
    HANDLE file = ::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
  }

  Win32Platform platform_;
  std::string folder_;
  std::string path_;
};

TEST_F(Win32RecordsTest, DriverAndPrinterRecordsFromTheHostFiles) {
  Write(
      "[TK-5.XP]\r\nGDIDriverPath=tk5.dll\r\nGDIDataFile=tk5.gpd\r\nGDI2KDDKDEV=1\r\n"
      "GDIDataOemuniDLL=0\r\nGDIDataOemuniini=0\r\nGDIPrintProcessor=TkProc\r\n"
      "[TK-5.PRINTERINFO2K]\r\nGDIDRIVERNAME=TK-5 Raster\r\nATTRIBUTES=576\r\n"
      "SECURITYDESCRIPTOR=D:(A;;GA;;;WD)\r\n"
      "[TK-5.DEVMODE2K]\r\nPAPERLENGTH=70000\r\nFORMNAME=Ticket 80\r\nDITHERTYPE=4\r\n");
  InstallConfig config(platform_);
  config.SetCategory(kTicket);

  DRIVER_INFO_3A driver{};
  config.GetDriverInfo("TK-5", kWinXP, driver, kRasterDriver);
  EXPECT_EQ(driver.cVersion, 3u);
  EXPECT_STREQ(driver.pName, "TK-5 Raster");
  EXPECT_STREQ(driver.pDriverPath, "tk5.dll");
  const char expected[] = "tk5.gpd\0TTFSUB.GPD\0UNIRES.DLL\0STDNAMES.GPD\0";
  EXPECT_EQ(std::memcmp(driver.pDependentFiles, expected, sizeof expected), 0);

  DevModeBlock block;
  PRINTER_INFO_2A printer{};
  printer.pDevMode = block.get();
  config.GetPrinterInfo("TK-5", kWinXP, printer, kRasterDriver);
  EXPECT_STREQ(printer.pPrintProcessor, "TkProc");
  EXPECT_EQ(printer.Attributes, 576u);
  // The host converts the descriptor string into a real descriptor.
  ASSERT_NE(printer.pSecurityDescriptor, nullptr);
  EXPECT_TRUE(::IsValidSecurityDescriptor(printer.pSecurityDescriptor));
  EXPECT_EQ(block.get()->dmSize, 148);
  EXPECT_EQ(block.get()->dmSpecVersion, 0x0400);  // the 148-byte form, not the SDK's own
  EXPECT_EQ(block.get()->dmPaperLength, 4464);
  EXPECT_STREQ(reinterpret_cast<const char*>(block.get()->dmFormName), "Ticket 80");
  EXPECT_EQ(block.get()->dmDitherType, 4u);
}

TEST_F(Win32RecordsTest, InvalidDescriptorStringGivesNoDescriptor) {
  Write("[TK-5.PRINTERINFO2K]\r\nSECURITYDESCRIPTOR=print for all\r\n");
  InstallConfig config(platform_);
  config.SetCategory(kTicket);
  DevModeBlock block;
  PRINTER_INFO_2A printer{};
  printer.pDevMode = block.get();
  config.GetPrinterInfo("TK-5", kWin2000, printer, kStandardDriver);
  EXPECT_EQ(printer.pSecurityDescriptor, nullptr);
}

}  // namespace
}  // namespace setwell
