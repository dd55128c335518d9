#include "ui/pages/device_option_ui.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QElapsedTimer>
#include <QThread>
#include <QTimerEvent>
#include <algorithm>

#include "device/usb_device.h"
#include "ui/framework/control_factory.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/notification.h"
#include "ui/framework/skin.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window.h"

namespace ui {
namespace {

constexpr int kFirstTimer = device::kTimerFrame;
constexpr const char* kGroupPrefix = "optiongroup:";

// The icon word of a device kind; empty leaves the images as they are.
QString IconWord(int kind, int variant) {
    switch (kind) {
        case 1:
            return QStringLiteral("kb");
        case 2:
            return QStringLiteral("ms");
        case 3:
            if (variant == 0)
                return QStringLiteral("hard_mp");
            if (variant == 1)
                return QStringLiteral("soft_mp");
            return QString();
        case 4:
        case 7:
            return QStringLiteral("hd");
        case 5:
            return QStringLiteral("hub");
        default:
            return QStringLiteral("unknow");
    }
}

QString ImageUrl(const QString& relative) {
    const QString path = Skin::Instance().FilePath(relative);
    return path.isEmpty() ? QString() : QStringLiteral("url(\"%1\")").arg(path);
}

QWidget* FindInWindow(QWidget* from, const QString& name) {
    QWidget* top = from->window();
    if (auto* w = qobject_cast<Window*>(top))
        return w->FindControl(name);
    if (top->objectName().compare(name, Qt::CaseInsensitive) == 0)
        return top;
    return FindSubControlByName(top, name);
}

// The frame timers of all entries run on one shared clock that wakes when
// the earliest is due and serves every entry due within a little slack, so
// entries whose frames follow the tick wake the UI thread once together.
class FrameClock : public QObject {
  public:
    // An entry is due when its deadline is at most this far ahead.
    static constexpr qint64 kSlackMs = 2;
    static constexpr int kSlowPeriodMs = 100;

    static FrameClock& Instance() {
        // Never destroyed: entries may outlive static destruction order.
        static FrameClock* clock = new FrameClock;
        return *clock;
    }

