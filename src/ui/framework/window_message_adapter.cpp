#include "ui/framework/window_message_adapter.h"

#include "ui/framework/window.h"

namespace ui {

WindowMessageAdapter::WindowMessageAdapter(Window* window) : window_(window) {}
WindowMessageAdapter::~WindowMessageAdapter() = default;

intptr_t WindowMessageAdapter::Send(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                    const platform::StopEvent* abandonOn) {
    return window_ != nullptr ? window_->Send(message, wParam, lParam, abandonOn) : 0;
}

void WindowMessageAdapter::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window_ != nullptr)
        window_->Post(message, wParam, lParam);
}

}  // namespace ui
