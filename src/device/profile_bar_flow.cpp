#include "device/profile_bar_flow.h"

#include "device/usb_device.h"
#include "platform/debug_output.h"
#include "profile/profile_list.h"

namespace device {
namespace {

using profile::ProfileList;

constexpr const char* kListFull = "message_text_30";
constexpr const char* kWriteFailed = "profile_list_write_failed";

// The file name without folder and extension.
std::string Stem(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

}  // namespace

std::string ProfileBarFlow::WithNumber(const std::string& text, long long number) {
    const size_t at = text.find("%d");
    if (at == std::string::npos)
        return text;
    return text.substr(0, at) + std::to_string(number) + text.substr(at + 2);
}

bool ProfileBarFlow::ReportListResult(int result) {
    if (result == ProfileList::kListFull) {
        shell_.Inform(kListFull);
        return false;
    }
    if (result == ProfileList::kWriteFailed) {
        shell_.Inform(kWriteFailed);
        return false;
    }
    return result == ProfileList::kDone;
}

void ProfileBarFlow::Add(ProfileBarOps* bar) {
    if (bar == nullptr || !shell_.Ask("message_text_27"))
        return;
    ReportListResult(bar->AddProfile());
}

void ProfileBarFlow::Copy(ProfileBarOps* bar) {
    if (bar == nullptr || !shell_.Ask("message_text_32"))
        return;
    ReportListResult(bar->CopyProfile());
}

void ProfileBarFlow::Delete(ProfileBarOps* bar) {
    if (bar == nullptr || !shell_.Ask("message_text_29"))
        return;
    // 0: one profile left or none selected, which the button leaves alone.
    const int result = bar->DeleteProfile();
    if (result == ProfileList::kWriteFailed)
        shell_.Inform(kWriteFailed);
}

void ProfileBarFlow::Rename(ProfileBarOps* bar) {
    if (bar == nullptr)
        return;
    const std::string name = bar->GetNameEditText();
    const std::string refused = ProfileList::CheckRenameText(name);
    if (!refused.empty()) {
        shell_.Inform(refused);
        bar->ResetNameEdit();
        return;
    }
    switch (bar->RenameProfile(name)) {
        case ProfileList::kDone:
            break;
        case ProfileList::kNameTaken:
            shell_.Inform("message_text_5");
            bar->ResetNameEdit();
            break;
        case ProfileList::kNameBlank:
            shell_.Inform("message_text_5_2");
            bar->ResetNameEdit();
            break;
        default:
            shell_.Inform(kWriteFailed);
            bar->ResetNameEdit();
            break;
    }
}

void ProfileBarFlow::Import(ProfileBarOps* bar) {
    if (bar == nullptr)
        return;
    const std::string path = shell_.ChooseImportFile();
    if (path.empty())
        return;
    const std::string name = Stem(path);
    if (!ProfileList::CheckImportName(name).empty()) {
        shell_.Inform("message_text_36");
        return;
    }
    switch (bar->ImportProfile(path, name)) {
        case ProfileList::kDone:
            break;
        case -1:
            shell_.Inform("message_text_33");
            break;
        case ProfileList::kListFull:
            shell_.Inform(kListFull);
            break;
        case ProfileList::kNameTooLong:
            shell_.Inform("message_text_36");
            break;
        case ProfileList::kNotAProfile:
            // Said, not swallowed: the user chose this file on purpose.
            shell_.Inform("profile_import_refused");
            break;
        default:
            shell_.Inform(kWriteFailed);
            break;
    }
}

void ProfileBarFlow::Export(ProfileBarOps* bar) {
    if (bar == nullptr)
        return;
    const std::string path = shell_.ChooseExportFile(bar->SelectedName());
    if (path.empty())
        return;
    if (!bar->ExportProfile(path))
        shell_.Inform("profile_export_failed");
}

void ProfileBarFlow::ToggleMenu(ProfileBarOps* bar) {
    if (bar != nullptr)
        bar->ShowProfileMenu(!bar->IsProfileMenuShown());
}

void ProfileBarFlow::OnProfileChosen() {
    shell_.ShowLoadingLayer(true);
    shell_.StartSwitchTimer();
}

void ProfileBarFlow::ReportMacros(int result) {
    if (result == -1) {
        shell_.Inform("message_text_7");
    } else if (result != 0) {
        shell_.InformText(WithNumber(shell_.Translate("message_text_16"), result));
    }
}

void ProfileBarFlow::SwitchProfile(CVornelUSBDevice* device, ProfileBarOps* bar) {
    const int index = bar != nullptr ? bar->GetSelectedIndex() : -1;
    // Nothing to switch to: the layer must not stay over the page.
    if (device == nullptr || index < 0) {
        shell_.ShowLoadingLayer(false);
        return;
    }
    bar->SelectProfile(index, false);
    device->SetProfileName(bar->GetCurrentProfileUUID());
    device->LoadActiveProfile();
    device->ValidateMacroKeys();
    device->RefreshPage();
    device->SendLightRecord(0, 0, 0, 0, 0);
    ReportMacros(device->SendMacros(device->CollectMacroRefs()));
    device->SendStoredKeyAssignments(0);
    shell_.ShowLoadingLayer(false);
}

void ProfileBarFlow::Reset(CVornelUSBDevice* device, ProfileBarOps* bar) {
    shell_.ShowLoadingLayer(true);
    if (!shell_.Ask("message_text_22")) {
        shell_.ShowLoadingLayer(false);
        return;
    }
    if (device == nullptr || bar == nullptr) {
        shell_.ShowLoadingLayer(false);
        return;
    }
    if (!bar->ResetProfile()) {
        // The file on disk is what it was: sending "defaults" now would
        // leave the device and the profile disagreeing.
        shell_.ShowLoadingLayer(false);
        shell_.Inform("profile_reset_failed");
        return;
    }
    device->LoadActiveProfile();
    device->RefreshPage();
    device->SendLightRecord(0, 0, 0, 0, 0);
    device->ApplyCustomGroup();
    const int type = device->GetDeviceType();
    if (type == 1 || type == 2) {
        ReportMacros(device->SendMacros(device->CollectMacroRefs()));
        device->SendStoredKeyAssignments(0);
    }
    shell_.ShowLoadingLayer(false);
    shell_.AfterReset(*device);
}

}  // namespace device
