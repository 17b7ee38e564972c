#include "sim/SimUsb.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sim/SimRecordFile.h"
#include "sim/SimText.h"

namespace setwell::sim {
namespace {

std::optional<std::int32_t> ParseInt(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 0);
  if (end == nullptr || *end != '\0' || value < INT32_MIN || value > 0xFFFFFFFFLL) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

void SimUsb::Attach(int index, WORD descriptorValue) {
  if (index < 0 || index >= kPositions) return;
  bus[static_cast<std::size_t>(index)] = SimUsbPrinter{descriptorValue, std::nullopt, true};
}

void SimUsb::Detach(int index) {
  if (index < 0 || index >= kPositions) return;
  bus[static_cast<std::size_t>(index)].reset();
  for (auto it = open_.begin(); it != open_.end();) {
    it = it->second == index ? open_.erase(it) : std::next(it);
  }
}

int SimUsb::Count() const {
  int count = 0;
  for (const auto& printer : bus) count += printer.has_value() ? 1 : 0;
  return count;
}

int SimUsb::DeviceNumber(int index) const {
  if (index < 0 || index >= kPositions || !bus[static_cast<std::size_t>(index)]) return 0;
  return bus[static_cast<std::size_t>(index)]->descriptorValue % 8 + 1;
}

std::vector<std::int32_t> SimUsb::OpenDevices() const {
  std::vector<std::int32_t> devices;
  for (const auto& [device, index] : open_) devices.push_back(device);
  return devices;
}

void SimUsb::PowerCycle() {
  open_.clear();
  for (auto& printer : bus) {
    if (!printer || !printer->pendingNumber) continue;
    const WORD value = printer->descriptorValue;
    printer->descriptorValue = static_cast<WORD>(value - value % 8 + *printer->pendingNumber);
    printer->pendingNumber.reset();
  }
}

bool SimUsb::Exports(const std::string& entry) const {
  static const char* const kEntries[] = {"OpenDeviceX", "GetDescriptor", "uWrite", "CloseDevice"};
  for (const char* known : kEntries) {
    if (entry == known) return missingEntryPoints.count(entry) == 0;
  }
  return false;
}

std::int32_t SimUsb::OpenDeviceX(std::int32_t index) {
  std::int32_t result = noDeviceResult;
  if (index >= 0 && index < kPositions && bus[static_cast<std::size_t>(index)]) {
    result = nextDevice_++;
    open_[result] = index;
  }
  calls.push_back(SimUsbCall{"OpenDeviceX", index, result});
  return result;
}

std::int32_t SimUsb::GetDescriptor(std::int32_t device, BYTE* buffer) {
  std::int32_t result = 0;
  auto it = open_.find(device);
  if (it != open_.end() && buffer != nullptr) {
    const SimUsbPrinter& printer = *bus[static_cast<std::size_t>(it->second)];
    // The standard 18-byte device descriptor of a USB 1.1 printer.
    const BYTE descriptor[18] = {18,
                                 1,
                                 0x10,
                                 0x01,
                                 0,
                                 0,
                                 0,
                                 8,
                                 static_cast<BYTE>(vendorId & 0xFF),
                                 static_cast<BYTE>(vendorId >> 8),
                                 static_cast<BYTE>(productId & 0xFF),
                                 static_cast<BYTE>(productId >> 8),
                                 static_cast<BYTE>(printer.descriptorValue & 0xFF),
                                 static_cast<BYTE>(printer.descriptorValue >> 8),
                                 1,
                                 2,
                                 0,
                                 1};
    std::memcpy(buffer, descriptor, sizeof descriptor);
    result = 1;
  }
  calls.push_back(SimUsbCall{"GetDescriptor", device, result});
  return result;
}

std::int32_t SimUsb::UWrite(std::int32_t device, std::int32_t, const BYTE* data,
                            std::int32_t length) {
  std::int32_t result = 0;
  auto it = open_.find(device);
  if (it != open_.end() && data != nullptr && length > 0) {
    SimUsbPrinter& printer = *bus[static_cast<std::size_t>(it->second)];
    const std::string bytes(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    writes.push_back(SimUsbWrite{it->second, bytes});
    if (printer.acceptsWrites) {
      result = length;
      const bool command = bytes.size() == kUsbCommandSize && data[0] == 0x1B &&
                           std::memcmp(data + 1, accessCode.data(), accessCode.size()) == 0 &&
                           data[6] == 0x1D && data[7] == 0x49 && data[8] == 0x20 && data[9] < 8;
      if (command) printer.pendingNumber = data[9];
    }
  }
  calls.push_back(SimUsbCall{"uWrite", device, result});
  return result;
}

void SimUsb::CloseDevice(std::int32_t device) {
  open_.erase(device);
  calls.push_back(SimUsbCall{"CloseDevice", device, 0});
}

void SimUsb::Save(SimRecordFile& record) const {
  SimRecordFile::Section& library = record.Add("library", kUsbLibraryName);
  for (const std::string& entry : missingEntryPoints) library.Add("missing-entry-point", entry);
  library.Add("no-device-result", std::to_string(noDeviceResult));
  library.Add("access-code",
              HexBytes(std::string(accessCode.begin(), accessCode.end())));
  library.Add("vendor-id", HexNumber(vendorId));
  library.Add("product-id", HexNumber(productId));
  for (int i = 0; i < kPositions; ++i) {
    const auto& printer = bus[static_cast<std::size_t>(i)];
    if (!printer) continue;
    SimRecordFile::Section& section = record.Add("printer", std::to_string(i));
    section.Add("descriptor-value", std::to_string(printer->descriptorValue));
    section.Add("device-number", std::to_string(DeviceNumber(i)));
    if (printer->pendingNumber) {
      section.Add("pending-number", std::to_string(*printer->pendingNumber));
    }
    section.Add("accepts-writes", printer->acceptsWrites ? "yes" : "no");
  }
  if (!calls.empty()) {
    SimRecordFile::Section& log = record.Add("calls");
    for (const SimUsbCall& call : calls) {
      log.Add("call", call.entry + " " + std::to_string(call.argument) + " " +
                          std::to_string(call.result));
    }
  }
  if (!writes.empty()) {
    SimRecordFile::Section& written = record.Add("writes");
    for (const SimUsbWrite& write : writes) {
      written.Add("write", std::to_string(write.index) + " " + HexBytes(write.bytes));
    }
  }
}

bool SimUsb::Load(const SimRecordFile& record, std::string* error) {
  *this = SimUsb();
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  for (const SimRecordFile::Section& section : record.Sections()) {
    if (section.kind == "library") {
      for (const std::string& entry : section.GetAll("missing-entry-point")) {
        missingEntryPoints.insert(entry);
      }
      std::optional<std::int32_t> none = ParseInt(section.GetOr("no-device-result", "-1"));
      std::optional<std::string> code = ParseHexBytes(section.GetOr("access-code", ""));
      std::optional<std::uint64_t> vendor = ParseNumber(section.GetOr("vendor-id", "0"));
      std::optional<std::uint64_t> product = ParseNumber(section.GetOr("product-id", "0"));
      if (!none || !code || code->size() != accessCode.size() || !vendor || *vendor > 0xFFFF ||
          !product || *product > 0xFFFF) {
        return fail(section.Where() + "bad [library] section");
      }
      noDeviceResult = *none;
      std::memcpy(accessCode.data(), code->data(), accessCode.size());
      vendorId = static_cast<WORD>(*vendor);
      productId = static_cast<WORD>(*product);
    } else if (section.kind == "printer") {
      std::optional<std::uint64_t> index = ParseNumber(section.name);
      std::optional<std::uint64_t> value = ParseNumber(section.GetOr("descriptor-value", ""));
      if (!index || *index >= kPositions || !value || *value > 0xFFFF) {
        return fail(section.Where() + "bad printer " + section.name);
      }
      SimUsbPrinter printer{static_cast<WORD>(*value), std::nullopt,
                            section.GetOr("accepts-writes", "yes") == "yes"};
      if (std::optional<std::string> pending = section.Get("pending-number")) {
        std::optional<std::uint64_t> number = ParseNumber(*pending);
        if (!number || *number > 7) {
          return fail(section.Where() + "bad pending number of printer " + section.name);
        }
        printer.pendingNumber = static_cast<BYTE>(*number);
      }
      bus[*index] = printer;
    } else if (section.kind == "calls") {
      for (const std::string& line : section.GetAll("call")) {
        const std::vector<std::string> parts = Split(line, ' ');
        std::optional<std::int32_t> argument = parts.size() == 3 ? ParseInt(parts[1]) : std::nullopt;
        std::optional<std::int32_t> result = parts.size() == 3 ? ParseInt(parts[2]) : std::nullopt;
        if (!argument || !result) return fail(section.Where() + "bad call \"" + line + "\"");
        calls.push_back(SimUsbCall{parts[0], *argument, *result});
      }
    } else if (section.kind == "writes") {
      for (const std::string& line : section.GetAll("write")) {
        const std::size_t space = line.find(' ');
        std::optional<std::uint64_t> index = ParseNumber(line.substr(0, space));
        std::optional<std::string> bytes =
            ParseHexBytes(space == std::string::npos ? "" : line.substr(space + 1));
        if (!index || *index > INT32_MAX || !bytes) {
          return fail(section.Where() + "bad write \"" + line + "\"");
        }
        writes.push_back(SimUsbWrite{static_cast<int>(*index), *bytes});
      }
    }
  }
  return true;
}

}  // namespace setwell::sim
