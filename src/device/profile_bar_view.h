// The profile bar of a device page as the device object sees it, without
// Qt: the device fills it when its page is built and takes the selected
// profile from it. src/ui implements it over the real bar.
#pragma once

#include <string>
#include <vector>

namespace device {

class ProfileBarView {
  public:
    virtual ~ProfileBarView() = default;
    virtual void SetDeviceType(int type) = 0;
    // `profileDir` ends with '/'.
    virtual void SetProfilePaths(const std::string& profileDir,
                                 const std::string& defaultDataFile) = 0;
    // Fills the bar from the list file; false when a needed write failed.
    virtual bool LoadProfileList() = 0;
    // Marks the function tab of page `type` (1..9), none for another value.
    virtual void SelectTabOption(int type) = 0;
    // The selected profile's identifier; "" when none.
    virtual std::string GetCurrentProfileUUID() const = 0;
    // The files of every profile in the list, the selected one included.
    virtual std::vector<std::string> ProfileFilePaths() const = 0;
};

}  // namespace device
