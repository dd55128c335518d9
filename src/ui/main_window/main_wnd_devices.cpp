// The main window's device bar: one battery widget, page, device object and
// entry per device model, entry states, selection and its backgrounds, the
// entries' link notices, the scroll buttons and the bar lock.
#include <QBoxLayout>
#include <QComboBox>
#include <QLayout>
#include <QStackedWidget>

#include "device/device_classes.h"
#include "device/device_models.h"
#include "device/keyboard_light_driver.h"
#include "platform/debug_output.h"
#include "profile/profile_list.h"
#include "ui/controls/background_image.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/skin.h"
#include "ui/main_window/macro_recording.h"
#include "ui/main_window/main_wnd.h"
#include "ui/pages/device_option_ui.h"
#include "ui/pages/device_page_adapter.h"
#include "ui/pages/device_profile_ui.h"
#include "ui/pages/light_control_ui.h"
#include "ui/pages/mp_device_power_ui.h"

namespace ui {
namespace {

constexpr const char* kPowerWidgetLayout = "XML/CustomControlXML/MpDevicePower.ui";
constexpr const char* kKeyboardBackground = "file='main/background_kb.png'";
constexpr const char* kMouseBackground = "file='main/background_ms.png'";

std::unique_ptr<device::CVornelUSBDevice> MakeDevice(int row) {
    switch (row) {
        case 0:
            return std::make_unique<device::CVornelKeyboardDevice>();
        case 1:
            return std::make_unique<device::CVornelMouseDevice>();
        case 2:
            return std::make_unique<device::CVornelMousePadDevice>();
        case 3:
            return std::make_unique<device::CVornelRI6533Device>();
        default:
            return nullptr;
    }
}

}  // namespace

profile::CBasicProfiledata* ProfileOf(device::CVornelUSBDevice* d) {
    if (auto* k = dynamic_cast<device::CVornelKeyboardDevice*>(d))
        return &k->Profile();
    if (auto* m = dynamic_cast<device::CVornelMouseDevice*>(d))
        return &m->Profile();
    if (auto* p = dynamic_cast<device::CVornelMousePadDevice*>(d))
        return &p->Profile();
    if (auto* h = dynamic_cast<device::CVornelRI6533Device*>(d))
        return &h->Profile();
    return nullptr;
}

std::array<int32_t, 256> BuildVoveDodaReport() {
    std::array<int32_t, 256> report{};
    report[0] = 2;
    report[1] = 3;
    report[2] = 0;
    report[3] = 2;
    report[4] = static_cast<int32_t>(device::kDeviceModels.size());
    for (size_t i = 0; i < device::kDeviceModels.size(); ++i) {
        const device::DeviceModel& m = device::kDeviceModels[i];
        report[5 + 3 * i] = m.vendorId;
        report[6 + 3 * i] = m.productId;
        report[7 + 3 * i] = m.deviceType;
    }
    return report;
}

const CMainWnd::DeviceRow* CMainWnd::RowAt(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) ? &rows_[static_cast<size_t>(row)]
                                                            : nullptr;
}

device::CVornelUSBDevice* CMainWnd::DeviceOfRow(int row) const {
    const DeviceRow* r = RowAt(row);
    return r != nullptr ? r->device.get() : nullptr;
}

CDeviceOptionUI* CMainWnd::EntryOfRow(int row) const {
    const DeviceRow* r = RowAt(row);
    return r != nullptr ? r->entry.data() : nullptr;
}

QWidget* CMainWnd::PageOfRow(int row) const {
    const DeviceRow* r = RowAt(row);
    return r != nullptr ? r->page.data() : nullptr;
}

CMpDevicePowerUI* CMainWnd::PowerOfRow(int row) const {
    const DeviceRow* r = RowAt(row);
    return r != nullptr ? r->power.data() : nullptr;
}

device::CVornelUSBDevice* CMainWnd::CurrentDevice() const {
    return lifecycle_.CurrentDevice();
}

std::vector<CDeviceOptionUI*> CMainWnd::BarEntries() const {
    std::vector<CDeviceOptionUI*> entries;
    QWidget* bar = FindControl(QStringLiteral("device_select_layout"));
    if (bar == nullptr || bar->layout() == nullptr)
        return entries;
    QLayout* layout = bar->layout();
    for (int i = 0; i < layout->count(); ++i) {
        if (auto* entry = qobject_cast<CDeviceOptionUI*>(layout->itemAt(i)->widget()))
            entries.push_back(entry);
    }
    return entries;
}

