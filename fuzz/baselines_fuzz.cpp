// Feeds arbitrary bytes to the baselines file. Besides not crashing: a calibration that loads
// has a baseline for every yaw, reads back from its own JSON unchanged, and can be compared
// with a fresh baseline.

#include <cmath>

#include "core/calibration/calibration.hpp"
#include "core/log/baseline_store.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const BaselineStore store{fuzz::scratchFile("baselines.json", fuzz::text(data, size))};
  const auto set = store.load();
  if (!set) return 0;
  fuzz::require(set->schema == BaselineSet::currentSchema && !set->baselines.empty());
  for (const double yaw : {0.0, -30.0, 45.0, std::nan(""), HUGE_VAL}) fuzz::require(set->nearest(yaw).has_value());
  fuzz::require(decode<BaselineSet>(Json(*set)) == set);
  (void)Calibration::looksSlouched(set->baselines.front(), set);
  (void)Calibration::looksSlouched(Baseline{}, set);
  return 0;
}
