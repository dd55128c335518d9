// Message numbers the framework itself delivers or understands. They keep the
// numbers the rest of the program was written against.
#pragma once

#include <cstdint>

namespace ui {

inline constexpr uint32_t kWmDestroy = 0x0002;
inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmSysCommand = 0x0112;
inline constexpr uint32_t kWmTimer = 0x0113;
inline constexpr uint32_t kWmLButtonUp = 0x0202;  // 514
inline constexpr uint32_t kWmRButtonUp = 0x0205;  // 517
inline constexpr uint32_t kWmUser = 0x0400;
inline constexpr uint32_t kTrayNotifyMessage = kWmUser + 1;  // 1025

inline constexpr uintptr_t kScRestore = 0xF120;
inline constexpr uintptr_t kScMinimize = 0xF020;
inline constexpr uintptr_t kScMaximize = 0xF030;
inline constexpr uintptr_t kScClose = 0xF060;

}  // namespace ui
