#include "ui/framework/window.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>

#include "platform/debug_output.h"
#include "ui/framework/application.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/layout_loader.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window_messages.h"

namespace ui {
namespace {

QEvent::Type DrainEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QEvent::Type InitEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

constexpr const char* kWiredProperty = "_qx70Wired";
constexpr const char* kComboIndexProperty = "_qx70Index";

int ScaleValue(int value, int dpi) {
    return value * dpi / 96;
}

}  // namespace

Window::Window(QWidget* parent) : QWidget(parent, Qt::Window) {
    // Worker threads wake the window through an eventfd: nothing but the
    // queue (guarded by its own mutex) is shared with them, so the hand-over
    // stays visible to ThreadSanitizer.
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ >= 0) {
        wakeNotifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
        connect(wakeNotifier_, &QSocketNotifier::activated, this, [this] {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
            queue_->Drain();
        });
    }
    queue_ = std::make_unique<MessageQueue>(
        [this](uint32_t m, uintptr_t w, intptr_t l) { return DispatchMessage(m, w, l); },
        [this] {
            if (wakeFd_ >= 0) {
                const uint64_t one = 1;
                [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
            } else {
                QCoreApplication::postEvent(this, new QEvent(DrainEventType()));
            }
        });
}

Window::~Window() {
    queue_->Close();
    delete wakeNotifier_;
    wakeNotifier_ = nullptr;
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
    // Children go first, while the timer tables they unregister from still exist.
    const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children)
        delete child;
    for (auto& [key, timer] : controlTimers_)
        delete timer;
    for (auto& [id, timer] : windowTimers_)
        delete timer;
    controlTimers_.clear();
    windowTimers_.clear();
}

bool Window::Create(QWidget* parent, const QString& title, int width, int height) {
    if (parent != nullptr)
        setParent(parent, windowFlags() | Qt::Window);
    setWindowTitle(title);
    LayoutLoader loader([this](const QString& cls, QWidget* p) { return CreateControl(cls, p); });
    QWidget* root = loader.Build(GetSkinFile(), this);
    if (root == nullptr)
        return false;
    root_ = root;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(root);
    for (const QPointer<QWidget>& w : loader.Created()) {
        if (w)
            WireControl(w);
    }
    designSize_ = QSize(width, height);
    resize(ScaleValue(width, dpi_), ScaleValue(height, dpi_));
    TextManager::Instance().ApplyTexts(this);
    ApplyFonts();
    InitWindow();
    QCoreApplication::postEvent(this, new QEvent(InitEventType()));
    return true;
}

void Window::CenterWindow() {
    QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (s == nullptr)
        return;
    const QRect available = s->availableGeometry();
    const QRect frame = frameGeometry();
    const QPoint frameOffset = pos() - frame.topLeft();
    move(available.center() - QPoint(frame.width() / 2, frame.height() / 2) + frameOffset);
}

void Window::KeepOnScreen() {
    QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (s == nullptr || !isVisible() || isMinimized())
        return;
    if (!s->availableGeometry().contains(frameGeometry()))
        CenterWindow();
}

int Window::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    modalLoop_ = &loop;
    const NestedLoopScope fresh;
    const int result = loop.exec();
    modalLoop_ = nullptr;
    return result;
}

void Window::Close(int result) {
    if (outsideClose_) {
        // Called from OnCloseRequest: the close under way goes on (Qt
        // ignores a nested close()).
        outsideCloseAccepted_ = true;
        closeResult_ = result;
        return;
    }
    closing_ = true;
    close();
    closing_ = false;
    if (modalLoop_ != nullptr)
        modalLoop_->exit(result);
}

QWidget* Window::FindControl(const QString& name) const {
    if (name.isEmpty())
        return nullptr;
    if (root_ && root_->objectName().compare(name, Qt::CaseInsensitive) == 0)
        return root_;
    return FindSubControlByName(root_, name);
}

QWidget* Window::BuildLayout(const QString& resource, QWidget* parent) {
    LayoutLoader loader([this](const QString& cls, QWidget* p) { return CreateControl(cls, p); });
    QWidget* built = loader.Build(resource, parent);
    if (built == nullptr)
        return nullptr;
    if (parent != nullptr && parent->layout() != nullptr)
        parent->layout()->addWidget(built);
    // Built after a language change, it shows the current language and
    // fonts too.
    TextManager::Instance().ApplyTexts(built);
    ApplyFontIds(built);
    for (const QPointer<QWidget>& w : loader.Created()) {
        if (w)
            WireControl(w);
    }
    if (dpi_ != 96) {
        ApplyScale(built, dpi_);
        for (QWidget* child : built->findChildren<QWidget*>())
            ApplyScale(child, dpi_);
    }
    return built;
}

