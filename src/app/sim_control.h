// --simulate: the simulator backend with the standard simulated devices
// (wired keyboard, receiver with the mouse linked, mouse pad, headset), and
// a D-Bus object on the program's own bus name that plugs, unplugs, links
// and unlinks them while the program runs:
//   object /io/qx70/Simulator, interface io.qx70.Simulator
//   Plug(s unit) -> b, Unplug(s unit) -> b   unit: keyboard receiver mousepad headset
//   Link(s unit) -> b, Unlink(s unit) -> b   unit: keyboard mouse (behind the receiver)
//   State() -> s                             e.g. "keyboard=1 receiver=1 ..."
//   TrayClick()                              a left click on the tray icon
//   TrayMenu()                               a right click on the tray icon
//                                            (opens the tray menu)
// and probes of the simulated devices (device: keyboard mouse mousepad
// headset; an unknown device, region or value is answered with an error):
//   Region(s device, s region) -> ay         memory as the device's reads see it
//   Event(s device, q code)                  the device sends that event report
//   FrameCount(s device) -> t                complete LED frames received (keyboard)
//   SetRelease(s unit, q release)            firmware release from the next plug on
//   SetBattery(s device, y level, b charging)
//   UnplugAtCommand(s unit, y command, i skip) -> b
//                                            the unit is pulled out, unanswered,
//                                            at its next request with that
//                                            command byte after `skip` (0 to
//                                            1000) further ones: the cable
//                                            comes out during that transfer
#pragma once

#include <QByteArray>
#include <QDBusContext>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

namespace sim {
class SimBackend;
class SimulatedDevices;
}  // namespace sim

namespace ui {
class Window;
}

namespace app {

inline constexpr const char* kSimulatorObjectPath = "/io/qx70/Simulator";
inline constexpr const char* kSimulatorInterface = "io.qx70.Simulator";

class SimulatorControl : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.qx70.Simulator")
  public:
    // Installs the simulator as the HID backend (modelled USB timing on)
    // with every simulated device plugged.
    SimulatorControl();
    // Unplugs everything and removes the backend; the window's threads must
    // have been joined before.
    ~SimulatorControl() override;

    // Registers the object on the session bus; false without a bus.
    bool Export();
    sim::SimulatedDevices& Devices() { return *devices_; }
    // The window that TrayClick and TrayMenu reach.
    void SetWindow(ui::Window* window);

  public Q_SLOTS:
    Q_SCRIPTABLE bool Plug(const QString& unit);
    Q_SCRIPTABLE bool Unplug(const QString& unit);
    Q_SCRIPTABLE bool Link(const QString& unit);
    Q_SCRIPTABLE bool Unlink(const QString& unit);
    Q_SCRIPTABLE QString State();
    Q_SCRIPTABLE void TrayClick();
    Q_SCRIPTABLE void TrayMenu();
    Q_SCRIPTABLE QByteArray Region(const QString& device, const QString& region);
    Q_SCRIPTABLE void Event(const QString& device, ushort code);
    Q_SCRIPTABLE qulonglong FrameCount(const QString& device);
    Q_SCRIPTABLE void SetRelease(const QString& unit, ushort release);
    Q_SCRIPTABLE void SetBattery(const QString& device, uchar level, bool charging);
    Q_SCRIPTABLE bool UnplugAtCommand(const QString& unit, uchar command, int skip);

  private:
    void Refuse(const QString& what);

    std::shared_ptr<sim::SimBackend> backend_;
    std::unique_ptr<sim::SimulatedDevices> devices_;
    bool exported_ = false;
    QPointer<ui::Window> window_;
};

}  // namespace app
