// The function tab options of a profile bar: which page type each option
// selects, and which options a device type shows or hides.
#pragma once

#include <array>
#include <optional>

namespace pages {

inline constexpr int kFunctionTabCount = 9;

// Option names in page-type order: type t is kFunctionTabNames[t - 1].
extern const std::array<const char*, kFunctionTabCount> kFunctionTabNames;

// What a device type does to one option; nullopt keeps the layout's choice.
std::optional<bool> FunctionTabShown(int deviceType, int type);

// The options' marks for SelectTabOption(type): only `type` marked, or none
// for a type outside 1..9.
std::array<bool, kFunctionTabCount> FunctionTabMarks(int type);

}  // namespace pages
