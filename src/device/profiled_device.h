// A device object with its profile data of type P, owned by value. Holds the
// profile wiring every device class shares: the default data path, the
// profile and lighting configuration paths, saving.
#pragma once

#include "device/usb_device.h"

namespace device {

template <typename P>
class ProfiledDevice : public CVornelUSBDevice {
  public:
    explicit ProfiledDevice(int defaultDeviceType) : CVornelUSBDevice(defaultDeviceType) {}
    ~ProfiledDevice() override { ShutdownThreads(); }

    P& Profile() { return profile_; }
    const P& Profile() const { return profile_; }

    void BindProfilePaths() override {
        profile_.SetDefaultDataPath(DefaultDataFile());
        profile_.SetProfilePath(ProfileFile());
        profile_.SetLightConfigPath(LightConfigFile());
    }
    std::string GetProfilePathOf() const override { return profile_.GetProfilePath(); }
    void SaveProfile() override { profile_.Save(); }
    // Only the keyboard keeps several records in one profile file; the other
    // devices always use the file's first record.
    void SetDeviceIndex(int index) override {
        CVornelUSBDevice::SetDeviceIndex(index);
        profile_.SetDeviceIndex(UsesDeviceIndex() ? index : 0);
    }

  protected:
    virtual bool UsesDeviceIndex() const { return false; }
    P profile_;
};

}  // namespace device
