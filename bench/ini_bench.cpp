// How long the configuration reader takes on a large distribution: a general
// file of 2,000 model entries and four category files with the sections of
// those models, read the way the model page and the frame read them.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "config/InstallConfig.h"
#include "sim/SimMachine.h"

namespace setwell {
namespace {

constexpr int kModels = 2000;
constexpr const char* kSuffixes[4] = {"-ReceiptPrinter", "-TicketPrinter", "-LabelPrinter",
                                      "-EmbeddedPrinter"};
constexpr const char* kPortKeys[5] = {"AdvancedSetup", "System2003Supported", "BaudRate",
                                      "USBSUPPORTED", "LPTDEFAULT"};
constexpr const char* kDriverKeys[11] = {
    "DriverPath",        "DataFile",       "ConfigFile",     "HelpFile",
    "MonitorName",       "MonitorDLLName", "ProcessorDLLName", "PrintProcessor",
    "DataFileDLLName",   "DataOemuniDLL",  "DataOemuniini"};

std::string ModelName(int number) { return "TR-" + std::to_string(number) + " Falcon"; }

// Models take the categories in turn: model n is of category (n - 1) % 4.
std::string GeneralFile() {
  std::string text = "[DEVICENAME]\r\nDEVICENUMBER=" + std::to_string(kModels) +
                     "\r\nDEFAULTNAME=17\r\n";
  for (int n = 1; n <= kModels; ++n) {
    text += "DEVICENAME" + std::to_string(n) + "=" + ModelName(n) + kSuffixes[(n - 1) % 4] + "\r\n";
  }
  text += "\r\n[Version]\r\nDriverVersion=1207\r\n\r\n[SUPPORTED-USB-DEVICE]\r\nPRNCOUNT=0\r\n";
  text += "\r\n[COMMON-MONITOR.XP]\r\nCOMMONitorPName=TV Serial Monitor\r\n";
  return text;
}

std::string CategoryFile(int category) {
  std::string text = "; category file\r\n";
  for (int n = category + 1; n <= kModels; n += 4) {
    const std::string model = ModelName(n);
    text += "[" + model + ".PORT]\r\nAdvancedSetup=1\r\nSystem2003Supported=1\r\n"
            "BaudRate=19200\r\nUSBSUPPORTED=1\r\nLPTDEFAULT=0\r\n\r\n";
    text += "[" + model + ".XP]\r\n";
    for (const char* prefix : {"STD", "GDI"}) {
      for (const char* key : kDriverKeys) {
        text += std::string(prefix) + key + "=" + "TR" + std::to_string(n) + key + ".DLL\r\n";
      }
      text += std::string(prefix) + "2KDDKDEV=1\r\n";
    }
    text += "\r\n[" + model + ".PRINTERINFO2K]\r\nSTDDRIVERNAME=\"" + model + "\"\r\n"
            "GDIDRIVERNAME=\"" + model + " Raster\"\r\nCOMMENT=Thermal receipt printer\r\n"
            "LOCATION=\r\nDATATYPE=RAW\r\nATTRIBUTES=576\r\nPRIORITY=1\r\n\r\n";
    text += "[" + model + ".DEVMODE2K]\r\nDRIVERVERSION=1024\r\nORIENTATION=1\r\n"
            "PAPERSIZE=256\r\nPAPERLENGTH=2970\r\nPAPERWIDTH=800\r\nCOPIES=1\r\n"
            "FORMNAME=Roll Paper 80 x 297 mm\r\nFIELDS=65283\r\n\r\n";
  }
  return text;
}

// A simulated machine holding the distribution beside D:\Setup.exe.
struct Distribution {
  sim::SimMachine machine;
  Distribution() {
    machine.files.WriteFile("D:\\DRVCONFIG\\setup.ini", GeneralFile());
    const char* names[4] = {"setup_receipt.ini", "setup_ticket.ini", "setup_lable.ini",
                            "setup_embedded.ini"};
    for (int c = 0; c < 4; ++c) {
      machine.files.WriteFile(std::string("D:\\DRVCONFIG\\") + names[c], CategoryFile(c));
    }
  }
};

// The reader as the frame and Finish use it: the category file of the
// current category.
class ModelReader : public InstallConfig {
 public:
  using InstallConfig::InstallConfig;
  std::int32_t ReadPortKeys(const std::string& model) {
    std::int32_t sum = 0;
    for (const char* key : kPortKeys) sum += GetModelPortSetting(model, key);
    return sum;
  }
  std::size_t ReadDriverKeys(const std::string& model) {
    DriverFileList list{};
    GetDriverFiles(model, kWinXP, list, kStandardDriver);
    return std::strlen(list.driverFile) + std::strlen(list.oemPluginSettings);
  }
};

// Every model entry, as the model page lists them, then each model's port
// keys and driver keys, as leaving the model page and Finish read them.
void ReadEverything(ModelReader& reader, benchmark::State& state) {
  std::string text;
  const std::int32_t count = reader.GetModelCount();
  for (std::int32_t n = 1; n <= count; ++n) {
    const std::int32_t category = reader.GetModelEntry(n, text);
    if (category < 0) state.SkipWithError("model entry without a category");
    reader.SetCategory(category);
    benchmark::DoNotOptimize(reader.ReadPortKeys(text));
    benchmark::DoNotOptimize(reader.ReadDriverKeys(text));
  }
  benchmark::DoNotOptimize(reader.GetDefaultModel(text));
}

void BM_ParseGeneralFile(benchmark::State& state) {
  const std::string text = GeneralFile();
  for (auto _ : state) {
    IniFile file(text);
    benchmark::DoNotOptimize(file.SectionCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["entries"] = kModels;
}
BENCHMARK(BM_ParseGeneralFile)->Unit(benchmark::kMicrosecond);

void BM_ParseCategoryFile(benchmark::State& state) {
  const std::string text = CategoryFile(0);
  for (auto _ : state) {
    IniFile file(text);
    benchmark::DoNotOptimize(file.SectionCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["models"] = kModels / 4;
}
BENCHMARK(BM_ParseCategoryFile)->Unit(benchmark::kMicrosecond);

// All entries and per-model keys from files parsed before.
void BM_ReadAllEntriesAndModelKeys(benchmark::State& state) {
  Distribution distribution;
  ModelReader reader(distribution.machine);
  ReadEverything(reader, state);  // parses the five files once
  for (auto _ : state) ReadEverything(reader, state);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kModels * (1 + 5 + 11)));
}
BENCHMARK(BM_ReadAllEntriesAndModelKeys)->Unit(benchmark::kMillisecond);

// The same from a fresh reader: the five files are read and parsed too.
void BM_ParseAndReadEverything(benchmark::State& state) {
  Distribution distribution;
  for (auto _ : state) {
    ModelReader reader(distribution.machine);
    ReadEverything(reader, state);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kModels * (1 + 5 + 11)));
}
BENCHMARK(BM_ParseAndReadEverything)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace setwell

BENCHMARK_MAIN();
