#include "macro/mouse_event_table.h"

#include <array>

namespace macro {
namespace {

constexpr uint16_t kXDown = 0x20B;
constexpr uint16_t kXUp = 0x20C;
constexpr size_t kPlainButtonRows = 6;  // left, right, middle: found by message alone

// clang-format off
constexpr std::array<MouseEventRow, kMouseEventRowCount> kRows = {{
    {0x201, 0x10, 0x01, 0x81, 1, "mouse_key_left"},
    {0x202, 0x10, 0x01, 0x01, 1, "mouse_key_left"},
    {0x204, 0x10, 0x02, 0x81, 3, "mouse_key_right"},
    {0x205, 0x10, 0x02, 0x01, 3, "mouse_key_right"},
    {0x207, 0x10, 0x04, 0x81, 2, "mouse_key_middle"},
    {0x208, 0x10, 0x04, 0x01, 2, "mouse_key_middle"},
    {kXDown, 0x10, 0x10, 0x81, 9, "mouse_key_forward"},
    {kXUp, 0x10, 0x10, 0x01, 9, "mouse_key_forward"},
    {kXDown, 0x10, 0x08, 0x81, 8, "mouse_key_back"},
    {kXUp, 0x10, 0x08, 0x01, 8, "mouse_key_back"},
    {0x004, 0x15, 0, 0x84, 0, "mouse_move_to_left_text"},
    {0x004, 0x15, 0, 0x04, 0, "mouse_move_to_right_text"},
    {0x005, 0x15, 0, 0x85, 0, "mouse_move_to_up_text"},
    {0x005, 0x15, 0, 0x05, 0, "mouse_move_to_down_text"},
    {0x20A, 0x12, 0, 0x00, 0, "mouse_cursor_text"},
}};
// clang-format on

}  // namespace

std::span<const MouseEventRow, kMouseEventRowCount> MouseEventTable() {
    return kRows;
}

std::optional<size_t> FindMouseButtonRow(int xButton, bool down) {
    if (xButton <= 0)
        return std::nullopt;
    for (size_t i = 0; i < kRows.size(); ++i) {
        if (kRows[i].xButton == xButton && IsDown(kRows[i]) == down)
            return i;
    }
    return std::nullopt;
}

std::optional<size_t> FindMouseMessageRow(uint16_t message, int xButtonWord) {
    for (size_t i = 0; i < kPlainButtonRows; ++i) {
        if (kRows[i].message == message)
            return i;
    }
    if (message != kXDown && message != kXUp)
        return std::nullopt;
    size_t pair = 0;
    if (xButtonWord == 2)
        pair = 6;
    else if (xButtonWord == 1)
        pair = 8;
    else
        return std::nullopt;
    return message == kXDown ? pair : pair + 1;
}

}  // namespace macro