    void Subscribe(CDeviceOptionUI* entry, int periodMs) {
        periodMs = std::max(periodMs, 1);
        const qint64 due = elapsed_.elapsed() + periodMs;
        for (Sub& sub : subs_) {
            if (sub.entry == entry) {
                sub.due = due;
                sub.period = periodMs;
                Reschedule();
                return;
            }
        }
        subs_.push_back(Sub{entry, due, periodMs});
        Reschedule();
    }
    void Rearm(CDeviceOptionUI* entry, qint64 nowMs) {
        for (Sub& sub : subs_) {
            if (sub.entry == entry)
                sub.due = nowMs + sub.period;
        }
    }
    void Unsubscribe(CDeviceOptionUI* entry) {
        for (size_t i = 0; i < subs_.size(); ++i) {
            if (subs_[i].entry == entry) {
                subs_.erase(subs_.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        }
        Reschedule();
    }
    bool Subscribed(const CDeviceOptionUI* entry) const {
        for (const Sub& sub : subs_) {
            if (sub.entry == entry)
                return true;
        }
        return false;
    }

  protected:
    void timerEvent(QTimerEvent* event) override {
        if (event->timerId() != timer_.timerId())
            return;
        timer_.stop();  // one shot: Reschedule starts it for the next due
        const qint64 now = elapsed_.elapsed();
        due_.clear();
        for (const Sub& sub : subs_) {
            // A slow entry (nobody sees its picture) comes along on a wake
            // that falls in the last quarter of its period: the entries of
            // a hidden window then share one wake instead of one each.
            const qint64 slack = sub.period >= kSlowPeriodMs ? sub.period / 4 : kSlackMs;
            if (sub.due <= now + slack)
                due_.push_back(sub.entry);
        }
        for (CDeviceOptionUI* entry : due_) {
            // A handler may have stopped another entry's frames meanwhile.
            if (Subscribed(entry))
                entry->OnFrameClock(now);
        }
        Reschedule();
    }

  private:
    FrameClock() { elapsed_.start(); }

    void Reschedule() {
        if (subs_.empty()) {
            timer_.stop();
            return;
        }
        qint64 earliest = subs_.front().due;
        for (const Sub& sub : subs_)
            earliest = std::min(earliest, sub.due);
        if (timer_.isActive() && earliest == scheduledFor_)
            return;
        scheduledFor_ = earliest;
        const qint64 delay = std::max<qint64>(0, earliest - elapsed_.elapsed());
        timer_.start(static_cast<int>(std::min<qint64>(delay, 1 << 30)), Qt::PreciseTimer, this);
    }

    struct Sub {
        CDeviceOptionUI* entry;
        qint64 due;
        int period;
    };
    std::vector<Sub> subs_;
    std::vector<CDeviceOptionUI*> due_;
    QBasicTimer timer_;
    qint64 scheduledFor_ = 0;  // the due the running timer was started for
    QElapsedTimer elapsed_;
};

constexpr size_t kFrameSlot = 0;

}  // namespace

CDeviceOptionUI::CDeviceOptionUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

CDeviceOptionUI::~CDeviceOptionUI() {
    StopAllTimers();
    if (GetDevice() != nullptr && GetDevice()->GetOptionButton() == this)
        GetDevice()->SetOptionButton(nullptr);
}

void CDeviceOptionUI::Register() {
    auto create = [](QWidget* parent) -> QWidget* { return new CDeviceOptionUI(parent); };
    ControlFactory::Instance().RegisterControl(QString::fromLatin1(kClassName), create);
    ControlFactory::Instance().RegisterControl(QStringLiteral("CDeviceOptionUI"), create);
}

CDeviceOptionUI* EntryOf(QWidget* control) {
    for (QWidget* w = control; w != nullptr; w = w->parentWidget()) {
        if (auto* entry = qobject_cast<CDeviceOptionUI*>(w))
            return entry;
    }
    return nullptr;
}

QAbstractButton* CDeviceOptionUI::SelectOption() const {
    if (!selectOption_)
        selectOption_ = qobject_cast<QAbstractButton*>(FindSubControlByName(
            const_cast<CDeviceOptionUI*>(this), QStringLiteral("device_select")));
    return selectOption_;
}

QAbstractButton* CDeviceOptionUI::SynchroOption() const {
    if (!synchroOption_)
        synchroOption_ = qobject_cast<QAbstractButton*>(FindSubControlByName(
            const_cast<CDeviceOptionUI*>(this), QStringLiteral("synchro_device_select")));
    return synchroOption_;
}

void CDeviceOptionUI::SetDevice(device::CVornelUSBDevice* device) {
    if (device == nullptr)
        StopAllTimers();
    logic_.SetDevice(device);
    if (device != nullptr)
        device->SetOptionButton(this);
}

void CDeviceOptionUI::SetNameText(const QString& text) {
    SetControlText(FindSubControlByName(this, QStringLiteral("device_select_name")), text);
}

void CDeviceOptionUI::SetKind(int kind, int variant) {
    kind_ = kind;
    variant_ = variant;
    const QString word = IconWord(kind, variant);
    if (word.isEmpty())
        return;
    const QString base = QStringLiteral("common/device_ico/") + word;
    normalImage_ = base + QStringLiteral("_device_normal.png");
    selectedImage_ = base + QStringLiteral("_device_selected.png");
    synchroNormalImage_ = base + QStringLiteral("_device_synchro_normal.png");
    synchroSelectedImage_ = base + QStringLiteral("_device_synchro_selected.png");
    tooltipId_ = word + QStringLiteral("_device_name_text");
    QAbstractButton* option = SelectOption();
    if (option == nullptr)
        return;
    ApplyImages(normalImage_, selectedImage_);
    option->setProperty("toolTipId", tooltipId_);
    option->setToolTip(TextManager::Instance().Text(tooltipId_));
}

void CDeviceOptionUI::ApplyImages(const QString& normal, const QString& selected) {
    QAbstractButton* option = SelectOption();
    if (option == nullptr)
        return;
    shownNormal_ = normal;
    shownSelected_ = selected;
    option->setProperty("normalimage", normal);
    option->setProperty("selectedimage", selected);
    // The disabled look is always the normal image of the set in use.
    option->setProperty("disabledimage", normal);
    const QString n = ImageUrl(normal);
    const QString s = ImageUrl(selected);
    if (n.isEmpty() || s.isEmpty())
        return;
    option->setStyleSheet(QStringLiteral("QAbstractButton { border-image: %1; }"
                                         "QAbstractButton:checked { border-image: %2; }"
                                         "QAbstractButton:disabled { border-image: %1; }")
                              .arg(n, s));
}

QString CDeviceOptionUI::ShownNormalImage() const {
    return shownNormal_;
}

QString CDeviceOptionUI::ShownSelectedImage() const {
    return shownSelected_;
}

void CDeviceOptionUI::SetGroup(const QString& name) {
    QAbstractButton* option = SelectOption();
    if (option == nullptr || name.isEmpty())
        return;
    option->setCheckable(true);
    QWidget* top = window();
    const QString groupName = QString::fromLatin1(kGroupPrefix) + name.toLower();
    auto* group = top->findChild<QButtonGroup*>(groupName, Qt::FindDirectChildrenOnly);
    if (group == nullptr) {
        group = new QButtonGroup(top);
        group->setObjectName(groupName);
        group->setExclusive(true);
    }
    if (option->group() != group) {
        if (option->group() != nullptr)
            option->group()->removeButton(option);
        group->addButton(option);
    }
    option->setProperty("group", name);
    if (!optionWired_) {
        optionWired_ = true;
        connect(option, &QAbstractButton::toggled, this, &CDeviceOptionUI::OnOptionToggled);
    }
}

void CDeviceOptionUI::BindTab(const QString& layoutName, int index) {
    QAbstractButton* option = SelectOption();
    if (option == nullptr)
        return;
    tabName_ = layoutName;
    tabIndex_ = index;
    option->setCheckable(true);
    if (!optionWired_) {
        optionWired_ = true;
        connect(option, &QAbstractButton::toggled, this, &CDeviceOptionUI::OnOptionToggled);
    }
}

QString CDeviceOptionUI::GetTabName() const {
    return SelectOption() != nullptr ? tabName_ : QString();
}

int CDeviceOptionUI::GetTabIndex() const {
    return SelectOption() != nullptr ? tabIndex_ : -1;
}

void CDeviceOptionUI::OnOptionToggled(bool checked) {
    if (checked)
        PreviewMayShow();
    // An option bound to a tab layout shows its page when it becomes selected.
    if (!checked || tabName_.isEmpty() || tabIndex_ < 0)
        return;
    SetControlCurrentIndex(FindInWindow(this, tabName_), tabIndex_);
}

void CDeviceOptionUI::SetPowerPage(const QString* name, int index) {
    if (name == nullptr)
        return;
    powerLayoutName_ = *name;
    if (index >= 0)
        powerIndex_ = index;
}

void CDeviceOptionUI::SetVisible(bool visible) {
    shown_ = visible;
    QWidget::setVisible(visible);
}

bool CDeviceOptionUI::IsSelected() const {
    QAbstractButton* option = SelectOption();
    return option != nullptr && option->isChecked();
}

void CDeviceOptionUI::Select(bool select) {
    QAbstractButton* option = SelectOption();
    if (option == nullptr)
        return;
    option->setCheckable(true);
    QButtonGroup* group = option->group();
    if (!select && group != nullptr && group->exclusive()) {
        // An exclusive group refuses to clear its checked button.
        group->setExclusive(false);
        option->setChecked(false);
        group->setExclusive(true);
    } else {
        option->setChecked(select);
    }
    if (auto* w = qobject_cast<Window*>(window()))
        w->SendNotify(option, QString::fromLatin1(notify::kSelectChanged), select ? 1 : 0);
}

bool CDeviceOptionUI::IsSynchroSelected() const {
    QAbstractButton* option = SynchroOption();
    return option != nullptr && option->isChecked();
}

void CDeviceOptionUI::SetSynchroSelected(bool select) {
    QAbstractButton* option = SynchroOption();
    if (option == nullptr)
        return;
    option->setCheckable(true);
    option->setChecked(select);
    if (auto* w = qobject_cast<Window*>(window()))
        w->SendNotify(option, QString::fromLatin1(notify::kSelectChanged), select ? 1 : 0);
    SwapImages();
}

void CDeviceOptionUI::SetSynchroVisible(bool visible) {
    QAbstractButton* option = SynchroOption();
    if (option == nullptr)
        return;
    option->setVisible(visible);
    SwapImages();
}

void CDeviceOptionUI::SwapImages() {
    if (SelectOption() == nullptr)
        return;
    if (IsSynchroSelected())
        ApplyImages(synchroNormalImage_, synchroSelectedImage_);
    else
        ApplyImages(normalImage_, selectedImage_);
}

int CDeviceOptionUI::Slot(int id) {
    const int slot = id - kFirstTimer;
    return slot >= 0 && slot < 10 ? slot : -1;
}

void CDeviceOptionUI::StartTimer(int id, int periodMs) {
    const int slot = Slot(id);
    if (slot < 0 || periodMs < 0)
        return;
    if (QThread::currentThread() != thread()) {
        // Worker threads (event threads, the receiver service) hand the
        // request to the UI thread; it is dropped if the entry is gone.
        QMetaObject::invokeMethod(
            this, [this, id, periodMs] { StartTimer(id, periodMs); }, Qt::QueuedConnection);
        return;
    }
    if (static_cast<size_t>(slot) == kFrameSlot) {
        FrameClock& clock = FrameClock::Instance();
        if (slot == firing_) {
            const bool same =
                firingStopped_ && clock.Subscribed(this) && periods_[kFrameSlot] == periodMs;
            firingStopped_ = false;
            if (same)
                return;
        }
        periods_[kFrameSlot] = periodMs;
        clock.Subscribe(this, periodMs);
        return;
    }
    QBasicTimer& timer = timers_[static_cast<size_t>(slot)];
    if (slot == firing_) {
        const bool same =
            firingStopped_ && timer.isActive() && periods_[static_cast<size_t>(slot)] == periodMs;
        firingStopped_ = false;
        // Restarted from its own handler with the same period: the
        // repeating timer fires again one period after this expiry anyway.
        if (same)
            return;
    }
    periods_[static_cast<size_t>(slot)] = periodMs;
    timer.start(periodMs, periodMs < 20 ? Qt::PreciseTimer : Qt::CoarseTimer, this);
}

void CDeviceOptionUI::StopTimer(int id) {
    const int slot = Slot(id);
    if (slot < 0)
        return;
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, id] { StopTimer(id); }, Qt::QueuedConnection);
        return;
    }
    if (slot == firing_) {
        // Held back until the handler returns (see timerEvent).
        firingStopped_ = true;
        return;
    }
    if (static_cast<size_t>(slot) == kFrameSlot)
        FrameClock::Instance().Unsubscribe(this);
    else
        timers_[static_cast<size_t>(slot)].stop();
}

