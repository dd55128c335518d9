// The lighting page's routes: every user change on the lighting page of the
// current device becomes one field edit that the device carries out
// (device/light_change.h); the music colour inputs on the same page become
// a new set of music colours. The page shows the outcome, since the device
// refreshes it after each change.
#pragma once

#include <functional>

#include "pages/page_hooks.h"

class QWidget;

namespace device {
class CVornelUSBDevice;
}

namespace ui {

class CLightControlUI;

class LightingPageHooks : public pages::PageHooks {
  public:
    // The current device and its page, asked afresh for every event (null
    // when there is none).
    using CurrentFn = std::function<device::CVornelUSBDevice*()>;
    using PageFn = std::function<QWidget*(device::CVornelUSBDevice*)>;
    LightingPageHooks(CurrentFn current, PageFn pageOf);

    bool Handle(const pages::RouteEvent& event) override;

  private:
    bool HandleMusic(const pages::RouteEvent& event, device::CVornelUSBDevice* device,
                     CLightControlUI* page);

    CurrentFn current_;
    PageFn pageOf_;
};

}  // namespace ui
