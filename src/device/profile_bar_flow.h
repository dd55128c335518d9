// What the main window does behind the profile bar's buttons and combo: the
// questions, the list operations, the messages, and the device's switch to
// another profile or back to its defaults. Plain C++: the bar and the
// window's dialogs are reached through the two interfaces below.
#pragma once

#include <string>

namespace device {

class CVornelUSBDevice;

// The bar's list operations (results as profile::ProfileList gives them).
class ProfileBarOps {
  public:
    virtual ~ProfileBarOps() = default;
    virtual int AddProfile() = 0;
    virtual int CopyProfile() = 0;
    virtual int DeleteProfile() = 0;
    virtual int RenameProfile(const std::string& name) = 0;
    virtual bool SelectProfile(int index, bool notify) = 0;
    virtual bool ExportProfile(const std::string& path) const = 0;
    virtual int ImportProfile(const std::string& path, const std::string& name) = 0;
    virtual bool ResetProfile() = 0;
    virtual int GetSelectedIndex() const = 0;
    virtual std::string GetCurrentProfileUUID() const = 0;
    virtual std::string SelectedName() const = 0;
    virtual std::string GetNameEditText() const = 0;
    virtual void ResetNameEdit() = 0;
    virtual bool IsProfileMenuShown() const = 0;
    virtual void ShowProfileMenu(bool show) = 0;
};

// The window around the bar.
class ProfileBarShell {
  public:
    virtual ~ProfileBarShell() = default;
    // OK and Cancel; true for OK.
    virtual bool Ask(const std::string& textId) = 0;
    virtual void Inform(const std::string& textId) = 0;
    virtual void InformText(const std::string& text) = 0;
    // The text of an id in the current language.
    virtual std::string Translate(const std::string& textId) const = 0;
    // A chosen path; "" when the user cancelled.
    virtual std::string ChooseImportFile() = 0;
    virtual std::string ChooseExportFile(const std::string& suggestedName) = 0;
    virtual void ShowLoadingLayer(bool show) = 0;
    // The one-shot switch timer (the loading layer is painted before it fires).
    virtual void StartSwitchTimer() = 0;
    // After a reset: the device bar entry's keep-alive, the key page's
    // panel and buttons, the key-edit flag.
    virtual void AfterReset(CVornelUSBDevice& device) = 0;
};

class ProfileBarFlow {
  public:
    explicit ProfileBarFlow(ProfileBarShell& shell) : shell_(shell) {}

    // The buttons; `bar` is the current device's bar (null: nothing happens).
    void Add(ProfileBarOps* bar);
    void Copy(ProfileBarOps* bar);
    void Delete(ProfileBarOps* bar);
    void Rename(ProfileBarOps* bar);
    void Import(ProfileBarOps* bar);
    void Export(ProfileBarOps* bar);
    void ToggleMenu(ProfileBarOps* bar);
    // The combo's selection: the layer goes up and the timer switches.
    void OnProfileChosen();
    // Timer 1055: the device loads the bar's selection and is sent it.
    void SwitchProfile(CVornelUSBDevice* device, ProfileBarOps* bar);
    // "device_reset_btn".
    void Reset(CVornelUSBDevice* device, ProfileBarOps* bar);

    // A language text with one number in it: only the first "%d" is
    // replaced, and the text is never a format string.
    static std::string WithNumber(const std::string& text, long long number);

  private:
    void ReportMacros(int result);
    // The refusal of a list change the disk did not take.
    bool ReportListResult(int result);

    ProfileBarShell& shell_;
};

}  // namespace device
