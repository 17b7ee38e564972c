// The listing as text for a person, as JSON for a program, and read back
// from JSON.
#include <sstream>
#include <stdexcept>

#include "inventory/Json.h"
#include "inventory/Listing.h"

namespace setwell::inventory {
namespace {

using json::JsonReader;
using json::JsonValue;
using json::Quote;

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

// --- JSON out --------------------------------------------------------------------
// One member a line, so that two listings compare line by line too.
class Writer {
 public:
  std::string Text() const { return out_.str(); }

  void Open(const std::string& name, char bracket) {
    Member(name);
    out_ << bracket << "\n";
    first_ = true;
    ++depth_;
  }
  void Close(char bracket) {
    --depth_;
    out_ << "\n" << Indent() << bracket;
    first_ = false;
  }
  void Field(const std::string& name, const std::string& text) {
    Member(name);
    out_ << Quote(text);
  }
  void Field(const std::string& name, const char* text) { Field(name, std::string(text)); }
  void Field(const std::string& name, std::uint64_t number) {
    Member(name);
    out_ << number;
  }
  void Field(const std::string& name, std::int64_t number) {
    Member(name);
    out_ << number;
  }
  void Flag(const std::string& name, bool value) {
    Member(name);
    out_ << (value ? "true" : "false");
  }
  void Null(const std::string& name) {
    Member(name);
    out_ << "null";
  }

 private:
  // An empty name is an item of an array.
  void Member(const std::string& name) {
    if (!first_) out_ << ",\n";
    first_ = false;
    out_ << Indent();
    if (!name.empty()) out_ << Quote(name) << ": ";
  }
  std::string Indent() const { return std::string(static_cast<std::size_t>(depth_) * 2, ' '); }

  std::ostringstream out_;
  bool first_ = true;
  int depth_ = 0;
};

void WriteFile(Writer& w, const std::string& name, const ListedFile& file) {
  w.Open(name, '{');
  w.Field("path", file.path);
  w.Flag("present", file.present);
  w.Field("size", file.size);
  w.Close('}');
}

void WriteKeys(Writer& w, const std::string& name, const std::vector<ListedKey>& keys) {
  w.Open(name, '[');
  for (const ListedKey& key : keys) {
    w.Open("", '{');
    w.Field("path", key.path);
    w.Open("values", '[');
    for (const ListedValue& value : key.values) {
      w.Open("", '{');
      w.Field("name", value.name);
      w.Field("type", std::uint64_t{value.type});
      if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        w.Field("text", value.text);
      } else if (value.type == REG_DWORD && value.data.empty()) {
        w.Field("number", std::uint64_t{value.number});
      } else {
        w.Field("data", Hex(value.data));
      }
      w.Close('}');
    }
    w.Close(']');
    w.Close('}');
  }
  w.Close(']');
}

void WriteComponent(Writer& w, const ListedComponent& component, bool withEnvironment) {
  w.Open("", '{');
  w.Field("name", component.name);
  if (withEnvironment) w.Field("environment", component.environment);
  WriteFile(w, "file", component.file);
  WriteKeys(w, "keys", component.keys);
  w.Close('}');
}

void WriteStrings(Writer& w, const std::string& name, const std::vector<std::string>& items) {
  w.Open(name, '[');
  for (const std::string& item : items) w.Field("", item);
  w.Close(']');
}

// --- JSON in ---------------------------------------------------------------------
const JsonValue& Member(const JsonValue& object, const std::string& name,
                        JsonValue::Kind kind) {
  const JsonValue& value = object[name];
  if (value.kind != kind) throw std::runtime_error("\"" + name + "\" is of the wrong kind");
  return value;
}
std::string Str(const JsonValue& object, const std::string& name) {
  return Member(object, name, JsonValue::Kind::kString).text;
}
std::uint64_t Num(const JsonValue& object, const std::string& name) {
  const double number = Member(object, name, JsonValue::Kind::kNumber).number;
  if (number < 0 || number > 18446744073709549568.0 || number != static_cast<double>(static_cast<std::uint64_t>(number))) {
    throw std::runtime_error("\"" + name + "\" is no whole number of 0 or more");
  }
  return static_cast<std::uint64_t>(number);
}
DWORD Dword(const JsonValue& object, const std::string& name) {
  const std::uint64_t number = Num(object, name);
  if (number > 0xFFFFFFFFu) throw std::runtime_error("\"" + name + "\" is larger than 32 bits");
  return static_cast<DWORD>(number);
}
// A device-mode field: 16 bits, signed or not.
int Small(const JsonValue& object, const std::string& name) {
  const double number = Member(object, name, JsonValue::Kind::kNumber).number;
  if (number < -32768 || number > 65535 || number != static_cast<double>(static_cast<int>(number))) {
    throw std::runtime_error("\"" + name + "\" is no 16-bit number");
  }
  return static_cast<int>(number);
}
bool Bool(const JsonValue& object, const std::string& name) {
  return Member(object, name, JsonValue::Kind::kBool).boolean;
}
const std::vector<JsonValue>& Items(const JsonValue& object, const std::string& name) {
  return Member(object, name, JsonValue::Kind::kArray).items;
}

std::string Unhex(const std::string& text) {
  if (text.size() % 2 != 0) throw std::runtime_error("hex data of an odd length");
  const auto digit = [&](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw std::runtime_error(std::string("\"") + c + "\" is not a hex digit");
  };
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    out += static_cast<char>(digit(text[i]) << 4 | digit(text[i + 1]));
  }
  return out;
}

