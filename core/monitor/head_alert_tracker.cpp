#include "core/monitor/head_alert_tracker.hpp"

#include <algorithm>

#include "core/judgement/head_chin_geometry.hpp"

namespace kestrel {

namespace {

template <class T>
void keepLast(std::vector<T>& list, std::int64_t length) {
  const auto limit = static_cast<std::size_t>(std::max<std::int64_t>(length, 0));
  if (list.size() > limit) list.erase(list.begin(), list.end() - static_cast<std::ptrdiff_t>(limit));
}

}  // namespace

void HeadAlertTracker::reset() {
  window.clear();
  clearWindow.clear();
  latestBadCause.reset();
  noEvidenceRun = 0;
  active = false;
}

std::optional<AlertChange> HeadAlertTracker::record(const std::optional<HeadResult>& result) {
  // The frames of the check disagreed: neither evidence nor the lack of it.
  if (result && result->reason == InconclusiveReason::mixed) return std::nullopt;

  if (!result || result->verdict == HeadVerdict::inconclusive) {
    ++noEvidenceRun;
    if (active && noEvidenceRun >= thresholds.noEvidenceChecks) {
      reset();
      return alert_change::Clear{ClearReason::noEvidence};
    }
    return std::nullopt;
  }

  noEvidenceRun = 0;
  window.push_back(result->verdict);
  keepLast(window, thresholds.headWindow);
  clearWindow.push_back(result->clearOK);
  keepLast(clearWindow, thresholds.headClearWindow);
  if (result->verdict == HeadVerdict::bad && result->cause) latestBadCause = result->cause;

  if (!active) {
    const auto bad = std::count(window.begin(), window.end(), HeadVerdict::bad);
    if (bad < thresholds.headBadToRaise || !latestBadCause) return std::nullopt;
    active = true;
    // Clearing needs fresh evidence gathered after the raise.
    clearWindow.clear();
    return alert_change::Raise{std::string(JawModule::headHint(*latestBadCause))};
  }

  const auto clear = std::count(clearWindow.begin(), clearWindow.end(), true);
  if (clear < thresholds.headClearNeeded) return std::nullopt;
  reset();
  return alert_change::Clear{ClearReason::recovered};
}

std::optional<AlertChange> HandAlertTracker::record(std::optional<HandVerdict> verdict) {
  if (verdict == HandVerdict::mixed) return std::nullopt;

  if (!verdict || verdict == HandVerdict::snoozed) {
    badRun = 0;
    goodRun = 0;
    ++noEvidenceRun;
    if (active && noEvidenceRun >= thresholds.noEvidenceChecks) {
      noEvidenceRun = 0;
      active = false;
      return alert_change::Clear{ClearReason::noEvidence};
    }
    return std::nullopt;
  }

  noEvidenceRun = 0;
  if (verdict == HandVerdict::bad) {
    ++badRun;
    goodRun = 0;
  } else {
    ++goodRun;
    badRun = 0;
  }

  if (!active && badRun >= thresholds.handBadRun) {
    active = true;
    return alert_change::Raise{std::string(JawModule::handHint)};
  }
  if (active && goodRun >= thresholds.handGoodRun) {
    badRun = 0;
    goodRun = 0;
    noEvidenceRun = 0;
    active = false;
    return alert_change::Clear{ClearReason::recovered};
  }
  return std::nullopt;
}

std::optional<AwayTracker::Change> AwayTracker::record(const CheckResult& check) {
  if (!check.skip) {
    run = 0;
    reason.reset();
    if (!isAway) return std::nullopt;
    isAway = false;
    return Off{};
  }
  switch (*check.skip) {
    case SkipReason::dark:
    case SkipReason::noFace:
    case SkipReason::faceTooSmall:
      ++run;
      reason = check.skip;
      if (isAway || run < thresholds.awayChecks) return std::nullopt;
      isAway = true;
      return On{*check.skip};
    case SkipReason::capturing:
    case SkipReason::cameraMissing:
    case SkipReason::cameraEffects:
    case SkipReason::multipleFaces:
    case SkipReason::yawOutOfRange:
      break;
  }
  // Says nothing about presence: the run is neither extended nor broken.
  return std::nullopt;
}

}  // namespace kestrel
