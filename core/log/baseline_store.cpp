#include "core/log/baseline_store.hpp"

#include "core/base/file_io.hpp"

namespace kestrel {

std::optional<BaselineSet> BaselineStore::load() const {
  const auto bytes = readFile(url);
  if (!bytes) return std::nullopt;
  auto set = decodeText<BaselineSet>(*bytes);
  if (!set || set->schema != BaselineSet::currentSchema || set->baselines.empty()) return std::nullopt;
  return set;
}

void BaselineStore::save(const BaselineSet& set) const { writeJSON(Json(set), url); }

}  // namespace kestrel