ListedFile ReadFile(const JsonValue& value) {
  return ListedFile{Str(value, "path"), Bool(value, "present"), Num(value, "size")};
}

std::vector<ListedKey> ReadKeys(const JsonValue& list) {
  std::vector<ListedKey> keys;
  for (const JsonValue& item : list.items) {
    ListedKey key;
    key.path = Str(item, "path");
    for (const JsonValue& v : Items(item, "values")) {
      ListedValue value;
      value.name = Str(v, "name");
      value.type = Dword(v, "type");
      if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        value.text = Str(v, "text");
      } else if (v.Has("number")) {
        value.number = Dword(v, "number");
      } else {
        value.data = Unhex(Str(v, "data"));
      }
      key.values.push_back(std::move(value));
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

ListedComponent ReadComponent(const JsonValue& item) {
  ListedComponent component;
  component.name = Str(item, "name");
  if (item.Has("environment")) component.environment = Str(item, "environment");
  component.file = ReadFile(item["file"]);
  component.keys = ReadKeys(Member(item, "keys", JsonValue::Kind::kArray));
  return component;
}

std::string Size(std::uint64_t bytes) { return std::to_string(bytes) + " bytes"; }

std::string FileText(const ListedFile& file) {
  return file.path + (file.present ? " (" + Size(file.size) + ")" : " (not there)");
}

std::string ValueText(const ListedValue& value) {
  if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) return "\"" + value.text + "\"";
  if (value.type == REG_DWORD && value.data.empty()) return std::to_string(value.number);
  return "hex:" + Hex(value.data);
}

void KeysText(std::ostringstream& out, const std::vector<ListedKey>& keys, const char* indent) {
  for (const ListedKey& key : keys) {
    out << indent << key.path << "\n";
    for (const ListedValue& value : key.values) {
      out << indent << "  " << (value.name.empty() ? "(default)" : value.name) << " = "
          << ValueText(value) << "\n";
    }
  }
}

}  // namespace

