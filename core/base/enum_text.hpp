#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace kestrel {

// Fixed text forms of enumerations that reach a file or the log.
// Each enumeration specialises EnumTexts with a table of (case, text) pairs in case order:
//
//   template <> struct EnumTexts<HeadVerdict> {
//     static constexpr std::array table{std::pair{HeadVerdict::good, std::string_view{"GOOD"}}, ...};
//   };
//
// and then toText(case) and fromText<E>(text) work for it.
template <class E>
struct EnumTexts;

template <class E>
constexpr std::string_view toText(E value) {
  for (const auto& [e, text] : EnumTexts<E>::table) {
    if (e == value) return text;
  }
  return {};
}

// The case whose text form equals `text` exactly; absent for any other text.
template <class E>
constexpr std::optional<E> fromText(std::string_view text) {
  for (const auto& [e, t] : EnumTexts<E>::table) {
    if (t == text) return e;
  }
  return std::nullopt;
}

// Every case in declaration order.
template <class E>
constexpr auto allCases() {
  std::array<E, EnumTexts<E>::table.size()> cases{};
  for (std::size_t i = 0; i < cases.size(); ++i) cases[i] = EnumTexts<E>::table[i].first;
  return cases;
}

}  // namespace kestrel