void CDeviceOptionUI::StopAllTimers() {
    for (QBasicTimer& t : timers_)
        t.stop();
    FrameClock::Instance().Unsubscribe(this);
    if (firing_ >= 0)
        firingStopped_ = true;
}

bool CDeviceOptionUI::TimerActive(int id) const {
    const int slot = Slot(id);
    if (slot < 0 || (slot == firing_ && firingStopped_))
        return false;
    return static_cast<size_t>(slot) == kFrameSlot ? FrameClock::Instance().Subscribed(this)
                                                   : timers_[static_cast<size_t>(slot)].isActive();
}

int CDeviceOptionUI::TimerPeriod(int id) const {
    return TimerActive(id) ? periods_[static_cast<size_t>(Slot(id))] : -1;
}

void CDeviceOptionUI::timerEvent(QTimerEvent* event) {
    for (size_t slot = 0; slot < timers_.size(); ++slot) {
        if (timers_[slot].timerId() != event->timerId())
            continue;
        Fire(slot);
        return;
    }
    QWidget::timerEvent(event);
}

void CDeviceOptionUI::OnFrameClock(qint64 nowMs) {
    // Re-armed like a repeating timer; the handler decides below.
    FrameClock::Instance().Rearm(this, nowMs);
    Fire(kFrameSlot);
}