std::string FormatListingJson(const Listing& listing) {
  Writer w;
  w.Open("", '{');
  w.Field("schema", kListingSchema);
  w.Field("version", std::uint64_t{kListingVersion});
  const ListedSystem& s = listing.system;
  w.Open("system", '{');
  w.Field("name", s.name);
  w.Field("platformId", std::uint64_t{s.platformId});
  w.Field("major", std::uint64_t{s.major});
  w.Field("minor", std::uint64_t{s.minor});
  w.Field("build", std::uint64_t{s.build});
  w.Field("servicePack", s.servicePack);
  w.Flag("wow64", s.wow64);
  w.Field("target", std::int64_t{s.target});
  w.Field("windowsDirectory", s.windowsDirectory);
  w.Close('}');
  WriteStrings(w, "familyDrivers", listing.familyDrivers);

  w.Open("printers", '[');
  for (const ListedPrinter& p : listing.printers) {
    w.Open("", '{');
    w.Field("name", p.name);
    w.Field("port", p.port);
    w.Field("driver", p.driver);
    w.Field("printProcessor", p.printProcessor);
    w.Field("attributes", std::uint64_t{p.attributes});
    w.Flag("default", p.isDefault);
    if (!p.devMode) {
      w.Null("devMode");
    } else {
      const ListedDevMode& d = *p.devMode;
      w.Open("devMode", '{');
      w.Field("deviceName", d.deviceName);
      const std::pair<const char*, std::int64_t> numbers[] = {
          {"specVersion", d.specVersion}, {"driverVersion", d.driverVersion},
          {"size", d.size},               {"driverExtra", d.driverExtra},
          {"fields", std::int64_t{d.fields}}, {"orientation", d.orientation},
          {"paperSize", d.paperSize},     {"paperLength", d.paperLength},
          {"paperWidth", d.paperWidth},   {"scale", d.scale},
          {"copies", d.copies},           {"defaultSource", d.defaultSource},
          {"printQuality", d.printQuality}, {"color", d.color},
          {"duplex", d.duplex},           {"yResolution", d.yResolution},
          {"ttOption", d.ttOption},       {"collate", d.collate}};
      for (const auto& [name, value] : numbers) w.Field(name, value);
      w.Field("formName", d.formName);
      w.Field("icmMethod", std::uint64_t{d.icmMethod});
      w.Field("icmIntent", std::uint64_t{d.icmIntent});
      w.Field("mediaType", std::uint64_t{d.mediaType});
      w.Field("ditherType", std::uint64_t{d.ditherType});
      w.Close('}');
    }
    w.Close('}');
  }
  w.Close(']');

  w.Open("drivers", '[');
  for (const ListedDriver& d : listing.drivers) {
    w.Open("", '{');
    w.Field("name", d.name);
    w.Field("environment", d.environment);
    w.Field("version", std::uint64_t{d.version});
    w.Field("monitor", d.monitor);
    w.Field("driverPath", d.driverPath);
    w.Field("dataFile", d.dataFile);
    w.Field("configFile", d.configFile);
    w.Field("helpFile", d.helpFile);
    WriteStrings(w, "dependentFiles", d.dependentFiles);
    w.Open("files", '[');
    for (const ListedFile& file : d.files) WriteFile(w, "", file);
    w.Close(']');
    w.Close('}');
  }
  w.Close(']');

  w.Open("supportFiles", '[');
  for (const ListedFile& file : listing.supportFiles) WriteFile(w, "", file);
  w.Close(']');
  w.Open("monitors", '[');
  for (const ListedComponent& m : listing.monitors) WriteComponent(w, m, false);
  w.Close(']');
  w.Open("processors", '[');
  for (const ListedComponent& p : listing.processors) WriteComponent(w, p, true);
  w.Close(']');

  w.Open("ports", '[');
  for (const ListedPort& port : listing.ports) {
    w.Open("", '{');
    w.Field("name", port.name);
    w.Field("monitor", port.monitor);
    w.Close('}');
  }
  w.Close(']');
  WriteKeys(w, "records", listing.records);
  w.Open("serial", '[');
  for (const ListedSerial& serial : listing.serial) {
    w.Open("", '{');
    w.Field("port", serial.port);
    w.Field("settings", serial.settings);
    WriteKeys(w, "keys", serial.keys);
    w.Close('}');
  }
  w.Close(']');
  WriteStrings(w, "unanswered", listing.unanswered);
  w.Close('}');
  return w.Text() + "\n";
}