void CMainWnd::CreateOptionAndPage(int slotIndex) {
    const hid::DeviceSlot slot = slots_.Get(static_cast<size_t>(slotIndex));
    uint16_t vendor = slot.vendorId;
    uint16_t product = slot.productId;
    uint16_t type = slot.deviceType;
    // A device behind the receiver takes the identity of its wired partner.
    if (type == hid::kDeviceKeyboardViaReceiver || type == hid::kDeviceMouseViaReceiver) {
        const bool keyboard = type == hid::kDeviceKeyboardViaReceiver;
        type = keyboard ? hid::kDeviceKeyboard : hid::kDeviceMouse;
        if (slot.linked) {
            const hid::DeviceSlot partner = slots_.Get(
                static_cast<size_t>(keyboard ? slot.keyboardPartner : slot.mousePartner));
            vendor = partner.vendorId;
            product = partner.productId;
        }
    }
    const int row = device::FindDeviceModel(vendor, product, type, 0);
    if (row < 0 || rows_[static_cast<size_t>(row)].entry)
        return;
    const device::DeviceModel& model = device::kDeviceModels[static_cast<size_t>(row)];
    auto* deviceSwitch =
        qobject_cast<QStackedWidget*>(FindControl(QStringLiteral("device_switch")));
    auto* powerSwitch =
        qobject_cast<QStackedWidget*>(FindControl(QString::fromLatin1(model.powerSwitch)));
    QWidget* bar = FindControl(QStringLiteral("device_select_layout"));
    if (deviceSwitch == nullptr || bar == nullptr || bar->layout() == nullptr)
        return;

    QWidget* built = BuildLayout(QString::fromLatin1(model.optionLayout), nullptr);
    auto* entry = qobject_cast<CDeviceOptionUI*>(built);
    if (entry == nullptr) {
        delete built;
        return;
    }
    QWidget* page = BuildLayout(QString::fromLatin1(model.pageLayout), deviceSwitch);
    if (page == nullptr) {
        delete entry;
        return;
    }
    CMpDevicePowerUI* power = nullptr;
    if (powerSwitch != nullptr) {
        QWidget* widget = BuildLayout(QString::fromLatin1(kPowerWidgetLayout), powerSwitch);
        power = qobject_cast<CMpDevicePowerUI*>(widget);
        if (power == nullptr)
            delete widget;
        else
            power->SetWidgetKind(model.deviceType, model.variant);
    }

    DeviceRow& r = rows_[static_cast<size_t>(row)];
    r.page = page;
    r.power = power;
    r.entry = entry;
    r.device = MakeDevice(row);
    device::CVornelUSBDevice& d = *r.device;
    auto* keyboard = dynamic_cast<device::CVornelKeyboardDevice*>(&d);
    if (keyboard != nullptr) {
        auto adapter = std::make_unique<KeyboardPageAdapter>(page);
        adapter->SetPowerWidget(power);
        keyboard->SetKeyboardView(adapter.get());
        r.pageView = std::move(adapter);
    } else {
        r.pageView = std::make_unique<DevicePageAdapter>(page);
    }
    d.SetPageLayoutName(model.pageLayout);
    d.SetMainWindow(this);
    d.SetKeyButtonCount(model.keyButtonCount);
    d.SetLedCount(model.ledCount);
    d.SetModelRow(row);
    d.SetBatteryWidgetEnabled(model.batteryWidget);
    d.SetProfileName(profileName_);
    d.SetDeviceFolder(model.kindName);
    d.SetPowerWidget(power);
    d.SetSlotRecord(slot);
    d.SetDeviceIndex(model.deviceIndex);
    d.SetLightConfigName(model.lightConfigName);
    d.SetPageView(r.pageView.get());
    if (keyboard != nullptr) {
        r.lighting = std::make_unique<device::KeyboardLightingDriver>(*keyboard);
        r.lighting->SetPageView(r.pageView.get());
        static_cast<KeyboardPageAdapter*>(r.pageView.get())
            ->SetPresetLists(&r.lighting->NameLists());
    }
    // The page's profile bar: BuildPage (in InitPage) loads its list and the
    // device starts on the profile it selects (a first run creates "profile1").
    d.SetProfileBar(qobject_cast<CDeviceProfileUI*>(
        FindSubControlByName(page, QStringLiteral("DeviceProfileItem"))));
    d.InitPage();
    d.BindProfilePaths();
    d.LoadActiveProfile();
    d.SetLightControl(lightControl_);

    // Entries go in model order, before the bar's closing spacer.
    auto* box = qobject_cast<QBoxLayout*>(bar->layout());
    const int count = bar->layout()->count();
    const bool spacerLast = count > 0 && bar->layout()->itemAt(count - 1)->spacerItem() != nullptr;
    if (box != nullptr)
        box->insertWidget(spacerLast ? count - 1 : count, entry);
    else
        bar->layout()->addWidget(entry);
    entry->SetGroup(QString::fromLatin1(model.tabHeader));
    entry->BindTab(QStringLiteral("device_switch"), deviceSwitch->indexOf(page));
    const QString powerName = QString::fromLatin1(model.powerSwitch);
    entry->SetPowerPage(
        &powerName, powerSwitch != nullptr && power != nullptr ? powerSwitch->indexOf(power) : -1);
    entry->SetKind(model.deviceType, model.variant);
    entry->SetNameText(QString::fromLatin1(model.kindName));
    entry->SetPreviewPanel(r.pageView->SelectPanel());
    entry->SetSynchroVisible(false);
    entry->SetVisible(false);
    entry->SetDevice(&d);
    lifecycle_.BindModel(row, &d, entry);
}

