// The four device classes. Their device-specific protocol and lighting grow
// in their own files (the keyboard: keyboard_device.h); until then they keep
// the shared behaviour.
#pragma once

#include "device/keyboard_device.h"
#include "device/profiled_device.h"

namespace device {

class CVornelMouseDevice : public ProfiledDevice<profile::CMouseProfiledata> {
  public:
    CVornelMouseDevice() : ProfiledDevice(2) {}
    ~CVornelMouseDevice() override { ShutdownThreads(); }
    std::string GetClass() const override { return "VornelMouseDevice"; }
};

// Mouse pad and headset report their events as consumer usages.
template <typename P>
class ConsumerEventDevice : public ProfiledDevice<P> {
  public:
    using ProfiledDevice<P>::ProfiledDevice;
    uint16_t EventCodeOf(const uint8_t* report, size_t length) override;

  protected:
    const char* EventThreadExitText() const override { return "MS设备同步线程设定退出"; }
};

class CVornelMousePadDevice : public ConsumerEventDevice<profile::CBasicProfiledata> {
  public:
    CVornelMousePadDevice() : ConsumerEventDevice(3) {}
    ~CVornelMousePadDevice() override { ShutdownThreads(); }
    std::string GetClass() const override { return "VornelMousePadDevice"; }
};

class CVornelRI6533Device : public ConsumerEventDevice<profile::CRi6533Profiledata> {
  public:
    CVornelRI6533Device() : ConsumerEventDevice(7) {}
    ~CVornelRI6533Device() override { ShutdownThreads(); }
    std::string GetClass() const override { return "VornelRI6533Device"; }
};

}  // namespace device
