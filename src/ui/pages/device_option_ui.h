// CDeviceOptionUI ("DeviceOption"): one entry of the device bar. It shows the
// device's icon, switches the device page when chosen, and owns the timers
// that drive its device object (connect, preview frames, battery, link
// watch, keep-alive); the rules of those timers live in DeviceEntryLogic.
// Timer requests from worker threads are queued to the UI thread.
#pragma once

#include <QBasicTimer>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

#include "device/device_entry_logic.h"
#include "device/device_lifecycle.h"
#include "device/device_views.h"

class QAbstractButton;

namespace device {
class CVornelUSBDevice;
}

namespace ui {

class CDeviceOptionUI : public QWidget,
                        public device::LifecycleEntry,
                        public device::DeviceEntryHost,
                        public device::DeviceEntryView {
    Q_OBJECT
  public:
    explicit CDeviceOptionUI(QWidget* parent = nullptr);
    ~CDeviceOptionUI() override;

    static constexpr const char* kClassName = "DeviceOption";
    static void Register();

    // Gives the device this entry (SetOptionButton); null detaches and stops
    // every timer.
    void SetDevice(device::CVornelUSBDevice* device);
    device::CVornelUSBDevice* GetDevice() const { return logic_.Device(); }
    void SetPreviewPanel(QWidget* panel);
    void SetNameText(const QString& text);
    void SetKind(int kind, int variant);
    int GetKind() const { return kind_; }
    int GetVariant() const { return variant_; }
    void SetGroup(const QString& name);
    void BindTab(const QString& layoutName, int index);
    QString GetTabName() const;
    int GetTabIndex() const;
    void SetPowerPage(const QString* name, int index);
    const QString& GetPowerLayoutName() const { return powerLayoutName_; }
    int GetPowerIndex() const { return powerIndex_; }

    void SetVisible(bool visible) override;
    bool IsShown() const override { return shown_; }
    bool IsSelected() const override;
    // Selects or clears "device_select" and raises its "selectchanged".
    void Select(bool select);
    bool IsSynchroSelected() const;
    void SetSynchroSelected(bool select);
    void SetSynchroVisible(bool visible);

    void StartConnect() override { logic_.StartConnect(); }
    void StartLinkWatch(int ms) override { logic_.StartLinkWatch(ms); }
    void RestartKeepAliveA() { logic_.RestartKeepAliveA(); }
    void RestartKeepAliveB() { logic_.RestartKeepAliveB(); }

    // DeviceEntryHost / DeviceEntryView: one-shot timers; any thread.
    void StartTimer(int id, int periodMs) override;
    void StopTimer(int id) override;
    bool RepaintPreview() override;
    bool PreviewVisible() const override;
    void PreviewMayShow() override;
    bool TimerActive(int id) const;
    int TimerPeriod(int id) const;
    void StopAllTimers();

    // The icon set in use (skin-relative paths) and the tooltip text id.
    const QString& NormalImage() const { return normalImage_; }
    const QString& SelectedImage() const { return selectedImage_; }
    const QString& SynchroNormalImage() const { return synchroNormalImage_; }
    const QString& SynchroSelectedImage() const { return synchroSelectedImage_; }
    QString TooltipId() const { return tooltipId_; }
    // The images "device_select" shows now.
    QString ShownNormalImage() const;
    QString ShownSelectedImage() const;

    QAbstractButton* SelectOption() const;
    QAbstractButton* SynchroOption() const;

    // One expiry of the shared frame clock for this entry's frame timer.
    void OnFrameClock(qint64 nowMs);

  protected:
    void timerEvent(QTimerEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ApplyImages(const QString& normal, const QString& selected);
    void SwapImages();
    void Fire(size_t slot);
    void OnOptionToggled(bool checked);
    static int Slot(int id);

    device::DeviceEntryLogic logic_{*this};
    QPointer<QWidget> previewPanel_;
    mutable QPointer<QAbstractButton> selectOption_;
    mutable QPointer<QAbstractButton> synchroOption_;
    int kind_ = 0;
    int variant_ = 0;
    QString synchroSelectedImage_ =
        QStringLiteral("common/device_ico/unknow_device_synchro_selected.png");
    QString synchroNormalImage_ =
        QStringLiteral("common/device_ico/unknow_device_synchro_normal.png");
    QString selectedImage_ = QStringLiteral("common/device_ico/unknow_device_selected.png");
    QString normalImage_ = QStringLiteral("common/device_ico/unknow_device_normal.png");
    QString tooltipId_;
    QString shownNormal_;
    QString shownSelected_;
    QString powerLayoutName_;
    QString tabName_;
    int tabIndex_ = -1;
    bool shown_ = true;
    int powerIndex_ = -1;
    bool optionWired_ = false;

    // Timers 1000..1009 by id - 1000.
    std::array<QBasicTimer, 10> timers_;
    std::array<int, 10> periods_{};
    // The slot whose handler runs: its stop is held back until the handler
    // returns, so a timer that restarts itself with the same period keeps
    // running instead of being torn down and set up again every period.
    int firing_ = -1;
    bool firingStopped_ = false;
};

// The entry a control belongs to (the control itself or an ancestor).
CDeviceOptionUI* EntryOf(QWidget* control);

}  // namespace ui
