// How long the wizard takes to be ready (every page created and initialised,
// the first page shown) with 2,000 models listed; the user waits for this.
#include <benchmark/benchmark.h>

#include <string>

#include "app/CSetupApp.h"
#include "sim/SimMachine.h"
#include "ui/headless/HeadlessUi.h"

namespace setwell {
namespace {

std::string GeneralFile(int models) {
  const char* suffixes[4] = {"-ReceiptPrinter", "-TicketPrinter", "-LabelPrinter", "-EmbeddedPrinter"};
  std::string text = "[DEVICENAME]\r\nDEVICENUMBER=" + std::to_string(models) + "\r\nDEFAULTNAME=17\r\n";
  for (int n = 1; n <= models; ++n) {
    text += "DEVICENAME" + std::to_string(n) + "=TR-" + std::to_string(n) + " Falcon" +
            suffixes[(n - 1) % 4] + "\r\n";
  }
  return text;
}

void BM_WizardReady(benchmark::State& state) {
  const std::string general = GeneralFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    sim::SimMachine machine(sim::kWinXP);
    machine.PutDistributionFile("DRVCONFIG\\setup.ini", general);
    HeadlessUi ui;
    // The wizard is ready when its modal run hands it to the user.
    ui.modalDriver = [](HeadlessWindow& window) { window.Click(2); };
    CSetupApp app(ui, machine);
    state.ResumeTiming();
    app.Run();
  }
}
BENCHMARK(BM_WizardReady)->Arg(10)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace setwell
BENCHMARK_MAIN();
