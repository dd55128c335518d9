#include "window_test_support.h"

#include "hid/hid_backend.h"
#include "ui/framework/skin.h"
#include "ui/main_window/app_messages.h"
#include "ui/main_window/control_classes.h"
#include "ui/pages/device_option_ui.h"
#include "ui_test_support.h"

namespace uitest {

void UseProgramSkin() {
    EnsureApplication();
    ui::Skin& skin = ui::Skin::Instance();
    skin.Release();
    skin.SetResourcePath(QStringLiteral(QX70_SOURCE_DIR "/resources/skin/"));
    skin.LoadResourceIndex(QStringLiteral("res.xml"));
    ui::RegisterControlClasses();
    ui::RegisterInstanceMessage();
    ui::RegisterGuidMessages();
    ui::SetWindowBusUse(false);
}

WindowWorld::WindowWorld() : backend_(std::make_shared<sim::SimBackend>()) {
    UseProgramSkin();
    backend_->SetReportLatencyMicros(0);
    hid::SetBackend(backend_);
    sim::SimulatedDevicesOptions none;
    none.keyboard = none.receiver = none.mousePad = none.headset = false;
    none.persist = false;
    devices_ = std::make_unique<sim::SimulatedDevices>(backend_, none);
}

WindowWorld::~WindowWorld() {
    window_.reset();
    devices_.reset();
    hid::SetBackend(nullptr);
}

bool WindowWorld::Start() {
    window_ = std::make_unique<ui::CMainWnd>();
    if (!window_->Create(nullptr, QStringLiteral("test"), 1000, 640))
        return false;
    window_->show();
    // The first discovery pass wakes the window.
    return ProcessUntil([this] { return window_->Initialised() && window_->isVisible(); }, 5000);
}

bool WindowWorld::StartWithKeyboard() {
    if (!Start() || !devices_->Plug(sim::SimUnit::Keyboard))
        return false;
    return ProcessUntil([this] { return Selected(0); }, 5000);
}

bool WindowWorld::StartInTray() {
    window_ = std::make_unique<ui::CMainWnd>();
    if (!window_->Create(nullptr, QStringLiteral("test"), 1000, 640))
        return false;
    window_->StartInTray();
    return ProcessUntil([this] { return window_->Initialised(); }, 5000);
}

void WindowWorld::Close() {
    window_->close();
    ProcessPending();
}

bool WindowWorld::Shown(int row) const {
    ui::CDeviceOptionUI* e = window_->EntryOfRow(row);
    return e != nullptr && e->IsShown();
}

bool WindowWorld::Selected(int row) const {
    ui::CDeviceOptionUI* e = window_->EntryOfRow(row);
    return e != nullptr && e->IsShown() && e->IsSelected();
}

bool WindowWorld::NoDeviceShown() const {
    QWidget* w = window_->FindControl(QStringLiteral("No_device_Link"));
    return w != nullptr && !w->isHidden();
}

QString WindowWorld::Background() const {
    return window_->Root()->property("bkimage").toString();
}

}  // namespace uitest
