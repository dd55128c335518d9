#include "app/sim_control.h"

#include <QDBusConnection>
#include <QDBusError>
#include <string>

#include "hid/hid_backend.h"
#include "sim/sim_backend.h"
#include "sim/simulated_devices.h"
#include "ui/framework/window.h"
#include "ui/framework/window_messages.h"

namespace app {
namespace {

constexpr uint32_t kUsbReportMicros = 1000;
// A fault further away than this is a caller's mistake, not a test.
constexpr int kMaxFaultSkip = 1000;

bool UnitOf(const QString& name, sim::SimUnit& unit) {
    return sim::SimUnitNamed(name.trimmed().toStdString(), unit);
}

std::string Name(const QString& text) {
    return text.trimmed().left(64).toStdString();
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

QByteArray SimulatorControl::Region(const QString& device, const QString& region) {
    const auto bytes = devices_->ReadRegion(Name(device), Name(region));
    if (!bytes) {
        Refuse(QStringLiteral("no region '%1' on '%2'").arg(region.left(64), device.left(64)));
        return {};
    }
    return QByteArray(reinterpret_cast<const char*>(bytes->data()),
                      static_cast<qsizetype>(bytes->size()));
}

void SimulatorControl::Event(const QString& device, ushort code) {
    if (!devices_->SendEvent(Name(device), code))
        Refuse(QStringLiteral("no device '%1'").arg(device.left(64)));
}

qulonglong SimulatorControl::FrameCount(const QString& device) {
    const auto frames = devices_->FrameCount(Name(device));
    if (!frames) {
        Refuse(QStringLiteral("'%1' counts no frames").arg(device.left(64)));
        return 0;
    }
    return *frames;
}

void SimulatorControl::SetRelease(const QString& unit, ushort release) {
    sim::SimUnit u{};
    if (!UnitOf(unit, u)) {
        Refuse(QStringLiteral("no unit '%1'").arg(unit.left(64)));
        return;
    }
    devices_->SetRelease(u, release);
}

void SimulatorControl::SetBattery(const QString& device, uchar level, bool charging) {
    if (!devices_->SetBattery(Name(device), level, charging))
        Refuse(QStringLiteral("no battery level %1 on '%2'").arg(level).arg(device.left(64)));
}

bool SimulatorControl::UnplugAtCommand(const QString& unit, uchar command, int skip) {
    sim::SimUnit u{};
    if (!UnitOf(unit, u)) {
        Refuse(QStringLiteral("no unit '%1'").arg(unit.left(64)));
        return false;
    }
    if (skip < 0 || skip > kMaxFaultSkip) {
        Refuse(QStringLiteral("skip %1 is not within 0 to %2").arg(skip).arg(kMaxFaultSkip));
        return false;
    }
    devices_->UnplugAtCommand(u, command, skip);
    return true;
}

void SimulatorControl::Refuse(const QString& what) {
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, what);
}

}  // namespace app