void Window::WireControls(QWidget* root) {
    if (root == nullptr)
        return;
    WireControl(root);
    for (QWidget* child : root->findChildren<QWidget*>())
        WireControl(child);
}

void Window::SendNotify(QWidget* sender, const QString& type, uintptr_t wParam, intptr_t lParam) {
    Dispatch(Notification{type, sender, wParam, lParam});
}

void Window::Dispatch(const Notification& notification) {
    NotifyScope scope;
    Notify(notification);
}

void Window::WireControl(QWidget* control) {
    if (control == nullptr || control->property(kWiredProperty).toBool())
        return;
    control->setProperty(kWiredProperty, true);
    // Pointer and focus notifications come from an event filter; a custom
    // control raises those itself (it knows which of its parts were hit).
    if (!control->property(kCustomControlProperty).toBool())
        control->installEventFilter(this);

    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::toggled, this, [this, button](bool checked) {
            if (IsUserChange())
                SendNotify(button, notify::kSelectChanged, checked ? 1 : 0);
        });
        connect(button, &QAbstractButton::clicked, this, [this, button] {
            if (IsUserChange())
                SendNotify(button, notify::kClick);
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setProperty(kComboIndexProperty, combo->currentIndex());
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo](int index) {
            const int previous = combo->property(kComboIndexProperty).toInt();
            combo->setProperty(kComboIndexProperty, index);
            if (IsUserChange())
                SendNotify(combo, notify::kItemSelect, static_cast<uintptr_t>(index), previous);
        });
        if (QLineEdit* edit = combo->lineEdit()) {
            connect(edit, &QLineEdit::textEdited, this, [this, combo] {
                if (IsUserChange())
                    SendNotify(combo, notify::kTextChanged);
            });
        }
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        connect(slider, &QAbstractSlider::valueChanged, this, [this, slider](int value) {
            if (IsUserChange() && !slider->isSliderDown())
                SendNotify(slider, notify::kValueChanged, static_cast<uintptr_t>(value));
        });
        connect(slider, &QAbstractSlider::sliderMoved, this, [this, slider](int value) {
            if (IsUserChange())
                SendNotify(slider, notify::kMoveValueChanged, static_cast<uintptr_t>(value));
        });
        connect(slider, &QAbstractSlider::sliderReleased, this, [this, slider] {
            if (IsUserChange())
                SendNotify(slider, notify::kValueChanged, static_cast<uintptr_t>(slider->value()));
        });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        connect(edit, &QLineEdit::textEdited, this, [this, edit] {
            if (IsUserChange())
                SendNotify(edit, notify::kTextChanged);
        });
        connect(edit, &QLineEdit::returnPressed, this, [this, edit] {
            if (IsUserChange())
                SendNotify(edit, notify::kReturn);
        });
    } else if (auto* text = qobject_cast<QTextEdit*>(control)) {
        connect(text, &QTextEdit::textChanged, this, [this, text] {
            if (IsUserChange())
                SendNotify(text, notify::kTextChanged);
        });
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        connect(plain, &QPlainTextEdit::textChanged, this, [this, plain] {
            if (IsUserChange())
                SendNotify(plain, notify::kTextChanged);
        });
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        connect(spin, &QSpinBox::valueChanged, this, [this, spin](int value) {
            if (IsUserChange())
                SendNotify(spin, notify::kValueChanged, static_cast<uintptr_t>(value));
        });
    } else if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
        connect(view, &QAbstractItemView::clicked, this, [this, view](const QModelIndex& index) {
            if (IsUserChange())
                SendNotify(view, notify::kItemClick, static_cast<uintptr_t>(index.row()));
        });
        connect(view, &QAbstractItemView::activated, this, [this, view](const QModelIndex& index) {
            if (IsUserChange())
                SendNotify(view, notify::kItemActivate, static_cast<uintptr_t>(index.row()));
        });
        if (view->selectionModel() != nullptr) {
            connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                    [this, view](const QModelIndex& current, const QModelIndex& previous) {
                        if (IsUserChange())
                            SendNotify(view, notify::kItemSelect,
                                       static_cast<uintptr_t>(current.row()), previous.row());
                    });
        }
    }
}

