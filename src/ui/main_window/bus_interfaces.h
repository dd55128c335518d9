// What the main window says to other programs over the session bus, and
// what it listens to on the system bus.
#pragma once

namespace ui {

// Broadcasts (the lighting-state message): a signal
// Message(s name, t wParam, x lParam) where name is the registered
// message's string.
inline constexpr const char* kBroadcastPath = "/io/qx70/Broadcast";
inline constexpr const char* kBroadcastInterface = "io.qx70.Broadcast";

// The VoveDoda peer: a program owning this name receives the device report
// as CopyData(t senderPid, u dwData, ay data) with dwData 5 and 1024 bytes
// (256 little-endian 32-bit integers).
inline constexpr const char* kVoveDodaService = "io.qx70.VoveDoda";
inline constexpr const char* kVoveDodaPath = "/io/qx70/VoveDoda";
inline constexpr const char* kVoveDodaInterface = "io.qx70.VoveDoda";
inline constexpr unsigned kVoveDodaDataKind = 5;

}  // namespace ui
