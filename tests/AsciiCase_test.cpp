#include "system/AsciiCase.h"

#include <gtest/gtest.h>

#include <string>

namespace setwell {
namespace {

std::string LowerByteByByte(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = ToLowerAscii(c);
  return out;
}

// Every byte value at every place of texts long and short, among bytes on
// either side of each letter range ('@' 'A' 'Z' '[' '`' 'a' 'z' '{') and
// above 0x7F (a lead byte of code page 936 keeps its trail byte as it is).
TEST(AsciiCaseTest, LowerCasesOnlyAsciiCapitalsWhereverTheyStand) {
  const std::string around = "@AZ[`az{\xC1\xDA\x80\xFF\x41\x5A\x7F";
  for (std::size_t size = 0; size <= 27; ++size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) text.push_back(around[(i * 5 + size) % around.size()]);
    ASSERT_EQ(LowerAscii(text), LowerByteByByte(text)) << "size " << size;
    for (std::size_t at = 0; at < size; ++at) {
      for (int byte = 0; byte < 256; ++byte) {
        std::string one = text;
        one[at] = static_cast<char>(byte);
        ASSERT_EQ(LowerAscii(one), LowerByteByByte(one)) << "byte " << byte << " at " << at;
      }
    }
  }
  std::string same = "C:\\WINDOWS\\System32\\SPOOL\\DRIVERS\\W32X86\\3\\Ab\xC8Z.DLL";
  LowerAsciiInto(same.data(), same.data(), same.size());
  EXPECT_EQ(same, "c:\\windows\\system32\\spool\\drivers\\w32x86\\3\\ab\xC8z.dll");
}

}  // namespace
}  // namespace setwell
