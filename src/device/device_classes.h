// The four device classes. Their device-specific protocol and lighting grow
// in their own files; until then they keep the shared behaviour.
#pragma once

#include "device/profiled_device.h"

namespace device {

class CVornelKeyboardDevice : public ProfiledDevice<profile::CKeyboardProfiledata> {
  public:
    CVornelKeyboardDevice() : ProfiledDevice(1) {}
    ~CVornelKeyboardDevice() override { ShutdownThreads(); }
    std::string GetClass() const override { return "VornelKeyboardDevice"; }
    void SetLightControl(int state) override;

  protected:
    bool UsesDeviceIndex() const override { return true; }
};

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