void CMainWnd::SetEntryState(int row, bool visible, bool select) {
    if (CDeviceOptionUI* entry = EntryOfRow(row)) {
        entry->SetVisible(visible);
        if (select) {
            QWidget* tabs = FindControl(entry->GetTabName());
            if (tabs == nullptr || entry->GetTabIndex() < 0)
                return;
            SetControlCurrentIndex(tabs, entry->GetTabIndex());
            QWidget* power = FindControl(entry->GetPowerLayoutName());
            if (power == nullptr)
                return;
            if (entry->GetPowerIndex() < 0) {
                power->hide();
            } else {
                power->show();
                SetControlCurrentIndex(power, entry->GetPowerIndex());
            }
            entry->Select(true);
        }
    }
    int shown = 0;
    int synchro = 0;
    const std::vector<CDeviceOptionUI*> entries = BarEntries();
    for (CDeviceOptionUI* e : entries) {
        if (e->IsShown()) {
            ++shown;
            if (e->IsSynchroSelected())
                ++synchro;
        }
    }
    QWidget* noDevice = FindControl(QStringLiteral("No_device_Link"));
    if (shown > 0) {
        SetControlVisible(noDevice, false);
    } else {
        SetControlVisible(noDevice, true);
        SetControlCurrentIndex(FindControl(QStringLiteral("device_power_switch")), 0);
        SetControlCurrentIndex(FindControl(QStringLiteral("device_switch")), 0);
    }
    // The lighting pages show the same-effect button only with several
    // devices connected.
    for (const DeviceRow& r : rows_) {
        if (CLightControlUI* light = LightPageOf(r.page))
            light->SetMultiDevice(shown > 1);
    }
    if (synchro < 2) {
        for (CDeviceOptionUI* e : entries) {
            if (e->IsSynchroSelected())
                e->SetSynchroSelected(false);
        }
    }
}

void CMainWnd::RefreshNoDeviceIndicator() {
    SetControlVisible(FindControl(QStringLiteral("No_device_Link")), !lifecycle_.AnyEntryShown());
}

void CMainWnd::OnSelectedDeviceLost() {
    CloseChildWindows();
    // A recording of the lost device is stopped and saved whatever the key
    // edit flag says: its stop button is on a page that is no longer shown.
    macroRecording_->StopAll();
    if (keyEdit_) {
        Send(kMsgKeyCaptureHook, 0, 0);
    }
    BarLock(true, true);
}

void CMainWnd::OnEntryNotice(int row, int linkUp) {
    CDeviceOptionUI* entry = EntryOfRow(row);
    if (entry == nullptr)
        return;
    if (linkUp == 0) {
        int other = -1;
        if (entry->IsShown() && entry->IsSelected()) {
            OnSelectedDeviceLost();
            for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
                CDeviceOptionUI* e = EntryOfRow(i);
                if (i != row && e != nullptr && e->IsShown()) {
                    other = i;
                    break;
                }
            }
        }
        SetEntryState(row, false, false);
        if (other >= 0)
            SetEntryState(other, true, true);
        platform::DebugOutput("2.4gcesvdfherhue 1");
        return;
    }
    const bool noneShown = !lifecycle_.AnyEntryShown();
    if (!entry->IsShown())
        SetEntryState(row, true, noneShown);
}

