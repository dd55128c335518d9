// Registered messages: a process-wide table giving each message string a
// number in 0xC000..0xFFFF. The same string (compared without case) always
// gets the same number, and the number is derived from the string, so two
// copies of the program agree on it as long as neither saw a collision.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

inline constexpr uint32_t kRegisteredMessageFirst = 0xC000;
inline constexpr uint32_t kRegisteredMessageLast = 0xFFFF;

// 0 for an empty string or when the range is exhausted.
uint32_t RegisterWindowMessage(std::string_view name);
// The number of an already registered string; 0 when it was never registered.
uint32_t FindRegisteredMessage(std::string_view name);
// The string a number was registered from; empty when unknown.
std::string RegisteredMessageName(uint32_t message);

}  // namespace ui
