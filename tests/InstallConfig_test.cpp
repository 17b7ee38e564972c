#include "config/InstallConfig.h"

#include <gtest/gtest.h>

#include "sim/SimMachine.h"

namespace setwell {
namespace {

class InstallConfigTest : public ::testing::Test {
 protected:
  void SetUp() override { machine.moduleFileName = "D:\\Drivers\\Setup.exe"; }
  void WriteGeneral(const std::string& text) {
    machine.files.WriteFile("D:\\Drivers\\DRVCONFIG\\setup.ini", text);
  }
  sim::SimMachine machine;
};

TEST_F(InstallConfigTest, PathsSitBesideTheProgram) {
  InstallConfig config(machine);
  EXPECT_EQ(config.GeneralPath(), "D:\\Drivers\\DRVCONFIG\\setup.ini");
  EXPECT_EQ(config.CategoryPath(kReceipt), "D:\\Drivers\\DRVCONFIG\\setup_receipt.ini");
  EXPECT_EQ(config.CategoryPath(kTicket), "D:\\Drivers\\DRVCONFIG\\setup_ticket.ini");
  EXPECT_EQ(config.CategoryPath(kLabel), "D:\\Drivers\\DRVCONFIG\\setup_lable.ini");
  EXPECT_EQ(config.CategoryPath(kEmbedded), "D:\\Drivers\\DRVCONFIG\\setup_embedded.ini");
  EXPECT_EQ(config.CategoryPath(4), "");
  EXPECT_EQ(config.CategoryPath(-1), "");
}

TEST_F(InstallConfigTest, ProgramWithoutFolderGivesRelativePaths) {
  machine.moduleFileName = "Setup.exe";
  InstallConfig config(machine);
  EXPECT_EQ(config.GeneralPath(), "DRVCONFIG\\setup.ini");
  EXPECT_EQ(config.CategoryPath(kReceipt), "DRVCONFIG\\setup_receipt.ini");
}

TEST_F(InstallConfigTest, LongProgramFolderIsNotCut) {
  std::string folder = "D:\\";
  for (int i = 0; i < 30; ++i) folder += "distribution\\";  // about 400 characters
  machine.moduleFileName = folder + "Setup.exe";
  machine.files.WriteFile(folder + "DRVCONFIG\\setup.ini", "[DEVICENAME]\nDEVICENUMBER=3\n");
  InstallConfig config(machine);
  EXPECT_EQ(config.GeneralPath(), folder + "DRVCONFIG\\setup.ini");
  EXPECT_EQ(config.GetModelCount(), 3);
}

TEST_F(InstallConfigTest, FilesAreFoundWhateverTheirLetterCase) {
  machine.files.WriteFile("D:\\Drivers\\drvconfig\\SETUP.INI", "[devicename]\ndevicenumber=2\n");
  InstallConfig config(machine);
  EXPECT_EQ(config.GetModelCount(), 2);
}

TEST_F(InstallConfigTest, ModelEntriesLoseTheirCategorySuffix) {
  WriteGeneral(
      "[DEVICENAME]\n"
      "DEVICENUMBER=6\n"
      "DEFAULTNAME=3\n"
      "DEVICENAME1=KP-200-ReceiptPrinter\n"
      "DEVICENAME2=TX 8 Plus-TicketPrinter\n"
      "DEVICENAME3=LB-40-LabelPrinter\n"
      "DEVICENAME4=EM-7-EmbeddedPrinter\n"
      "DEVICENAME5=Odd-LabelPrinter-ReceiptPrinter\n"
      "DEVICENAME6=NoSuffix\n");
  InstallConfig config(machine);
  EXPECT_EQ(config.GetModelCount(), 6);

  struct Expect {
    int number;
    int category;
    const char* text;
  };
  const Expect expected[] = {
      {1, kReceipt, "KP-200"},     {2, kTicket, "TX 8 Plus"},
      {3, kLabel, "LB-40"},        {4, kEmbedded, "EM-7"},
      // The receipt suffix is searched first, wherever it stands.
      {5, kReceipt, "Odd-LabelPrinter"},
      {6, kNoCategory, "NoSuffix"}, {7, kNoCategory, "0"},
  };
  for (const Expect& e : expected) {
    std::string text;
    EXPECT_EQ(config.GetModelEntry(e.number, text), e.category) << "entry " << e.number;
    EXPECT_EQ(text, e.text) << "entry " << e.number;
  }

  std::string model;
  EXPECT_EQ(config.GetDefaultModel(model), kLabel);
  EXPECT_EQ(model, "LB-40");
}

TEST_F(InstallConfigTest, MissingDefaultAndMissingFileGiveNothing) {
  WriteGeneral("[DEVICENAME]\nDEVICENUMBER=1\nDEVICENAME1=KP-200-ReceiptPrinter\n");
  InstallConfig config(machine);
  std::string model;
  EXPECT_EQ(config.GetDefaultModel(model), kNoCategory);
  EXPECT_EQ(model, "0");
  EXPECT_EQ(config.GetDriverVersion(), 0);

  machine.moduleFileName = "E:\\Nowhere\\Setup.exe";
  InstallConfig missing(machine);
  EXPECT_EQ(missing.GetModelCount(), 0);
  EXPECT_EQ(missing.GetDefaultModel(model), kNoCategory);
}

TEST_F(InstallConfigTest, DriverVersionAndCountAreCutToTheirLimits) {
  WriteGeneral(
      "[Version]\nDriverVersion=00000000123456\n"
      "[DEVICENAME]\nDEVICENUMBER=" + std::string(28, '0') + "42\n");
  InstallConfig config(machine);
  EXPECT_EQ(config.GetDriverVersion(), 123);  // 11 characters kept, then atol
  EXPECT_EQ(config.GetModelCount(), 4);              // 29 characters: 28 zeros and "4"
}

TEST_F(InstallConfigTest, UnreadableAndHostileFilesGiveTheDefaults) {
  // A file the program may not read reads as missing.
  WriteGeneral("[DEVICENAME]\nDEVICENUMBER=4\n");
  machine.faults.FailAlways("ReadWholeFile", ERROR_ACCESS_DENIED);
  InstallConfig denied(machine);
  EXPECT_EQ(denied.GetModelCount(), 0);
  machine.faults = sim::SimFaults{};

  std::string garbage;
  for (int i = 0; i < 70000; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
  WriteGeneral(garbage + "\n[DEVICENAME]\nDEVICENAME1=" + std::string(1 << 20, 'y') + "\n");
  InstallConfig hostile(machine);
  std::string entry;
  EXPECT_EQ(hostile.GetModelEntry(1, entry), kNoCategory);
  EXPECT_EQ(entry, std::string(199, 'y'));
  EXPECT_EQ(hostile.GetModelCount(), 0);
}

// Each operation looks at the file again; the entries read after a count
// come from the file as the count saw it.
TEST_F(InstallConfigTest, AnOperationSeesTheFileAsItIsNowAndEntriesFollowTheirCount) {
  WriteGeneral("[DEVICENAME]\nDEVICENUMBER=2\nDEVICENAME1=A-ReceiptPrinter\nDEVICENAME2=B-TicketPrinter\n");
  InstallConfig config(machine);
  std::string model;
  EXPECT_EQ(config.GetModelCount(), 2);
  WriteGeneral("[DEVICENAME]\nDEVICENUMBER=1\nDEVICENAME1=C-LabelPrinter\n");
  EXPECT_EQ(config.GetModelEntry(1, model), kReceipt);
  EXPECT_EQ(model, "A");
  EXPECT_EQ(config.GetModelEntry(2, model), kTicket);
  EXPECT_EQ(config.GetModelCount(), 1);
  EXPECT_EQ(config.GetModelEntry(1, model), kLabel);
  EXPECT_EQ(model, "C");
  EXPECT_EQ(config.GetModelEntry(2, model), kNoCategory);
}

}  // namespace
}  // namespace setwell