void CDeviceOptionUI::Fire(size_t slot) {
    // Every handler stops its own timer first and may start it again; a
    // stop is only carried out when the handler did not restart it, so a
    // timer that repeats is not torn down and set up every period.
    const int outer = firing_;
    const bool outerStopped = firingStopped_;
    firing_ = static_cast<int>(slot);
    firingStopped_ = false;
    logic_.OnTimer(kFirstTimer + static_cast<int>(slot));
    if (firingStopped_) {
        if (slot == kFrameSlot)
            FrameClock::Instance().Unsubscribe(this);
        else
            timers_[slot].stop();
    }
    firing_ = outer;
    firingStopped_ = outerStopped;
}

bool CDeviceOptionUI::RepaintPreview() {
    if (!previewPanel_)
        return false;
    // The select panel repaints the LEDs whose tint changed, once per batch
    // of changes; repainting the whole picture here would redraw every key
    // on every frame.
    return true;
}

bool CDeviceOptionUI::PreviewVisible() const {
    const QWidget* top = window();
    // A picture on a page or tab that is not shown is not seen either.
    return top != nullptr && top->isVisible() && !top->isMinimized() &&
           (!previewPanel_ || previewPanel_->isVisible());
}

void CDeviceOptionUI::PreviewMayShow() {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this] { PreviewMayShow(); }, Qt::QueuedConnection);
        return;
    }
    logic_.PreviewMayShow();
}

void CDeviceOptionUI::SetPreviewPanel(QWidget* panel) {
    if (previewPanel_)
        previewPanel_->removeEventFilter(this);
    previewPanel_ = panel;
    // The picture shows with its page, its tab or the window.
    if (panel != nullptr)
        panel->installEventFilter(this);
}

bool CDeviceOptionUI::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched == previewPanel_.data())
        PreviewMayShow();
    return QWidget::eventFilter(watched, event);
}

bool CDeviceOptionUI::event(QEvent* event) {
    // The entry shows with the window (out of the tray, restored): a page
    // without a picture of its own may be seen again.
    if (event->type() == QEvent::Show)
        PreviewMayShow();
    return QWidget::event(event);
}

}  // namespace ui