bool Window::eventFilter(QObject* watched, QEvent* event) {
    // Every event of a wired control passes here, paints and timers too: the
    // kind comes first, the control's properties only for the few that notify.
    const char* type = nullptr;
    intptr_t lParam = 0;
    switch (event->type()) {
        case QEvent::FocusIn:
            type = notify::kSetFocus;
            break;
        case QEvent::FocusOut:
            type = notify::kKillFocus;
            break;
        case QEvent::Enter:
            type = notify::kMouseEnter;
            break;
        case QEvent::Leave:
            type = notify::kMouseLeave;
            break;
        case QEvent::MouseButtonDblClick:
            type = notify::kDbClick;
            break;
        case QEvent::ContextMenu: {
            const QPoint p = static_cast<QContextMenuEvent*>(event)->pos();
            type = notify::kMenu;
            lParam = (static_cast<intptr_t>(p.y()) << 16) | (p.x() & 0xFFFF);
            break;
        }
        default:
            break;
    }
    if (type != nullptr) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w != nullptr && w->isEnabled() && w->property(kWiredProperty).toBool())
            SendNotify(w, QString::fromLatin1(type), 0, lParam);
    }
    return QWidget::eventFilter(watched, event);
}

bool Window::SetTimer(QWidget* control, unsigned id, unsigned elapseMs) {
    if (control == nullptr)
        return false;
    const auto key = std::make_pair(static_cast<QObject*>(control), id);
    QTimer*& timer = controlTimers_[key];
    if (timer == nullptr) {
        timer = new QTimer(this);
        QPointer<QWidget> target(control);
        connect(timer, &QTimer::timeout, this, [this, target, id] {
            if (target)
                SendNotify(target, notify::kTimer, id);
        });
        if (!control->property("_qx70TimerWatch").toBool()) {
            control->setProperty("_qx70TimerWatch", true);
            connect(control, &QObject::destroyed, this,
                    [this](QObject* gone) { KillTimersOf(gone); });
        }
    }
    timer->start(static_cast<int>(elapseMs));
    return true;
}

bool Window::KillTimer(QWidget* control, unsigned id) {
    auto it = controlTimers_.find(std::make_pair(static_cast<QObject*>(control), id));
    if (it == controlTimers_.end())
        return false;
    it->second->stop();
    it->second->deleteLater();
    controlTimers_.erase(it);
    return true;
}

void Window::KillTimers(QWidget* control) {
    KillTimersOf(control);
}

void Window::KillTimersOf(QObject* control) {
    for (auto it = controlTimers_.begin(); it != controlTimers_.end();) {
        if (it->first.first == control) {
            it->second->stop();
            it->second->deleteLater();
            it = controlTimers_.erase(it);
        } else {
            ++it;
        }
    }
}

bool Window::HasTimer(QWidget* control, unsigned id) const {
    return controlTimers_.count(std::make_pair(static_cast<QObject*>(control), id)) != 0;
}

bool Window::SetWindowTimer(unsigned id, unsigned elapseMs) {
    QTimer*& timer = windowTimers_[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { DispatchMessage(kWmTimer, id, 0); });
    }
    timer->start(static_cast<int>(elapseMs));
    return true;
}

bool Window::KillWindowTimer(unsigned id) {
    auto it = windowTimers_.find(id);
    if (it == windowTimers_.end())
        return false;
    it->second->stop();
    it->second->deleteLater();
    windowTimers_.erase(it);
    return true;
}

intptr_t Window::Send(uint32_t message, uintptr_t wParam, intptr_t lParam,
                      const platform::StopEvent* abandonOn) {
    return queue_->Send(message, wParam, lParam, abandonOn);
}

bool Window::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return queue_->Post(message, wParam, lParam);
}

void Window::CloseMessageQueue() {
    queue_->Close();
}

intptr_t Window::DispatchMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    bool handled = false;
    const intptr_t result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled)
        return result;
    return DefaultMessage(message, wParam, lParam);
}

intptr_t Window::HandleCustomMessage(uint32_t, uintptr_t, intptr_t, bool& handled) {
    handled = false;
    return 0;
}

QWidget* Window::CreateControl(const QString&, QWidget*) {
    return nullptr;
}

QWidget* Window::BuildSubLayout(const QString& resource, QWidget* parent) {
    // A layout that names itself, directly or through another, would never
    // end; real pages nest two or three deep.
    static thread_local int depth = 0;
    if (depth >= 8) {
        platform::DebugOutputF("layout %s nested too deep", qPrintable(resource));
        return nullptr;
    }
    ++depth;
    LayoutLoader loader([this](const QString& cls, QWidget* p) { return CreateControl(cls, p); });
    QWidget* built = loader.Build(resource, parent);
    --depth;
    if (built == nullptr)
        return nullptr;
    // The outer build wires what it created itself; these it never saw.
    for (const QPointer<QWidget>& w : loader.Created()) {
        if (w)
            WireControl(w);
    }
    return built;
}

