// A USB bus of up to eight printers of the family, and the maker's USB
// interface library "TvUsbInt.dll" that reaches them.
//
// The library is present when a file of that name is where LoadLibraryA
// looks (see SimMachine); each of its entry points "OpenDeviceX",
// "GetDescriptor", "uWrite" and "CloseDevice" can be left out.
//
// The stand-in library behaves as its contract says: OpenDeviceX(index)
// gives a new handle for a printer at index 0..7 and `noDeviceResult` (-1 or
// 0) for an empty index; GetDescriptor fills the 18-byte standard device
// descriptor, the descriptor value at offset 12; uWrite records the bytes and
// returns their count; CloseDevice ends a handle. A printer that receives the
// device-number command with the expected access code reports, after its next
// power cycle, a descriptor value whose remainder modulo 8 is the command's
// last byte; any other bytes are recorded and ignored.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "system/UsbCommand.h"
#include "system/WinTypes.h"

namespace setwell::sim {

class SimRecordFile;

inline constexpr char kUsbLibraryName[] = "TvUsbInt.dll";

struct SimUsbPrinter {
  WORD descriptorValue = 0;
  std::optional<BYTE> pendingNumber;  // the device number - 1 written, until power returns
  bool acceptsWrites = true;          // false: uWrite returns 0

  bool operator==(const SimUsbPrinter&) const = default;
};

// One call into the library, as the tests want to see it.
struct SimUsbCall {
  std::string entry;  // "OpenDeviceX", "GetDescriptor", "uWrite", "CloseDevice"
  std::int32_t argument = 0;  // the index, or the device handle
  std::int32_t result = 0;

  bool operator==(const SimUsbCall&) const = default;
};

struct SimUsbWrite {
  int index = 0;  // the bus position of the printer written to
  std::string bytes;

  bool operator==(const SimUsbWrite&) const = default;
};

class SimUsb {
 public:
  static constexpr int kPositions = 8;

  // --- Setting up ------------------------------------------------------------
  void Attach(int index, WORD descriptorValue);
  void Detach(int index);
  // Entry points the library does not export.
  std::set<std::string> missingEntryPoints;
  std::int32_t noDeviceResult = -1;
  std::array<BYTE, 5> accessCode = kUsbAccessCode;
  WORD vendorId = 0x2E4C;
  WORD productId = 0x0120;

  // --- Looking at it -----------------------------------------------------------
  std::array<std::optional<SimUsbPrinter>, kPositions> bus;
  std::vector<SimUsbCall> calls;
  std::vector<SimUsbWrite> writes;
  int Count() const;
  // Device number of the printer at index: (value % 8) + 1; 0 when empty.
  int DeviceNumber(int index) const;
  std::vector<std::int32_t> OpenDevices() const;

  // Every printer is switched off and on again.
  void PowerCycle();

  // --- The library's entry points -------------------------------------------
  bool Exports(const std::string& entry) const;
  std::int32_t OpenDeviceX(std::int32_t index);
  std::int32_t GetDescriptor(std::int32_t device, BYTE* buffer);
  std::int32_t UWrite(std::int32_t device, std::int32_t reserved, const BYTE* data,
                      std::int32_t length);
  void CloseDevice(std::int32_t device);

  void Save(SimRecordFile& record) const;
  bool Load(const SimRecordFile& record, std::string* error);

  // Open handles are the running program's and do not count.
  bool operator==(const SimUsb& other) const {
    return missingEntryPoints == other.missingEntryPoints &&
           noDeviceResult == other.noDeviceResult && accessCode == other.accessCode &&
           vendorId == other.vendorId && productId == other.productId && bus == other.bus &&
           calls == other.calls && writes == other.writes;
  }

 private:
  std::int32_t nextDevice_ = 0x5100;
  std::map<std::int32_t, int> open_;  // device handle -> bus index
};

}  // namespace setwell::sim
