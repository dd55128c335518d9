// The key page's routes: key selection, the function controls, the four
// buttons, single-key capture and the write to the device. The host gives
// the current keyboard, its key page and the window's services.
#pragma once

#include <QString>

class QWidget;

#include "pages/key_save_flow.h"
#include "pages/page_hooks.h"

namespace device {
class CVornelKeyboardDevice;
}

namespace ui {

class CKeySetControlUI;

class KeyPageHost {
  public:
    virtual ~KeyPageHost() = default;
    // Null when the current device is not a keyboard (or there is none).
    virtual device::CVornelKeyboardDevice* CurrentKeyboard() = 0;
    // The current keyboard's key page, bound; null when its page has none.
    virtual CKeySetControlUI* CurrentKeyPage() = 0;
    virtual void BarLock(bool bars, bool enabled) = 0;
    // Shows a message (already translated) and waits for the user.
    virtual void ShowMessageText(const QString& text) = 0;
};

class KeyPageHooks : public pages::PageHooks {
  public:
    explicit KeyPageHooks(KeyPageHost& host) : host_(host) {}
    bool Handle(const pages::RouteEvent& event) override;

    // The page's assignment onto the selected key: key list, profile (in
    // memory), key captions; the three buttons go on.
    void Apply();
    // "key_butt_prosave". The outcome is also shown to the user.
    pages::KeySaveOutcome SaveToDevice();

  private:
    KeyPageHost& host_;
};

// The key page under a device page, bound on first use; null when none.
CKeySetControlUI* FindKeyPage(QWidget* page);

}  // namespace ui