void CMainWnd::OnDeviceBarSelected(CDeviceOptionUI* entry) {
    if (entry == nullptr || !entry->IsSelected())
        return;
    const std::vector<CDeviceOptionUI*> entries = BarEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == entry)
            selectedIndex_ = static_cast<int>(i);
    }
    selectedKind_ = entry->GetKind();
    selectedVariant_ = entry->GetVariant();
    if (device::CVornelUSBDevice* d = entry->GetDevice()) {
        const int type = d->GetSlotRecord().deviceType;
        QWidget* page = PageOfRow(d->GetModelRow());
        auto* functions = qobject_cast<QComboBox*>(
            FindSubControlByName(page, QStringLiteral("keyset_function_combo")));
        const int item8 = functions != nullptr ? functions->findText(QStringLiteral("8")) : -1;
        if (type == hid::kDeviceKeyboard) {
            SetRootBackground(QString::fromLatin1(kKeyboardBackground));
            if (item8 >= 0)
                functions->setItemData(item8, QVariant(), Qt::UserRole - 1);
        } else if (type == hid::kDeviceMouse) {
            SetRootBackground(QString::fromLatin1(kMouseBackground));
            if (item8 >= 0)
                functions->setItemData(item8, 0, Qt::UserRole - 1);
        }
        if ((type == hid::kDeviceKeyboard || type == hid::kDeviceMouse) &&
            d->IsCommandChannelOpen() && d->CommandChannel().ReceiverMode() && d->IsLinkUp()) {
            d->CommandChannel().SetReceiverTarget(
                type == hid::kDeviceKeyboard ? hid::kTargetKeyboard : hid::kTargetMouse);
        }
    }
    QWidget* power = FindControl(entry->GetPowerLayoutName());
    if (power == nullptr)
        return;
    if (entry->GetPowerIndex() < 0) {
        power->hide();
    } else {
        power->show();
        SetControlCurrentIndex(power, entry->GetPowerIndex());
    }
}

void CMainWnd::SetRootBackground(const QString& image) {
    SetBackgroundImage(Root(), image);
}

void CMainWnd::ScrollDeviceBar(bool next) {
    const std::vector<CDeviceOptionUI*> entries = BarEntries();
    int selected = -1;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i]->IsShown() && entries[i]->IsSelected()) {
            selected = static_cast<int>(i);
            break;
        }
    }
    if (selected < 0)
        return;
    CDeviceOptionUI* target = nullptr;
    if (next) {
        for (size_t i = static_cast<size_t>(selected) + 1; i < entries.size() && target == nullptr;
             ++i) {
            if (entries[i]->IsShown())
                target = entries[i];
        }
    } else {
        for (int i = selected - 1; i >= 0 && target == nullptr; --i) {
            if (entries[static_cast<size_t>(i)]->IsShown())
                target = entries[static_cast<size_t>(i)];
        }
    }
    if (target == nullptr)
        return;
    for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
        if (EntryOfRow(row) == target)
            SetEntryState(row, true, true);
    }
}

void CMainWnd::BarLock(bool bars, bool enabled) {
    device::CVornelUSBDevice* current = CurrentDevice();
    QWidget* page = current != nullptr ? PageOfRow(current->GetModelRow()) : nullptr;
    if (bars) {
        SetControlEnabled(FindControl(QStringLiteral("device_select_layout")), enabled);
        SetControlEnabled(FindSubControlByName(page, QStringLiteral("DeviceProfileItem")), enabled);
    }
    const int type = current != nullptr ? current->GetDeviceType() : 0;
    if (type == hid::kDeviceKeyboard || type == hid::kDeviceKeyboardViaReceiver ||
        type == hid::kDeviceMouse || type == hid::kDeviceMouseViaReceiver) {
        for (const char* name : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"})
            SetControlEnabled(FindSubControlByName(page, QString::fromLatin1(name)), !enabled);
    }
    keyEdit_ = enabled;
}

void CMainWnd::ShowLoadingLayer(bool show) {
    QWidget* loading = FindControl(QStringLiteral("Loading_Layout"));
    QWidget* dark = FindControl(QStringLiteral("dark_device_bk"));
    if (loading == nullptr || dark == nullptr)
        return;
    loading->setVisible(show);
    dark->setVisible(show);
}

}  // namespace ui
