#include "core/accuracy_report.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "core/calibration.hpp"
#include "core/classifier.hpp"
#include "core/replay_schedule.hpp"
#include "core/score.hpp"
#include "core/skeleton_replay.hpp"

namespace kestrel::AccuracyReport {

namespace {

LabelClass classOf(HeadCause cause) {
  switch (cause) {
    case HeadCause::headForward:
      return LabelClass::headForward;
    case HeadCause::leanIn:
      return LabelClass::leanIn;
    case HeadCause::tooClose:
      return LabelClass::tooClose;
  }
  return LabelClass::unclear;
}

std::set<LabelClass> classSet(const std::vector<LabelClass>& labels) { return {labels.begin(), labels.end()}; }

std::vector<SkeletonFile::Frame> sortedFrames(const SkeletonFile& skeleton) {
  std::vector<SkeletonFile::Frame> frames = skeleton.frames;
  std::stable_sort(frames.begin(), frames.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
  return frames;
}

// The frames at the five calibration times from `start` (each the first frame at or after it).
std::vector<Measurements> calibrationFrames(const std::vector<SkeletonFile::Frame>& frames, double start) {
  std::vector<Measurements> picked;
  for (const double time : ReplaySchedule::calibrationTimes(start)) {
    if (const auto i = SkeletonReplay::frameAtOrAfter(frames, time)) picked.push_back(frames[*i].measurements);
  }
  return picked;
}

// Characters a UTF-8 text takes on a terminal (one per code point).
std::size_t width(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Columns two blanks apart: the first and those in `left` aligned left, the others right.
std::string table(const std::vector<std::vector<std::string>>& rows, const std::set<std::size_t>& left = {}) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()), 0);
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], width(row[i]));
  }
  std::string text;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      const std::string pad(widths[i] - width(row[i]), ' ');
      if (i > 0) line += "  ";
      line += i == 0 || left.contains(i) ? row[i] + pad : pad + row[i];
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + "\n";
  }
  return text;
}

// A whole percentage, rounded half up; "-" when nothing was counted.
std::string percent(std::int64_t part, std::int64_t whole) {
  const auto share = Score::percent(part, whole);
  return share ? std::to_string(*share) + "%" : "-";
}

std::string seconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace

std::vector<LabelClass> classes(const std::optional<SkipReason>& skip, const std::optional<HeadResult>& head,
                                const std::optional<HandVerdict>& hand) {
  std::set<LabelClass> said;
  if (skip) {
    said.insert(*skip == SkipReason::noFace ? LabelClass::away : LabelClass::unclear);
  } else if (head && head->verdict == HeadVerdict::good) {
    said.insert(LabelClass::good);
  } else if (head && head->verdict == HeadVerdict::bad && head->cause) {
    said.insert(classOf(*head->cause));
  } else {
    said.insert(LabelClass::unclear);
  }
  if (hand == HandVerdict::bad) said.insert(LabelClass::handAtChin);
  return {said.begin(), said.end()};
}

AgreementTable agreement(const std::vector<CheckLabel>& labels, const std::vector<ReplayedCheck>& checks) {
  AgreementTable result;
  for (const LabelClass label : allCases<LabelClass>()) result.rows.push_back(Agreement{label, 0, 0, 0});
  for (const auto& label : labels) {
    const auto check = std::find_if(checks.begin(), checks.end(), [&](const ReplayedCheck& c) {
      return c.video == label.video && std::abs(c.time - label.time) < 0.001;
    });
    if (check == checks.end()) {
      result.notReplayed.push_back(label);
      continue;
    }
    const auto labelled = classSet(label.labels);
    const auto said = classSet(classes(check->skip, check->head, check->hand));
    ++result.checks;
    if (labelled == said) ++result.exact;
    for (auto& row : result.rows) {
      const bool inLabels = labelled.contains(row.label);
      const bool inReplay = said.contains(row.label);
      if (inLabels) ++row.labelled;
      if (inLabels && inReplay) ++row.agreed;
      if (!inLabels && inReplay) ++row.alsoSaid;
    }
  }
  return result;
}

