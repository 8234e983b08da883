// The camera program run inside the virtual machine: it exercises the project's camera code
// on the real drivers the guest loaded and prints one line per expectation, then the verdict
// line the host waits for.
#include <iostream>
#include <string>

#include "tests/v4l2vm/loopback_scenarios.hpp"
#include "tests/v4l2vm/vivid_scenarios.hpp"

int main(int argc, char** argv) {
  using namespace kestrel::vm;
  const std::string driver = argc > 1 ? argv[1] : "";
  const std::string only = argc > 2 ? argv[2] : "";
  std::vector<Scenario> scenarios;
  if (driver == "vivid") {
    scenarios = vividScenarios();
    const auto more = vividSourceScenarios();
    // The scenarios that unbind the device come last.
    scenarios.insert(scenarios.end() - 2, more.begin(), more.begin() + 1);
    scenarios.insert(scenarios.end(), more.begin() + 1, more.end());
  }
  if (driver == "loopback") scenarios = loopbackScenarios();
  if (scenarios.empty()) {
    std::cout << "usage: " << argv[0] << " vivid|loopback [SCENARIO]" << std::endl;
    return 2;
  }
  std::int64_t failures = 0;
  std::int64_t ran = 0;
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
  std::cout << "kestrel-vm " << driver << ": " << ran << " scenarios, " << failures << " failures" << std::endl;
  std::cout << "kestrel-vm verdict: " << (failures == 0 && ran > 0 ? "pass" : "fail") << std::endl;
  return failures == 0 ? 0 : 1;
}
