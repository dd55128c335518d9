// --simulate only: a read-only view of the shown windows for end-to-end
// tests and scripts, on the program's own bus name:
//   object /io/qx70/UiDriver, interface io.qx70.UiDriver
//   Windows() -> as           titles of the shown top-level windows
//   Geometry(s name) -> iiii  x, y, width, height on screen, device pixels
//   Geometries(as names) -> a(siiii)  the same for each name that shows, in
//                             one call (a picture has hundreds of controls)
//   Text(s name) -> s         the control's shown text
//   State(s name) -> s        {"visible","enabled","checked","selected","value"},
//                             "count" (rows or choices) for lists and combos,
//                             and "marked" for a key of a device picture (the
//                             mark of a changed assignment shows)
// Names are compared without case. Geometry finds the first visible control
// of that name in any shown window (the active window first); Text and State
// fall back to a hidden one. A light its select panel paints counts as a
// visible control at the place where it is painted. A name with no control
// is answered with a D-Bus error. Nothing here changes the UI: input comes
// from real events.
#pragma once

#include <QDBusArgument>
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

// One answer of Geometries: (siiii).
struct NamedRect {
    QString name;
    int x = 0, y = 0, width = 0, height = 0;
};
QDBusArgument& operator<<(QDBusArgument& out, const NamedRect& rect);
const QDBusArgument& operator>>(const QDBusArgument& in, NamedRect& rect);

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
    Q_SCRIPTABLE QList<app::NamedRect> Geometries(const QStringList& names);
    Q_SCRIPTABLE QString Text(const QString& name);
    Q_SCRIPTABLE QString State(const QString& name);

  private:
    void NoControl(const QString& name, bool visibleOnly);
    bool exported_ = false;
};

}  // namespace app

Q_DECLARE_METATYPE(app::NamedRect)
