// How long setup-check takes: the sample distribution, and one of 2,000
// models made from the sample's nine (each model's sections copied under a
// new name, the driver folders shared), with every combination rehearsed.
// Run by hand from an optimised build (see docs/performance.md).
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tools/setup_check/SetupCheck.h"

namespace setwell::check {
namespace {

namespace fs = std::filesystem;

const std::string kSample = std::string(SETWELL_SOURCE_DIR) + "/examples/distribution";
constexpr const char* kCategoryFiles[4] = {"setup_receipt.ini", "setup_Ticket.ini",
                                           "setup_Lable.ini", "setup_Embedded.ini"};
constexpr const char* kSuffixes[4] = {"-ReceiptPrinter", "-TicketPrinter", "-LabelPrinter",
                                      "-EmbeddedPrinter"};

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
}

// The sections of one model of a category file, as text.
std::string ModelSections(const std::string& file, const std::string& model) {
  std::string out;
  bool inModel = false;
  std::size_t at = 0;
  while (at < file.size()) {
    std::size_t end = file.find('\n', at);
    end = end == std::string::npos ? file.size() : end + 1;
    const std::string line = file.substr(at, end - at);
    if (line[0] == '[') inModel = line.rfind("[" + model + ".", 0) == 0;
    if (inModel) out += line;
    at = end;
  }
  return out;
}

// A folder with the sample's driver folders and `models` models, model n
// made from sample model n % 9 and named after it ("SW-R80-0012").
class LargeDistribution {
 public:
  explicit LargeDistribution(int kModels) {
    std::string pattern = (fs::temp_directory_path() / "check-bench-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    for (const char* sub : {"win98", "winnt", "win2003"})
      fs::copy(fs::path(kSample) / sub, fs::path(folder_) / sub, fs::copy_options::recursive);
    fs::create_directory(fs::path(folder_) / "DRVCONFIG");
    fs::copy_file(fs::path(kSample) / "Guide.CHM", fs::path(folder_) / "Guide.CHM");

    // The sample's models, by entry.
    const std::string general = Read(fs::path(kSample) / "DRVCONFIG/setup.ini");
    std::vector<std::pair<std::string, int>> models;
    std::size_t at = 0;
    while ((at = general.find("\nDEVICENAME", at)) != std::string::npos) {
      const std::size_t eq = general.find('=', at);
      const std::size_t end = general.find_first_of("\r\n", eq);
      const std::string entry = general.substr(eq + 1, end - eq - 1);
      at = end;
      for (int c = 0; c < 4; ++c) {
        const std::size_t suffix = entry.find(kSuffixes[c]);
        if (suffix != std::string::npos) models.emplace_back(entry.substr(0, suffix), c);
      }
    }
    std::string categories[4];
    std::string files[4];
    for (int c = 0; c < 4; ++c) files[c] = Read(fs::path(kSample) / "DRVCONFIG" / kCategoryFiles[c]);
    std::string entries;
    std::string usbDevices;
    int usb = 0;
    for (int n = 1; n <= kModels; ++n) {
      const auto& [model, category] = models[n % models.size()];
      char number[16];
      std::snprintf(number, sizeof number, "-%04d", n);
      const std::string name = model + number;
      std::string sections = ModelSections(files[category], model);
      Replace(sections, model, name);
      categories[category] += sections + "\r\n";
      entries += "DEVICENAME" + std::to_string(n) + "=" + name + kSuffixes[category] + "\r\n";
      if (sections.find("USBSUPPORTED=1") != std::string::npos)
        usbDevices += std::to_string(usb++) + "=USB_" + name + "_1\r\n";
    }
    std::string head = "[DEVICENAME]\r\nDEVICENUMBER=" + std::to_string(kModels) +
                       "\r\nDEFAULTNAME=1\r\n" + entries;
    std::string rest = general.substr(general.find("[Version]"));
    const std::size_t usbStart = rest.find("[SUPPORTED-USB-DEVICE]");
    const std::size_t usbEnd = rest.find("[COMMON-MONITOR");
    rest = rest.substr(0, usbStart) + "[SUPPORTED-USB-DEVICE]\r\nPRNCOUNT=" + std::to_string(usb) +
           "\r\n" + usbDevices + "\r\n" + rest.substr(usbEnd);
    std::ofstream(fs::path(folder_) / "DRVCONFIG/setup.ini", std::ios::binary) << head << "\r\n"
                                                                               << rest;
    for (int c = 0; c < 4; ++c) {
      std::ofstream(fs::path(folder_) / "DRVCONFIG" / kCategoryFiles[c], std::ios::binary)
          << categories[c];
    }
  }
  ~LargeDistribution() {
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
  }
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

void RunOnce(benchmark::State& state, const std::string& folder, bool rehearse) {
  CheckOptions options;
  options.rehearse = rehearse;
  for (auto _ : state) {
    CheckResult result;
    std::string error;
    if (!RunCheck(folder, options, result, error)) state.SkipWithError(error.c_str());
    if (result.Count(Severity::kError) != 0) state.SkipWithError("the distribution has errors");
    state.counters["models"] = static_cast<double>(result.models.size());
    state.counters["combinations"] = static_cast<double>(result.combinations.size());
    state.counters["failing"] = result.Failing();
  }
}

void BM_SampleDistribution(benchmark::State& state) { RunOnce(state, kSample, true); }
BENCHMARK(BM_SampleDistribution)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The argument is the number of models.
void BM_LargeDistributionStaticRules(benchmark::State& state) {
  const LargeDistribution dist(static_cast<int>(state.range(0)));
  RunOnce(state, dist.Folder(), false);
}
BENCHMARK(BM_LargeDistributionStaticRules)->Arg(2000)->Unit(benchmark::kMillisecond)
    ->UseRealTime()->Iterations(1);

void BM_LargeDistributionRehearsed(benchmark::State& state) {
  const LargeDistribution dist(static_cast<int>(state.range(0)));
  RunOnce(state, dist.Folder(), true);
}
BENCHMARK(BM_LargeDistributionRehearsed)->Arg(100)->Arg(200)->Arg(2000)
    ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace setwell::check
BENCHMARK_MAIN();