void RangeTally::add(const CheckResult& frame) {
  ++frames;
  if (frame.hand == HandVerdict::bad) ++handAtChin;
  if (frame.skip) {
    ++skipped[*frame.skip];
    return;
  }
  if (frame.head && frame.head->verdict == HeadVerdict::good) {
    ++good;
  } else if (frame.head && frame.head->verdict == HeadVerdict::bad && frame.head->cause) {
    switch (*frame.head->cause) {
      case HeadCause::headForward:
        ++headForward;
        break;
      case HeadCause::leanIn:
        ++leanIn;
        break;
      case HeadCause::tooClose:
        ++tooClose;
        break;
    }
  } else {
    ++inconclusive;
  }
}

std::vector<CheckResult> judgeFrames(const std::vector<SkeletonFile::Frame>& frames, double start, double end,
                                     const BaselineSet& baselines, const Thresholds& thresholds) {
  std::vector<const SkeletonFile::Frame*> inRange;
  for (const auto& frame : frames) {
    if (frame.time >= start && frame.time <= end) inRange.push_back(&frame);
  }
  std::stable_sort(inRange.begin(), inRange.end(), [](const auto* a, const auto* b) { return a->time < b->time; });
  const Classifier classifier{thresholds, baselines};
  BorrowMemory memory;
  std::vector<CheckResult> results;
  for (const auto* frame : inRange) {
    auto judged = classifier.classify(frame->measurements, CheckContext{}, memory, replayEpoch + frame->time);
    memory = std::move(judged.memory);
    results.push_back(std::move(judged.result));
  }
  return results;
}

std::vector<RangeTally> tallyRanges(const VideoIndex& index, const std::map<std::string, SkeletonFile>& skeletons,
                                    const BaselineSet& baselines, const Thresholds& thresholds) {
  std::vector<RangeTally> tallies;
  for (const FixtureLabel label : allCases<FixtureLabel>()) {
    if (expectation(label) == Expectation::labeled) continue;
    RangeTally tally;
    tally.label = label;
    for (const auto& range : index.ranges) {
      const auto skeleton = skeletons.find(range.video);
      if (range.label != label || skeleton == skeletons.end()) continue;
      ++tally.ranges;
      for (const auto& frame : judgeFrames(skeleton->second.frames, range.start, range.end, baselines, thresholds)) {
        tally.add(frame);
      }
    }
    if (tally.ranges > 0) tallies.push_back(tally);
  }
  return tallies;
}

Replays replayLabelled(const VideoIndex& index, const std::map<std::string, SkeletonFile>& skeletons,
                       const BaselineSet& baselines, const AppSettings& settings) {
  Replays replays;
  for (const auto& range : index.ranges) {
    const auto skeleton = skeletons.find(range.video);
    if (skeleton == skeletons.end()) continue;
    const bool labelled = std::any_of(index.labels.begin(), index.labels.end(), [&](const CheckLabel& label) {
      return label.video == range.video && label.time >= range.start && label.time <= range.end;
    });
    if (!labelled) continue;
    SkeletonReplay::Options options;
    options.epoch = replayEpoch;
    options.start = range.start;
    options.end = range.end;
    options.settings = settings;
    const auto sink = [&](const SkeletonReplay::Line& line, Instant at) {
      const auto* check = std::get_if<CheckLine>(&line);
      if (check == nullptr) return;
      replays.checks.push_back(ReplayedCheck{range.video, at - replayEpoch, check->skip, check->head, check->hand});
    };
    const auto result = SkeletonReplay::run(skeleton->second, baselines, options, sink);
    const std::string where = range.video + " " + seconds(range.start) + "\u2013" + seconds(range.end) + " s";
    if (const auto* tooShort = std::get_if<ReplaySchedule::TooShort>(&result)) {
      replays.notes.push_back(where + ": too short (" + std::to_string(tooShort->checks) + " checks)");
    } else if (std::holds_alternative<SkeletonReplay::NoFrames>(result)) {
      replays.notes.push_back(where + ": no frames");
    }
  }
  return replays;
}

