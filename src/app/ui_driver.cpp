#include "app/ui_driver.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMetaType>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QProgressBar>
#include <QSpinBox>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "ui/controls/device_key_button.h"
#include "ui/framework/control_ops.h"

namespace app {
namespace {

// A light its panel paints stays hidden as a widget; the panel knows
// whether it shows.
const ui::CDeviceKeyButtonUI* PaintedLight(const QWidget* w) {
    const auto* b = qobject_cast<const ui::CDeviceKeyButtonUI*>(w);
    return b != nullptr && b->PaintedByPanel() && b->parentWidget() != nullptr ? b : nullptr;
}

bool IsShown(const QWidget* w) {
    if (const ui::CDeviceKeyButtonUI* light = PaintedLight(w))
        return light->IsShown();
    return w->isVisible();
}

// Shown windows, the one the user works in first, then dialogs before the
// windows they belong to: a name a dialog shares with the main window
// (a close button) means the dialog's.
std::vector<QWidget*> ShownWindows() {
    std::vector<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isWindow() && w->isVisible() && w->windowType() != Qt::ToolTip)
            windows.push_back(w);
    }
    const QWidget* active = QApplication::activeWindow();
    auto rank = [active](const QWidget* w) {
        return w == active ? 0 : w->parentWidget() != nullptr ? 1 : 2;
    };
    std::stable_sort(windows.begin(), windows.end(), [&](const QWidget* a, const QWidget* b) {
        if (rank(a) != rank(b))
            return rank(a) < rank(b);
        return a->windowTitle() < b->windowTitle();
    });
    return windows;
}

// Depth-first in child order, like the framework's own name lookup.
void Collect(QWidget* w, const QString& name, std::vector<QWidget*>& out) {
    if (w->objectName().compare(name, Qt::CaseInsensitive) == 0)
        out.push_back(w);
    for (QObject* child : w->children()) {
        if (auto* cw = qobject_cast<QWidget*>(child); cw != nullptr && !cw->isWindow())
            Collect(cw, name, out);
    }
}

// The first shown control of that name, else (unless `visibleOnly`) the
// first hidden one.
QWidget* Find(const QString& name, bool visibleOnly) {
    if (name.trimmed().isEmpty())
        return nullptr;
    std::vector<QWidget*> found;
    for (QWidget* w : ShownWindows())
        Collect(w, name.trimmed(), found);
    for (QWidget* w : found) {
        if (IsShown(w))
            return w;
    }
    return visibleOnly || found.empty() ? nullptr : found.front();
}

QJsonValue ValueOf(QWidget* w) {
    if (auto* s = qobject_cast<QAbstractSlider*>(w))
        return s->value();
    if (auto* p = qobject_cast<QProgressBar*>(w))
        return p->value();
    if (auto* sb = qobject_cast<QSpinBox*>(w))
        return sb->value();
    return QJsonValue(QJsonValue::Null);
}

// Rows of a list or choices of a combo; -1 for other controls.
int RowCountOf(QWidget* w) {
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->count();
    if (auto* v = qobject_cast<QAbstractItemView*>(w))
        return v->model() != nullptr ? v->model()->rowCount(v->rootIndex()) : 0;
    return -1;
}

// A bound on one Geometries call: a caller's list is not trusted.
constexpr qsizetype kMaxNames = 4096;

}  // namespace

QDBusArgument& operator<<(QDBusArgument& out, const NamedRect& rect) {
    out.beginStructure();
    out << rect.name << rect.x << rect.y << rect.width << rect.height;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, NamedRect& rect) {
    in.beginStructure();
    in >> rect.name >> rect.x >> rect.y >> rect.width >> rect.height;
    in.endStructure();
    return in;
}

UiDriver::UiDriver() {
    qDBusRegisterMetaType<NamedRect>();
    qDBusRegisterMetaType<QList<NamedRect>>();
}

