#include "ui/dialogs/set_wnd.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <array>

#include "i18n/language_list.h"
#include "platform/debug_output.h"
#include "platform/worker_thread.h"
#include "ui/dialogs/update_info_item.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window_messages.h"
#include "update/update_time.h"

namespace ui {
namespace {

constexpr uint32_t kMsgLanguageChanged = 3089;
constexpr uint32_t kMsgUpdateSeen = 3094;
constexpr std::array<int, 7> kAcceptedScales = {48, 72, 96, 120, 144, 168, 192};

const platform::JoinTexts& StopTexts() {
    static const platform::JoinTexts texts{"所有对象处于激发状态\n",
                                           "所有对象处于非激发状态，超时\n", "错误\n"};
    return texts;
}

bool NameIs(const QString& lowerName, const char* name) {
    return lowerName == QLatin1String(name);
}

}  // namespace

bool IsAcceptedSetWndScale(int dpi) {
    for (int s : kAcceptedScales) {
        if (s == dpi)
            return true;
    }
    return false;
}

CSetWnd::CSetWnd() {
    setObjectName(QStringLiteral("SetWnd"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

CSetWnd::~CSetWnd() {
    acceptResults_ = false;
    check_.Stop();
}

QWidget* CSetWnd::CreateControl(const QString& className, QWidget* parent) {
    if (className.compare(QLatin1String(CUpdateInfoListItemUI::kClassName), Qt::CaseInsensitive) ==
            0 ||
        className.compare(QLatin1String("CUpdateInfoListItemUI"), Qt::CaseInsensitive) == 0)
        return new CUpdateInfoListItemUI(parent);
    return Window::CreateControl(className, parent);
}

void CSetWnd::InitWindow() {
    closeBtn_ = FindControl(QStringLiteral("closebtn"));
    maxBtn_ = FindControl(QStringLiteral("maxbtn"));
    restoreBtn_ = FindControl(QStringLiteral("restorebtn"));
    minBtn_ = FindControl(QStringLiteral("minbtn"));
    menuBtn_ = FindControl(QStringLiteral("menubtn"));
    laterBtn_ = FindControl(QStringLiteral("laterbtn"));
    updateList_ = FindControl(QStringLiteral("device_update_list_info"));
    languageList_ = FindControl(QStringLiteral("Language_combox_info"));
    // A choice from the open list may be applied after its input event has
    // ended; the combo's own signal for a user's choice is the reliable one.
    if (auto* combo = qobject_cast<QComboBox*>(languageList_.data())) {
        connect(combo, &QComboBox::activated, this, [this](int index) {
            if (index >= 0)
                OnItemSelect(languageList_, static_cast<uintptr_t>(index));
        });
    }
    ShowMaximisedState();
    SetControlVisible(FindControl(QStringLiteral("update_fw_and_ap")), false);
    SetControlEnabled(FindControl(QStringLiteral("update_fw_and_ap")), false);
    SetControlCurrentIndex(FindControl(QStringLiteral("get_update_tab_layout")), 0);
}

void CSetWnd::SetScale(int dpi) {
    if (dpi == scale_ && DPI() == dpi)
        return;
    if (!IsAcceptedSetWndScale(dpi)) {
        platform::DebugOutput("SET_WND DPI SET ERROR");
        dpi = 96;
    }
    scale_ = dpi;
    SetDPI(dpi);
}

void CSetWnd::SetMainWindow(Window* main, int languageIndex) {
    mainWnd_ = main;
    languageIndex_ = languageIndex;
}

void CSetWnd::SetDevices(std::vector<update::DeviceVersion> devices) {
    devices_ = std::move(devices);
}

CUpdateInfoListItemUI* CSetWnd::Item(size_t row) const {
    return row < items_.size() ? items_[row].data() : nullptr;
}

void CSetWnd::Notify(const Notification& n) {
    if (!n.sender)
        return;
    if (n.type == QLatin1String(notify::kWindowInit)) {
        OnWindowInit();
    } else if (n.type == QLatin1String(notify::kClick)) {
        OnClick(n.sender, n.sender->objectName().toLower());
    } else if (n.type == QLatin1String(notify::kItemSelect) && n.sender != languageList_) {
        OnItemSelect(n.sender, n.wParam);
    } else if (n.type == QLatin1String(notify::kSelectChanged)) {
        OnSelectChanged(n.sender);
    }
}

void CSetWnd::OnWindowInit() {
    FillLanguageList();
    const std::string datePath = update::UpdateTimePath();
    if (!datePath.empty()) {
        std::optional<std::string> stored = update::ReadCheckDate(datePath);
        if (!stored) {
            stored = update::TodayCheckDate();
            if (!update::WriteCheckDate(datePath, *stored))
                platform::DebugOutput("updatetime.config could not be written");
        }
        lastCheckDate_ = *stored;
    }
    StartCheck();
}

void CSetWnd::FillLanguageList() {
    auto* combo = qobject_cast<QComboBox*>(languageList_.data());
    if (combo == nullptr)
        return;
    const i18n::LanguageList list = i18n::LoadLanguageList(i18n::LanguageListPath());
    {
        const QSignalBlocker block(combo);
        combo->clear();
        for (size_t i = 0; i < list.entries.size(); ++i)
            AddComboTextItem(combo, QString::fromStdString(list.entries[i].textId),
                             static_cast<int>(i));
    }
    SetControlCurrentIndex(combo, languageIndex_);
    combo->setFocus();
}

void CSetWnd::StartCheck() {
    update::UpdateTargetTable table = update::DefaultTargetTable();
    update::FillCurrentVersions(table, devices_, update::ProgramDisplayVersion());
    list_.Reset(table);
    BuildRows();
    update::UpdateCheck::Options options = options_;
    if (!optionsSet_) {
        options.url = update::UpdateRequestUrl();
        options.dateFilePath = update::UpdateTimePath();
    }
    serverConfigured_ = !options.url.empty();
    checkDone_ = false;
    ShowOverall(update::OverallState::Checking);
    acceptResults_ = true;
    // The worker never touches a control: each result is copied into a call
    // queued to this window's thread, which drops it once the check stopped.
    QPointer<CSetWnd> self(this);
    auto onRow = [self](int row, const update::UpdateInfo& info) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, row, info] {
                if (self && self->acceptResults_)
                    self->ApplyRowResult(row, info);
            },
            Qt::QueuedConnection);
    };
    auto onDone = [self](const update::CheckSummary& summary) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, summary] {
                if (self && self->acceptResults_)
                    self->ApplyCheckDone(summary);
            },
            Qt::QueuedConnection);
    };
    if (!check_.Start(table, std::move(options), onRow, onDone))
        platform::DebugOutput("update check not started");
}

