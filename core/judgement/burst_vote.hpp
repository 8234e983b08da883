#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/judgement/verdict.hpp"

// Folds the per-frame results of one check into the check's result, so that a single odd frame
// (a blink, a turn of the head, a hand passing) neither raises nor clears anything: `majority`
// frames must agree, or every frame that saw the user, if at least two did.
namespace kestrel::BurstVote {

CheckResult combine(const std::vector<CheckResult>& results, std::int64_t majority);

HeadResult head(const std::vector<HeadResult>& heads, std::int64_t majority);

// Absent when the frames give no hand verdict for the check.
std::optional<HandVerdict> hand(const std::vector<HandVerdict>& hands, std::int64_t majority);

// The most frequent cause; among equally frequent ones, the one seen first. Absent when empty.
std::optional<HeadCause> commonest(const std::vector<HeadCause>& causes);

}  // namespace kestrel::BurstVote
