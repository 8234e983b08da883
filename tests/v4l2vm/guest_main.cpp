// The camera program run inside the virtual machine: it exercises the project's camera code
// on the real drivers the guest loaded and prints one line per expectation, then the verdict
// line the host waits for.
#include <execinfo.h>
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>

#include "tests/v4l2vm/scenarios.hpp"

namespace {

// A crash prints where it happened: offsets into the program (resolved on the host with
// addr2line against the unstripped program) and into the libraries.
void crashed(int signal) {
  void* frames[64];
  const int count = backtrace(frames, 64);
  const char heading[] = "kestrel-vm crashed; backtrace:\n";
  [[maybe_unused]] const auto written = ::write(STDOUT_FILENO, heading, sizeof heading - 1);
  backtrace_symbols_fd(frames, count, STDOUT_FILENO);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrel::vm;
  std::signal(SIGSEGV, crashed);
  std::signal(SIGABRT, crashed);
  std::signal(SIGBUS, crashed);
  const std::string driver = argc > 1 ? argv[1] : "";
  const std::string only = argc > 2 ? argv[2] : "";
  const int repeat = argc > 3 ? std::stoi(argv[3]) : 1;
  std::vector<Scenario> scenarios;
  if (driver == "vivid") {
    scenarios = vividScenarios();
    const auto more = vividSourceScenarios();
    // The scenarios that unbind the device come last.
    scenarios.insert(scenarios.end() - 1, more.begin(), more.begin() + 1);
    scenarios.insert(scenarios.end(), more.begin() + 1, more.end());
  }
  if (driver == "loopback") scenarios = loopbackScenarios();
  if (scenarios.empty()) {
    std::cout << "usage: " << argv[0] << " vivid|loopback [SCENARIO [TIMES]]" << std::endl;
    return 2;
  }
  std::int64_t failures = 0;
  std::int64_t ran = 0;
  for (int round = 0; round < repeat; ++round) {
  for (const auto& scenario : scenarios) {
    if (!only.empty() && scenario.name != only) continue;
    std::cout << "== " << scenario.name << std::endl;
    Tally tally(scenario.name);
    try {
      scenario.run(tally);
    } catch (const std::exception& error) {
      tally.expect(false, "no exception", error.what());
    }
    failures += tally.failures();
    ++ran;
  }
  }
  std::cout << "kestrel-vm " << driver << ": " << ran << " scenarios, " << failures << " failures" << std::endl;
  // Asked for one scenario, the other driver's program runs none.
  std::cout << "kestrel-vm verdict: " << (failures == 0 && (ran > 0 || !only.empty()) ? "pass" : "fail") << std::endl;
  return failures == 0 ? 0 : 1;
}
