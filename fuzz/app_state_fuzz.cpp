// Feeds arbitrary bytes to the state file. Besides not crashing: the strict reading gives
// either nothing or what the lenient one gives, and a state read back from its own JSON is
// the same state.

#include "core/log/app_state.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const AppStateStore store{fuzz::scratchFile("state.json", fuzz::text(data, size))};
  const AppState state = store.load();
  const auto strict = store.loadStrict();
  if (strict) fuzz::require(*strict == state);
  if (!strict) fuzz::require(state == AppState());

  const Json written(state);
  (void)written.dump();  // what saving writes
  fuzz::require(decode<AppState>(written) == state);
  return 0;
}