intptr_t Window::DefaultMessage(uint32_t message, uintptr_t wParam, intptr_t) {
    switch (message) {
        case kWmClose:
            close();
            return 0;
        case kWmTimer:
            OnTimer(static_cast<unsigned>(wParam));
            return 0;
        case kWmSysCommand:
            if (wParam == kScRestore) {
                showNormal();
                raise();
                activateWindow();
            } else if (wParam == kScMinimize) {
                showMinimized();
            } else if (wParam == kScMaximize) {
                showMaximized();
            } else if (wParam == kScClose) {
                OnCloseRequest();
            }
            return 0;
        default:
            return 0;
    }
}

bool Window::event(QEvent* event) {
    if (event->type() == DrainEventType()) {
        queue_->Drain();
        return true;
    }
    if (event->type() == InitEventType()) {
        SendNotify(root_, notify::kWindowInit);
        return true;
    }
    return QWidget::event(event);
}

void Window::closeEvent(QCloseEvent* event) {
    int result = 0;
    if (!closing_ && !destroyed_) {
        // A close from outside: the window decides what it means.
        outsideClose_ = true;
        outsideCloseAccepted_ = false;
        closeResult_ = 0;
        OnCloseRequest();
        outsideClose_ = false;
        if (!outsideCloseAccepted_) {
            event->ignore();
            return;
        }
        result = closeResult_;
    }
    event->accept();
    if (!destroyed_) {
        destroyed_ = true;
        OnDestroy();
        DispatchMessage(kWmDestroy, 0, 0);
    }
    if (modalLoop_ != nullptr)
        modalLoop_->exit(result);
}

void Window::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (root_)
        SendNotify(root_, notify::kWindowSize, static_cast<uintptr_t>(width()), height());
}

bool Window::SetDPI(int dpi) {
    if (dpi < kMinDpi || dpi > kMaxDpi)
        return false;
    if (root_) {
        ApplyScale(root_, dpi);
        for (QWidget* child : root_->findChildren<QWidget*>())
            ApplyScale(child, dpi);
    }
    dpi_ = dpi;
    if (designSize_.isValid())
        resize(ScaleValue(designSize_.width(), dpi), ScaleValue(designSize_.height(), dpi));
    ApplyFonts();
    return true;
}

void Window::ApplyScale(QWidget* w, int dpi) {
    // Design values are the ones at 96 DPI, kept the first time a widget is scaled.
    if (!w->property("_qx70DesignMin").isValid()) {
        w->setProperty("_qx70DesignMin", w->minimumSize());
        w->setProperty("_qx70DesignMax", w->maximumSize());
        w->setProperty("_qx70DesignGeom", w->geometry());
        if (QLayout* l = w->layout()) {
            const QMargins m = l->contentsMargins();
            l->setProperty("_qx70DesignMargins", QRect(m.left(), m.top(), m.right(), m.bottom()));
            l->setProperty("_qx70DesignSpacing", l->spacing());
        }
    }
    const QSize min = w->property("_qx70DesignMin").toSize();
    const QSize max = w->property("_qx70DesignMax").toSize();
    const QRect geom = w->property("_qx70DesignGeom").toRect();
    auto scaleLimit = [dpi](int v) { return v >= QWIDGETSIZE_MAX ? v : ScaleValue(v, dpi); };
    w->setMinimumSize(ScaleValue(min.width(), dpi), ScaleValue(min.height(), dpi));
    w->setMaximumSize(scaleLimit(max.width()), scaleLimit(max.height()));
    if (!w->isWindow())
        w->setGeometry(ScaleValue(geom.x(), dpi), ScaleValue(geom.y(), dpi),
                       ScaleValue(geom.width(), dpi), ScaleValue(geom.height(), dpi));
    if (QLayout* l = w->layout()) {
        const QRect m = l->property("_qx70DesignMargins").toRect();
        l->setContentsMargins(ScaleValue(m.x(), dpi), ScaleValue(m.y(), dpi),
                              ScaleValue(m.width(), dpi), ScaleValue(m.height(), dpi));
        const int spacing = l->property("_qx70DesignSpacing").toInt();
        if (spacing >= 0)
            l->setSpacing(ScaleValue(spacing, dpi));
    }
}

void Window::ApplyFonts() {
    std::optional<FontSpec> def = fonts_.Default();
    if (!def)
        def = FontTable::Shared().Default();
    if (def)
        setFont(MakeFont(*def, dpi_));
    ApplyFontIds(root_);
}

void Window::ApplyFontIds(QWidget* root) {
    if (root == nullptr)
        return;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        const QVariant id = w->property("fontId");
        if (!id.isValid())
            continue;
        std::optional<FontSpec> style = fonts_.Find(id.toInt());
        if (!style)
            style = FontTable::Shared().Find(id.toInt());
        if (style)
            w->setFont(MakeFont(*style, dpi_));
    }
}

}  // namespace ui
