#include "system/RegistryKey.h"

#include <gtest/gtest.h>

#include "sim/SimMachine.h"

namespace setwell {
namespace {

constexpr const char* kKey = "SOFTWARE\\Setwell\\Test";

TEST(RegistryKeyTest, CallsWithoutAnOpenKeyFailAndDoNothing) {
  sim::SimMachine machine;
  const sim::SimRegistry before = machine.registry;
  RegistryKey key(machine);
  DWORD value = 7;
  EXPECT_FALSE(key.WriteDword("v", 1));
  EXPECT_EQ(key.LastError(), static_cast<LONG>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(key.ReadDword("v", value));
  EXPECT_EQ(value, 7u);
  std::string name;
  EXPECT_FALSE(key.EnumValueName(0, name));
  EXPECT_TRUE(machine.registry == before);
}

TEST(RegistryKeyTest, FailedOpenHoldsNoKeyAndKeepsTheError) {
  sim::SimMachine machine;
  machine.registry.CreateKey("SOFTWARE\\Other");
  RegistryKey key(machine);
  ASSERT_TRUE(key.Open("SOFTWARE\\Other"));
  EXPECT_FALSE(key.Open(kKey));
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.LastError(), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(key.WriteDword("v", 1));
  EXPECT_EQ(machine.registry.FindValue("SOFTWARE\\Other", "v"), nullptr);
}

TEST(RegistryKeyTest, CreateThenOpenWriteAndReadBack) {
  sim::SimMachine machine;
  RegistryKey key(machine);
  ASSERT_TRUE(key.Create(kKey));
  EXPECT_FALSE(key.IsOpen());  // created and closed at once
  ASSERT_TRUE(key.Open(kKey));
  EXPECT_TRUE(key.WriteDword("DriverVersion", 12));
  EXPECT_TRUE(key.WriteString("Driver", "nmon.dll"));
  const BYTE raw[3] = {1, 2, 3};
  EXPECT_TRUE(key.WriteBytes("DCB", REG_NONE, raw, sizeof raw));

  DWORD version = 0;
  EXPECT_TRUE(key.ReadDword("driverversion", version));
  EXPECT_EQ(version, 12u);
  // A value that is not 4 bytes long is not a DWORD.
  EXPECT_FALSE(key.ReadDword("DCB", version));

  char text[16] = {};
  DWORD size = sizeof text;
  DWORD type = 0;
  EXPECT_TRUE(key.ReadValue("Driver", text, size, &type));
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 9u);  // terminating zero included
  EXPECT_STREQ(text, "nmon.dll");

  BYTE small[2] = {};
  size = sizeof small;
  EXPECT_FALSE(key.ReadValue("DCB", small, size));
  EXPECT_EQ(key.LastError(), static_cast<LONG>(ERROR_MORE_DATA));
  EXPECT_EQ(size, 3u);

  std::string name;
  EXPECT_TRUE(key.EnumValueName(0, name));
  EXPECT_EQ(name, "DriverVersion");
  EXPECT_TRUE(key.EnumValueName(2, name));
  EXPECT_EQ(name, "DCB");
  EXPECT_FALSE(key.EnumValueName(3, name));
  EXPECT_EQ(key.LastError(), static_cast<LONG>(ERROR_NO_MORE_ITEMS));
}

TEST(RegistryKeyTest, EnumRefusesNamesLongerThanTheLimit) {
  sim::SimMachine machine;
  machine.registry.SetDword(kKey, std::string(201, 'p'), 1);
  machine.registry.SetDword(kKey, "short", 1);
  RegistryKey key(machine);
  ASSERT_TRUE(key.Open(kKey));
  std::string name;
  EXPECT_FALSE(key.EnumValueName(0, name, 200));
  EXPECT_TRUE(key.EnumValueName(1, name, 200));
  EXPECT_EQ(name, "short");
}

TEST(RegistryKeyTest, KeyIsClosedWhenTheOwnerGoes) {
  sim::SimMachine machine;
  machine.registry.CreateKey(kKey);
  RegKeyHandle raw = nullptr;
  {
    RegistryKey key(machine);
    ASSERT_TRUE(key.Open(kKey));
    RegistryKey moved = std::move(key);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_TRUE(moved.IsOpen());
    ASSERT_EQ(machine.RegOpenKeyExA(kKey, KEY_ALL_ACCESS, &raw), 0);
  }
  // Only the handle opened by hand is still open.
  EXPECT_EQ(machine.RegCloseKey(raw), 0);
}

}  // namespace
}  // namespace setwell