UiDriver::~UiDriver() {
    if (exported_)
        QDBusConnection::sessionBus().unregisterObject(QString::fromLatin1(kUiDriverObjectPath));
}

bool UiDriver::Export() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    exported_ = bus.registerObject(QString::fromLatin1(kUiDriverObjectPath), this,
                                   QDBusConnection::ExportScriptableSlots);
    return exported_;
}

QStringList UiDriver::ShownWindowTitles() {
    QStringList titles;
    for (const QWidget* w : ShownWindows())
        titles << w->windowTitle();
    return titles;
}

std::optional<QRect> UiDriver::ScreenRect(const QString& name) {
    QWidget* w = Find(name, true);
    if (w == nullptr)
        return std::nullopt;
    QRect logical;
    if (const ui::CDeviceKeyButtonUI* light = PaintedLight(w)) {
        // The panel paints it at its geometry in the panel's coordinates.
        logical = QRect(light->parentWidget()->mapToGlobal(light->geometry().topLeft()),
                        light->geometry().size());
    } else {
        logical = QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    }
    const qreal ratio = w->devicePixelRatioF();
    return QRect(qRound(logical.x() * ratio), qRound(logical.y() * ratio),
                 qRound(logical.width() * ratio), qRound(logical.height() * ratio));
}

std::optional<QString> UiDriver::ShownText(const QString& name) {
    QWidget* w = Find(name, false);
    if (w == nullptr)
        return std::nullopt;
    return ui::ControlText(w);
}

std::optional<QString> UiDriver::StateJson(const QString& name) {
    QWidget* w = Find(name, false);
    if (w == nullptr)
        return std::nullopt;
    QJsonObject state;
    state[QStringLiteral("visible")] = IsShown(w);
    state[QStringLiteral("enabled")] = w->isEnabled();
    state[QStringLiteral("checked")] = ui::ControlChecked(w);
    state[QStringLiteral("selected")] = ui::ControlCurrentIndex(w);
    state[QStringLiteral("value")] = ValueOf(w);
    if (const int rows = RowCountOf(w); rows >= 0)
        state[QStringLiteral("count")] = rows;
    // A key of a device picture: whether it shows the mark of a changed
    // assignment.
    if (const auto* key = qobject_cast<const ui::CDeviceKeyButtonUI*>(w))
        state[QStringLiteral("marked")] = key->KeyMarked();
    return QString::fromUtf8(QJsonDocument(state).toJson(QJsonDocument::Compact));
}

QStringList UiDriver::Windows() {
    return ShownWindowTitles();
}

int UiDriver::Geometry(const QString& name, int& y, int& width, int& height) {
    const std::optional<QRect> rect = ScreenRect(name);
    if (!rect) {
        NoControl(name, true);
        y = width = height = 0;
        return 0;
    }
    y = rect->y();
    width = rect->width();
    height = rect->height();
    return rect->x();
}

QList<NamedRect> UiDriver::Geometries(const QStringList& names) {
    QList<NamedRect> rects;
    for (const QString& name : names.mid(0, kMaxNames)) {
        if (const std::optional<QRect> rect = ScreenRect(name))
            rects.append({name, rect->x(), rect->y(), rect->width(), rect->height()});
    }
    return rects;
}

QString UiDriver::Text(const QString& name) {
    const std::optional<QString> text = ShownText(name);
    if (!text)
        NoControl(name, false);
    return text.value_or(QString());
}

QString UiDriver::State(const QString& name) {
    const std::optional<QString> state = StateJson(name);
    if (!state)
        NoControl(name, false);
    return state.value_or(QString());
}

void UiDriver::NoControl(const QString& name, bool visibleOnly) {
    if (!calledFromDBus())
        return;
    const QString what = visibleOnly ? QStringLiteral("no visible control named '%1'")
                                     : QStringLiteral("no control named '%1'");
    sendErrorReply(QStringLiteral("io.qx70.UiDriver.Error.NoControl"), what.arg(name.left(200)));
}

}  // namespace app
