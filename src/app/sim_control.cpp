#include "app/sim_control.h"

#include <QDBusConnection>

#include "hid/hid_backend.h"
#include "sim/sim_backend.h"
#include "sim/simulated_devices.h"
#include "ui/framework/window.h"
#include "ui/framework/window_messages.h"

namespace app {
namespace {

constexpr uint32_t kUsbReportMicros = 1000;

bool UnitOf(const QString& name, sim::SimUnit& unit) {
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("keyboard"))
        unit = sim::SimUnit::Keyboard;
    else if (n == QLatin1String("receiver"))
        unit = sim::SimUnit::Receiver;
    else if (n == QLatin1String("mousepad"))
        unit = sim::SimUnit::MousePad;
    else if (n == QLatin1String("headset"))
        unit = sim::SimUnit::Headset;
    else
        return false;
    return true;
}

}  // namespace

SimulatorControl::SimulatorControl() : backend_(std::make_shared<sim::SimBackend>()) {
    backend_->SetReportLatencyMicros(kUsbReportMicros);
    hid::SetBackend(backend_);
    devices_ = std::make_unique<sim::SimulatedDevices>(backend_);
}

SimulatorControl::~SimulatorControl() {
    if (exported_)
        QDBusConnection::sessionBus().unregisterObject(QString::fromLatin1(kSimulatorObjectPath));
    devices_.reset();
    hid::SetBackend(nullptr);
}

bool SimulatorControl::Export() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    exported_ = bus.registerObject(QString::fromLatin1(kSimulatorObjectPath), this,
                                   QDBusConnection::ExportScriptableSlots);
    return exported_;
}

bool SimulatorControl::Plug(const QString& unit) {
    sim::SimUnit u{};
    return UnitOf(unit, u) && devices_->Plug(u);
}

bool SimulatorControl::Unplug(const QString& unit) {
    sim::SimUnit u{};
    return UnitOf(unit, u) && devices_->Unplug(u);
}

bool SimulatorControl::Link(const QString& unit) {
    const QString n = unit.trimmed().toLower();
    if (n == QLatin1String("keyboard")) {
        devices_->Receiver().LinkKeyboard(devices_->KeyboardPtr());
        return true;
    }
    if (n == QLatin1String("mouse")) {
        devices_->Receiver().LinkMouse(devices_->MousePtr());
        return true;
    }
    return false;
}

bool SimulatorControl::Unlink(const QString& unit) {
    const QString n = unit.trimmed().toLower();
    if (n == QLatin1String("keyboard")) {
        devices_->Receiver().UnlinkKeyboard();
        return true;
    }
    if (n == QLatin1String("mouse")) {
        devices_->Receiver().UnlinkMouse();
        return true;
    }
    return false;
}

void SimulatorControl::SetWindow(ui::Window* window) {
    window_ = window;
}

void SimulatorControl::TrayClick() {
    if (window_)
        window_->Post(ui::kTrayNotifyMessage, 0, ui::kWmLButtonUp);
}

void SimulatorControl::TrayMenu() {
    // A test display has no tray host to right-click.
    if (window_)
        window_->Post(ui::kTrayNotifyMessage, 0, ui::kWmRButtonUp);
}

QString SimulatorControl::State() {
    auto plugged = [this](sim::SimUnit u) { return devices_->IsPlugged(u) ? 1 : 0; };
    return QStringLiteral(
               "keyboard=%1 receiver=%2 mousepad=%3 headset=%4 keyboard_link=%5 mouse_link=%6")
        .arg(plugged(sim::SimUnit::Keyboard))
        .arg(plugged(sim::SimUnit::Receiver))
        .arg(plugged(sim::SimUnit::MousePad))
        .arg(plugged(sim::SimUnit::Headset))
        .arg(devices_->Receiver().KeyboardLinked() ? 1 : 0)
        .arg(devices_->Receiver().MouseLinked() ? 1 : 0);
}

}  // namespace app