std::variant<BaselineSet, std::string> calibrate(const VideoIndex& index,
                                                 const std::map<std::string, SkeletonFile>& skeletons,
                                                 const Thresholds& thresholds) {
  const auto framesOf = [&](FixtureLabel label) -> std::variant<std::vector<Measurements>, std::string> {
    const auto range = index.firstRange(label);
    const std::string name(toText(label));
    if (!range) return "no \"" + name + "\" range to calibrate with";
    const auto skeleton = skeletons.find(range->video);
    if (skeleton == skeletons.end()) return "the skeleton file of " + range->video + " (\"" + name + "\") is not ready";
    return calibrationFrames(sortedFrames(skeleton->second), range->start);
  };
  const auto sitting = framesOf(FixtureLabel::sitWellLaptop);
  if (const auto* error = std::get_if<std::string>(&sitting)) return *error;
  const auto leaning = framesOf(FixtureLabel::leanInFull);
  if (const auto* error = std::get_if<std::string>(&leaning)) return *error;

  const auto baseline =
      Calibration::baseline(std::get<std::vector<Measurements>>(sitting), ScreenRole::laptop, thresholds);
  if (const auto* failure = std::get_if<Calibration::Failure>(&baseline)) {
    return "sitting well: " + std::string(Calibration::message(*failure));
  }
  const auto reach =
      Calibration::reach(std::get<std::vector<Measurements>>(leaning), std::get<Baseline>(baseline), thresholds);
  if (const auto* failure = std::get_if<Calibration::Failure>(&reach)) {
    return "leaning in: " + std::string(Calibration::message(*failure));
  }
  return BaselineSet("FIXTURES", "fixtures", {std::get<Baseline>(baseline)}, std::get<Reach>(reach));
}

Thresholds checkThresholds(const AppSettings& settings) {
  return Thresholds().applying(settings.sensitivity).applying(settings.checkInterval);
}

std::string agreementText(const AgreementTable& table) {
  std::vector<std::vector<std::string>> rows{{"label", "labelled", "agreed", "agreement", "replay also said"}};
  for (const auto& row : table.rows) {
    rows.push_back({std::string(toText(row.label)), std::to_string(row.labelled), std::to_string(row.agreed),
                    percent(row.agreed, row.labelled), std::to_string(row.alsoSaid)});
  }
  rows.push_back({"every label of a check", std::to_string(table.checks), std::to_string(table.exact),
                  percent(table.exact, table.checks), ""});
  std::string text = AccuracyReport::table(rows);
  if (!table.notReplayed.empty()) {
    const auto& first = table.notReplayed.front();
    text += std::to_string(table.notReplayed.size()) + " label(s) without a replayed check, the first " + first.video +
            " at " + seconds(first.time) + " s\n";
  }
  return text;
}

std::string rangeText(const std::vector<RangeTally>& tallies) {
  std::vector<std::vector<std::string>> rows{{"pose", "expected", "ranges", "frames", "good", "head_forward",
                                              "lean_in", "too_close", "inconclusive", "skipped", "hand_at_chin",
                                              "skip reasons"}};
  for (const auto& t : tallies) {
    std::int64_t skipped = 0;
    std::string reasons;
    for (const auto& [reason, count] : t.skipped) {
      skipped += count;
      reasons += (reasons.empty() ? "" : ", ") + std::string(toText(reason)) + " " + std::to_string(count);
    }
    rows.push_back({std::string(toText(t.label)), std::string(toText(expectation(t.label))), std::to_string(t.ranges),
                    std::to_string(t.frames), std::to_string(t.good), std::to_string(t.headForward),
                    std::to_string(t.leanIn), std::to_string(t.tooClose), std::to_string(t.inconclusive),
                    std::to_string(skipped), std::to_string(t.handAtChin), reasons});
  }
  return table(rows, {1, rows.front().size() - 1});
}

}  // namespace kestrel::AccuracyReport