void CSetWnd::BuildRows() {
    for (QPointer<CUpdateInfoListItemUI>& item : items_)
        delete item.data();
    items_.clear();
    if (!updateList_)
        return;
    for (size_t i = 0; i < list_.Size(); ++i) {
        QWidget* built =
            BuildLayout(QString::fromLatin1(CUpdateInfoListItemUI::kLayout), updateList_);
        auto* item = qobject_cast<CUpdateInfoListItemUI*>(built);
        if (item == nullptr) {
            delete built;
            platform::DebugOutput("update list item layout missing");
            break;
        }
        item->setObjectName(QStringLiteral("update_item_%1").arg(i));
        item->setFixedHeight(Scaled(CUpdateInfoListItemUI::kHeight));
        items_.emplace_back(item);
        ShowRow(i);
    }
    if (QLayout* l = updateList_->layout())
        l->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
}

void CSetWnd::ShowRow(size_t row) {
    if (CUpdateInfoListItemUI* item = Item(row); item != nullptr && row < list_.Size())
        item->Show(list_.Row(row));
}

void CSetWnd::ApplyRowResult(int row, const update::UpdateInfo& info) {
    if (list_.ApplyResult(row, info))
        ShowRow(static_cast<size_t>(row));
}

void CSetWnd::ApplyCheckDone(const update::CheckSummary& summary) {
    checkDone_ = true;
    list_.FinishCheck();
    for (size_t i = 0; i < list_.Size(); ++i)
        ShowRow(i);
    ShowUpdateButton();
    if (const std::string path = update::UpdateTimePath(); !path.empty()) {
        if (std::optional<std::string> stored = update::ReadCheckDate(path))
            lastCheckDate_ = *stored;
    }
    ShowOverall(summary.overall);
}

void CSetWnd::ShowOverall(update::OverallState state, bool tellMainWindow) {
    overall_ = state;
    const bool checking = state == update::OverallState::Checking;
    SetControlVisible(FindControl(QStringLiteral("update_status_ring")), checking);
    SetControlVisible(FindControl(QStringLiteral("update_status_image")), !checking);
    QWidget* text = FindControl(QStringLiteral("Update_Status_text"));
    if (!serverConfigured_) {
        SetTextId(text, QString::fromLatin1(update::kNoServerTextKey));
        return;
    }
    if (state != update::OverallState::UpToDate) {
        SetTextId(text, QString::fromLatin1(update::OverallTextKey(state)));
        return;
    }
    if (text != nullptr) {
        text->setProperty("textId", QVariant());
        if (auto* label = qobject_cast<QLabel*>(text))
            label->setTextFormat(Qt::PlainText);
        SetControlText(
            text, TextManager::Instance().Text(QString::fromLatin1(update::OverallTextKey(state))) +
                      QString::fromStdString(lastCheckDate_));
    }
    if (tellMainWindow && mainWnd_)
        mainWnd_->Send(kMsgUpdateSeen, 0, 0);
}

