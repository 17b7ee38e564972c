#include "sim/SimServices.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "sim/SimMachine.h"

namespace setwell::sim {
namespace {

struct StartupCase {
  const char* name;
  int startAfterQueries;
  std::vector<DWORD> states;  // what the queries after a start report
  friend void PrintTo(const StartupCase& c, std::ostream* os) { *os << c.name; }
};

class SimSpoolerStartupTest : public ::testing::TestWithParam<StartupCase> {};

TEST_P(SimSpoolerStartupTest, TheSpoolerComesUpAtTheQueryItIsToldTo) {
  SimMachine machine(kWinXP);
  machine.SetSpoolerStartup(GetParam().startAfterQueries);
  machine.SetSpoolerRunning(false);
  ServiceHandle manager = machine.OpenSCManagerA(SC_MANAGER_ALL_ACCESS);
  ServiceHandle spooler =
      machine.OpenServiceA(manager, "spooler", SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS);
  ASSERT_NE(spooler, nullptr);
  ASSERT_TRUE(machine.StartServiceA(spooler));
  std::vector<DWORD> states;
  for (std::size_t i = 0; i < GetParam().states.size(); ++i) {
    SERVICE_STATUS status{};
    ASSERT_TRUE(machine.QueryServiceStatus(spooler, &status));
    states.push_back(status.dwCurrentState);
  }
  EXPECT_EQ(states, GetParam().states);
  // The spooler answers exactly when its service runs.
  DWORD needed = 0;
  machine.GetPrinterDriverDirectoryA(nullptr, 1, nullptr, 0, &needed);
  EXPECT_EQ(machine.GetLastError(), states.back() == SERVICE_RUNNING
                                        ? static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)
                                        : static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(machine.spooler.IsRunning(), states.back() == SERVICE_RUNNING);
  if (states.back() != SERVICE_RUNNING) {
    // A starting service is neither started again nor stopped.
    EXPECT_FALSE(machine.StartServiceA(spooler));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
    SERVICE_STATUS status{};
    EXPECT_FALSE(machine.ControlService(spooler, SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_SERVICE_CANNOT_ACCEPT_CTRL));
  }
}

constexpr DWORD kPending = SERVICE_START_PENDING;
constexpr DWORD kRunning = SERVICE_RUNNING;

INSTANTIATE_TEST_SUITE_P(
    Startups, SimSpoolerStartupTest,
    ::testing::Values(StartupCase{"AtOnce", 0, {kRunning, kRunning}},
                      StartupCase{"AtTheFourthQuery", 3, {kPending, kPending, kPending, kRunning}},
                      StartupCase{"Never", SimService::kNever,
                                  std::vector<DWORD>(10, kPending)}),
    [](const ::testing::TestParamInfo<StartupCase>& info) {
      return std::string(info.param.name);
    });

TEST(SimServicesTest, HandlesAndRightsAreChecked) {
  SimMachine machine(kWin2000);
  ServiceHandle manager = machine.OpenSCManagerA(SC_MANAGER_ALL_ACCESS);
  ServiceHandle queryOnly = machine.OpenServiceA(manager, "Spooler", SERVICE_QUERY_STATUS);
  EXPECT_FALSE(machine.StartServiceA(queryOnly));
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SERVICE_STATUS status{};
  EXPECT_FALSE(machine.ControlService(queryOnly, 4 /* interrogate */, &status));
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_INVALID_SERVICE_CONTROL));
  EXPECT_FALSE(machine.QueryServiceStatus(manager, &status)) << "not a service handle";
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(machine.OpenServiceA(queryOnly, "Spooler", SERVICE_QUERY_STATUS), nullptr);
  EXPECT_TRUE(machine.CloseServiceHandle(queryOnly));
  EXPECT_FALSE(machine.CloseServiceHandle(queryOnly));
  EXPECT_TRUE(machine.CloseServiceHandle(manager));
}

TEST(SimServicesTest, Windows98HasNoServiceControlManager) {
  SimMachine machine(kWin98);
  EXPECT_EQ(machine.OpenSCManagerA(SC_MANAGER_ALL_ACCESS), nullptr);
  EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_TRUE(machine.spooler.IsRunning()) << "the 9x spooler always runs";
}

}  // namespace
}  // namespace setwell::sim
