#pragma once

#include <filesystem>
#include <optional>

#include "core/model/baseline.hpp"

namespace kestrel {

// The file "baselines.json": the calibration in force.
struct BaselineStore {
  std::filesystem::path url;

  // The stored calibration when it decodes, has the current schema and holds at least one
  // baseline; absent otherwise, which means not calibrated.
  std::optional<BaselineSet> load() const;
  // Writes the set atomically; throws on failure.
  void save(const BaselineSet& set) const;
};

}  // namespace kestrel
