// The window's message queue as the HID layer's worker threads see it.
#pragma once

#include "hid/window_message_sink.h"

namespace ui {

class Window;

class WindowMessageAdapter : public hid::WindowMessageSink {
  public:
    explicit WindowMessageAdapter(Window* window);
    ~WindowMessageAdapter() override;

    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam,
                  const platform::StopEvent* abandonOn) override;
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

  private:
    // Only dereferenced by the queue calls, which are thread-safe; the owner
    // keeps the window alive until its worker threads were joined.
    Window* window_;
};

}  // namespace ui