bool ParseListingJson(const std::string& text, Listing& listing, std::string& error) {
  listing = Listing{};
  try {
    const JsonValue root = JsonReader::Parse(text);
    if (root.kind != JsonValue::Kind::kObject) throw std::runtime_error("not a JSON object");
    if (!root.Has("schema") || root["schema"].kind != JsonValue::Kind::kString ||
        root["schema"].text != kListingSchema) {
      throw std::runtime_error(std::string("not a listing (no \"schema\": \"") + kListingSchema +
                               "\")");
    }
    const std::uint64_t version = Num(root, "version");
    if (version != static_cast<std::uint64_t>(kListingVersion)) {
      throw std::runtime_error("a listing of version " + std::to_string(version) +
                               "; this program reads version " +
                               std::to_string(kListingVersion));
    }
    const JsonValue& s = Member(root, "system", JsonValue::Kind::kObject);
    listing.system.name = Str(s, "name");
    listing.system.platformId = Dword(s, "platformId");
    listing.system.major = Dword(s, "major");
    listing.system.minor = Dword(s, "minor");
    listing.system.build = Dword(s, "build");
    listing.system.servicePack = Str(s, "servicePack");
    listing.system.wow64 = Bool(s, "wow64");
    const double target = Member(s, "target", JsonValue::Kind::kNumber).number;
    if (target < -1 || target > 4 || target != static_cast<int>(target)) {
      throw std::runtime_error("\"target\" is not a target system");
    }
    listing.system.target = static_cast<std::int32_t>(target);
    listing.system.windowsDirectory = Str(s, "windowsDirectory");
    for (const JsonValue& item : Items(root, "familyDrivers")) {
      if (item.kind != JsonValue::Kind::kString) throw std::runtime_error("a driver name that is no text");
      listing.familyDrivers.push_back(item.text);
    }
    for (const JsonValue& item : Items(root, "printers")) {
      ListedPrinter p;
      p.name = Str(item, "name");
      p.port = Str(item, "port");
      p.driver = Str(item, "driver");
      p.printProcessor = Str(item, "printProcessor");
      p.attributes = Dword(item, "attributes");
      p.isDefault = Bool(item, "default");
      const JsonValue& mode = item["devMode"];
      if (mode.kind == JsonValue::Kind::kObject) {
        ListedDevMode d;
        d.deviceName = Str(mode, "deviceName");
        d.specVersion = Small(mode, "specVersion");
        d.driverVersion = Small(mode, "driverVersion");
        d.size = Small(mode, "size");
        d.driverExtra = Small(mode, "driverExtra");
        d.fields = Dword(mode, "fields");
        d.orientation = Small(mode, "orientation");
        d.paperSize = Small(mode, "paperSize");
        d.paperLength = Small(mode, "paperLength");
        d.paperWidth = Small(mode, "paperWidth");
        d.scale = Small(mode, "scale");
        d.copies = Small(mode, "copies");
        d.defaultSource = Small(mode, "defaultSource");
        d.printQuality = Small(mode, "printQuality");
        d.color = Small(mode, "color");
        d.duplex = Small(mode, "duplex");
        d.yResolution = Small(mode, "yResolution");
        d.ttOption = Small(mode, "ttOption");
        d.collate = Small(mode, "collate");
        d.formName = Str(mode, "formName");
        d.icmMethod = Dword(mode, "icmMethod");
        d.icmIntent = Dword(mode, "icmIntent");
        d.mediaType = Dword(mode, "mediaType");
        d.ditherType = Dword(mode, "ditherType");
        if (d.deviceName.size() > 31 || d.formName.size() > 31) {
          throw std::runtime_error("a device or form name longer than a device mode holds");
        }
        p.devMode = d;
      } else if (mode.kind != JsonValue::Kind::kNull) {
        throw std::runtime_error("\"devMode\" is of the wrong kind");
      }
      listing.printers.push_back(std::move(p));
    }
    for (const JsonValue& item : Items(root, "drivers")) {
      ListedDriver d;
      d.name = Str(item, "name");
      d.environment = Str(item, "environment");
      d.version = Dword(item, "version");
      d.monitor = Str(item, "monitor");
      d.driverPath = Str(item, "driverPath");
      d.dataFile = Str(item, "dataFile");
      d.configFile = Str(item, "configFile");
      d.helpFile = Str(item, "helpFile");
      for (const JsonValue& file : Items(item, "dependentFiles")) {
        if (file.kind != JsonValue::Kind::kString) throw std::runtime_error("a file name that is no text");
        d.dependentFiles.push_back(file.text);
      }
      for (const JsonValue& file : Items(item, "files")) d.files.push_back(ReadFile(file));
      listing.drivers.push_back(std::move(d));
    }
    for (const JsonValue& item : Items(root, "supportFiles")) {
      listing.supportFiles.push_back(ReadFile(item));
    }
    for (const JsonValue& item : Items(root, "monitors")) listing.monitors.push_back(ReadComponent(item));
    for (const JsonValue& item : Items(root, "processors")) {
      listing.processors.push_back(ReadComponent(item));
    }
    for (const JsonValue& item : Items(root, "ports")) {
      listing.ports.push_back(ListedPort{Str(item, "name"), Str(item, "monitor")});
    }
    listing.records = ReadKeys(Member(root, "records", JsonValue::Kind::kArray));
    for (const JsonValue& item : Items(root, "serial")) {
      ListedSerial serial;
      serial.port = Str(item, "port");
      serial.settings = Str(item, "settings");
      serial.keys = ReadKeys(Member(item, "keys", JsonValue::Kind::kArray));
      listing.serial.push_back(std::move(serial));
    }
    for (const JsonValue& item : Items(root, "unanswered")) {
      if (item.kind != JsonValue::Kind::kString) throw std::runtime_error("an entry that is no text");
      listing.unanswered.push_back(item.text);
    }
  } catch (const std::exception& e) {
    error = e.what();
    listing = Listing{};
    return false;
  }
  return true;
}

