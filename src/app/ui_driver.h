// --simulate only: a read-only view of the shown windows for end-to-end
// tests and scripts, on the program's own bus name:
//   object /io/qx70/UiDriver, interface io.qx70.UiDriver
//   Windows() -> as           titles of the shown top-level windows
//   Geometry(s name) -> iiii  x, y, width, height on screen, device pixels
//   Text(s name) -> s         the control's shown text
//   State(s name) -> s        {"visible","enabled","checked","selected","value"}
// Names are compared without case. Geometry finds the first visible control
// of that name in any shown window (the active window first); Text and State
// fall back to a hidden one. A light its select panel paints counts as a
// visible control at the place where it is painted. A name with no control
// is answered with a D-Bus error. Nothing here changes the UI: input comes
// from real events.
#pragma once

#include <QDBusContext>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace app {

inline constexpr const char* kUiDriverObjectPath = "/io/qx70/UiDriver";
inline constexpr const char* kUiDriverInterface = "io.qx70.UiDriver";

class UiDriver : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.qx70.UiDriver")
  public:
    UiDriver();
    ~UiDriver() override;

    // Registers the object on the session bus; false without a bus.
    bool Export();

    // The lookups behind the bus methods (nullopt: no such control).
    static QStringList ShownWindowTitles();
    static std::optional<QRect> ScreenRect(const QString& name);
    static std::optional<QString> ShownText(const QString& name);
    static std::optional<QString> StateJson(const QString& name);

  public Q_SLOTS:
    Q_SCRIPTABLE QStringList Windows();
    Q_SCRIPTABLE int Geometry(const QString& name, int& y, int& width, int& height);
    Q_SCRIPTABLE QString Text(const QString& name);
    Q_SCRIPTABLE QString State(const QString& name);

  private:
    void NoControl(const QString& name, bool visibleOnly);
    bool exported_ = false;
};

}  // namespace app