void CSetWnd::ShowUpdateButton() {
    QWidget* button = FindControl(QStringLiteral("update_fw_and_ap"));
    const bool any = list_.AnyTicked();
    SetControlEnabled(button, any);
    SetControlVisible(button, any);
}

void CSetWnd::OnClick(QWidget* sender, const QString& name) {
    if (sender == closeBtn_ || sender == laterBtn_) {
        RequestClose();
    } else if (sender == minBtn_) {
        Send(kWmSysCommand, kScMinimize, 0);
    } else if (sender == maxBtn_) {
        Send(kWmSysCommand, kScMaximize, 0);
    } else if (sender == restoreBtn_) {
        Send(kWmSysCommand, kScRestore, 0);
    } else if (NameIs(name, "update_fw_and_ap")) {
        SetControlCurrentIndex(FindControl(QStringLiteral("get_update_tab_layout")), 1);
    } else if (NameIs(name, "update_ok_btn")) {
        list_.ConfirmUpdates();
        for (size_t i = 0; i < list_.Size(); ++i)
            ShowRow(i);
        SetControlEnabled(FindControl(QStringLiteral("update_fw_and_ap")), false);
        SetControlCurrentIndex(FindControl(QStringLiteral("get_update_tab_layout")), 0);
    } else if (NameIs(name, "set_in_update_wnd_btn")) {
        SetControlVisible(FindControl(QStringLiteral("update_tishi_layout")), false);
        resize(Scaled(kSetWndWidth), Scaled(kSetWndHeight));
    }
    // "menubtn" and "homepage_btn" do nothing.
}

void CSetWnd::OnItemSelect(QWidget* sender, uintptr_t index) {
    if (sender != languageList_ || index > 0xFFFF)
        return;
    languageIndex_ = static_cast<int>(index);
    if (mainWnd_)
        mainWnd_->Send(kMsgLanguageChanged, index, 0);
}

void CSetWnd::OnSelectChanged(QWidget* sender) {
    if (sender->objectName().compare(QLatin1String("check_name_select"), Qt::CaseInsensitive) != 0)
        return;
    for (size_t i = 0; i < items_.size(); ++i) {
        CUpdateInfoListItemUI* item = items_[i];
        if (item != nullptr && item->isAncestorOf(sender))
            list_.SetTicked(static_cast<int>(i), ControlChecked(sender));
    }
    ShowUpdateButton();
}

void CSetWnd::StopThreads() {
    acceptResults_ = false;
    check_.Stop(&StopTexts());
}

void CSetWnd::RequestClose() {
    if (!list_.CloseAllowed())
        return;
    StopThreads();
    Close(0);
}

void CSetWnd::OnCloseRequest() {
    // The window manager's close acts like the close button; it never ends
    // the program.
    RequestClose();
}

void CSetWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        RequestClose();
        return;
    }
    Window::keyPressEvent(event);
}

intptr_t CSetWnd::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                      bool& handled) {
    handled = false;
    if (relayMessage_ != 0 && message == relayMessage_) {
        handled = true;
        const update::UpdateList::RelayEffect effect = list_.ApplyRelay(wParam, lParam);
        const int row = list_.RowBeingUpdated();
        if (effect.changed && row >= 0) {
            ShowRow(static_cast<size_t>(row));
            if (effect.progress >= 0 && Item(static_cast<size_t>(row)) != nullptr)
                Item(static_cast<size_t>(row))->SetProgress(effect.progress);
        }
        if (effect.overallChanged) {
            for (size_t i = 0; i < list_.Size(); ++i)
                ShowRow(i);
            ShowOverall(effect.overall);
        }
        return 0;
    }
    switch (message) {
        case kWmClose:
            if (!list_.CloseAllowed()) {
                handled = true;
                return 0;
            }
            StopThreads();
            return 0;
        case kMsgLanguageChanged:
            if (overall_ == update::OverallState::UpToDate && serverConfigured_)
                ShowOverall(overall_, false);
            update();
            return 0;
        default:
            return 0;
    }
}

void CSetWnd::changeEvent(QEvent* event) {
    Window::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        ShowMaximisedState();
}

void CSetWnd::ShowMaximisedState() {
    const bool maximised = isMaximized();
    SetControlVisible(maxBtn_, !maximised);
    SetControlVisible(restoreBtn_, maximised);
}

}  // namespace ui