std::string FormatListingText(const Listing& listing) {
  std::ostringstream out;
  const ListedSystem& s = listing.system;
  out << "System: " << s.name << " " << s.major << "." << s.minor << "." << s.build
      << (s.servicePack.empty() ? "" : " " + s.servicePack) << (s.wow64 ? ", 32-bit on 64-bit" : "")
      << "\n";
  out << "Printers of the family: " << listing.printers.size() << "\n";
  for (const ListedPrinter& p : listing.printers) {
    out << "  \"" << p.name << "\" on " << p.port << ", driver \"" << p.driver
        << "\", print processor " << p.printProcessor << (p.isDefault ? ", the default printer" : "")
        << "\n";
    if (p.devMode) {
      const ListedDevMode& d = *p.devMode;
      out << "    device mode: \"" << d.deviceName << "\", paper " << d.paperSize << " ("
          << d.paperWidth << " x " << d.paperLength << "), orientation " << d.orientation
          << ", quality " << d.printQuality << ", copies " << d.copies << ", fields 0x" << std::hex
          << d.fields << std::dec << "\n";
    } else {
      out << "    device mode: none\n";
    }
  }
  out << "Drivers of the family: " << listing.drivers.size() << "\n";
  for (const ListedDriver& d : listing.drivers) {
    out << "  \"" << d.name << "\" (" << d.environment << ", version " << d.version << ")"
        << (d.monitor.empty() ? "" : ", language monitor \"" + d.monitor + "\"") << "\n";
    for (const ListedFile& file : d.files) out << "    " << FileText(file) << "\n";
  }
  const auto components = [&](const char* title, const std::vector<ListedComponent>& list) {
    out << title << ": " << list.size() << "\n";
    for (const ListedComponent& c : list) {
      out << "  \"" << c.name << "\"" << (c.environment.empty() ? "" : " (" + c.environment + ")")
          << ": " << FileText(c.file) << "\n";
      KeysText(out, c.keys, "    ");
    }
  };
  if (!listing.supportFiles.empty()) {
    out << "Files beside the drivers: " << listing.supportFiles.size() << "\n";
    for (const ListedFile& file : listing.supportFiles) out << "  " << FileText(file) << "\n";
  }
  components("Monitors of the family", listing.monitors);
  components("Print processors of the family", listing.processors);
  out << "Ports of the family: " << listing.ports.size() << "\n";
  for (const ListedPort& port : listing.ports) {
    out << "  " << port.name << (port.monitor.empty() ? "" : " (" + port.monitor + ")") << "\n";
  }
  out << "Records: " << (listing.records.empty() ? "none" : std::to_string(listing.records.size()) + " keys") << "\n";
  KeysText(out, listing.records, "  ");
  out << "Serial line settings: " << (listing.serial.empty() ? "none" : std::to_string(listing.serial.size())) << "\n";
  for (const ListedSerial& serial : listing.serial) {
    out << "  " << serial.port << " "
        << (serial.settings.empty() ? "(none set)" : serial.settings) << "\n";
    KeysText(out, serial.keys, "    ");
  }
  if (!listing.unanswered.empty()) {
    out << "Not answered by the host:";
    for (const std::string& what : listing.unanswered) out << " " << what;
    out << "\n";
  }
  return out.str();
}

}  // namespace setwell::inventory
