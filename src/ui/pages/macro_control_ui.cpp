#include "ui/pages/macro_control_ui.h"

#include <QCheckBox>
#include <QCursor>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QTimer>

#include "macro/input_capture.h"
#include "platform/debug_output.h"
#include "ui/dialogs/msg_wnd.h"
#include "ui/framework/control_factory.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window.h"

namespace ui {

namespace {

constexpr int kRowHeight = 30;
constexpr int kScrollDelayMs = 50;  // the row scrolls into view once laid out
constexpr const char* kRowProperty = "macroRow";

// The action menu: one pop-up at a time, its items' names go to the main
// window as menu commands.
class MacroActionMenu : public Window {
  public:
    explicit MacroActionMenu(std::function<void(const QString&)> command)
        : command_(std::move(command)) {
        setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
        setAttribute(Qt::WA_DeleteOnClose);
    }

  protected:
    QString GetSkinFile() const override {
        return QStringLiteral("XML/Menus/macro_action_menu.ui");
    }
    void Notify(const Notification& n) override {
        if (n.type != QLatin1String(notify::kClick) || !n.sender)
            return;
        const QString name = n.sender->objectName();
        close();
        if (command_)
            command_(name);
    }

  private:
    std::function<void(const QString&)> command_;
};

std::function<void(const QString&)>& MenuCommandSink() {
    static std::function<void(const QString&)> sink;
    return sink;
}

}  // namespace

CMacroControlUI::CMacroControlUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

CMacroControlUI::~CMacroControlUI() {
    if (menu_)
        menu_->close();
}

void CMacroControlUI::Register() {
    auto create = [](QWidget* parent) -> QWidget* { return new CMacroControlUI(parent); };
    ControlFactory::Instance().RegisterControl(QString::fromLatin1(kClassName), create);
    ControlFactory::Instance().RegisterControl(QStringLiteral("CMacroControlUI"), create);
}

void SetMacroMenuCommandSink(std::function<void(const QString&)> sink) {
    MenuCommandSink() = std::move(sink);
}

CMacroControlUI* MacroPageIn(QWidget* devicePage) {
    if (devicePage == nullptr)
        return nullptr;
    if (auto* page = qobject_cast<CMacroControlUI*>(
            FindSubControlByName(devicePage, QStringLiteral("MacroControlItem"))))
        return page;
    return devicePage->findChild<CMacroControlUI*>();
}

QWidget* CMacroControlUI::Child(const char* name) const {
    return FindSubControlByName(const_cast<CMacroControlUI*>(this), QString::fromLatin1(name));
}

QListWidget* CMacroControlUI::NameList() const {
    return qobject_cast<QListWidget*>(Child("macro_name_list"));
}

QListWidget* CMacroControlUI::ActionList() const {
    return qobject_cast<QListWidget*>(Child("macro_action_list"));
}

void CMacroControlUI::SetFolder(const std::string& folder) {
    // The list is read once per page.
    if (model_ || folder.empty())
        return;
    model_ = std::make_unique<pages::MacroPageModel>(folder, macro::CaptureClockMs);
    model_->SetAllowedActions(allowed_);
    model_->LoadList();
    if (auto* edit = qobject_cast<QLineEdit*>(Child("macro_fixed_time_edit")))
        edit->setValidator(new QIntValidator(0, macro::kMaxDelay, edit));
    FillNames();
    ShowMacro();
}

void CMacroControlUI::SetAllowedActions(int count) {
    allowed_ = count;
    if (model_)
        model_->SetAllowedActions(count);
}

void CMacroControlUI::Message(const std::string& id, bool question, bool* confirmed) {
    const int answer = messenger_ ? messenger_(id, question ? kMessageQuestion : kMessageInfo) : 0;
    if (confirmed != nullptr)
        *confirmed = answer == 1;
}

void CMacroControlUI::ShowOutcome(const pages::MacroOutcome& outcome) {
    if (!outcome.message.empty())
        Message(outcome.message);
}

void CMacroControlUI::FillNames() {
    QListWidget* list = NameList();
    if (list == nullptr || !model_)
        return;
    const QSignalBlocker block(list);
    list->clear();
    for (size_t i = 0; i < model_->Names().size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(model_->Names()[i]), list);
        item->setSizeHint(QSize(0, kRowHeight));
        item->setData(Qt::UserRole,
                      QString::fromStdString(model_->Files().Guid(static_cast<int>(i))));
    }
    list->setCurrentRow(model_->SelectedMacro());
}

void CMacroControlUI::ShowMacro() {
    const bool selected = model_ && model_->SelectedMacro() >= 0;
    for (const char* name : {"macro_action_layout", "mouse_move_layout", "macro_btn_export",
                             "macro_btn_name_sub", "macro_btn_name_edit"})
        SetControlEnabled(Child(name), selected);
    const QString name =
        selected ? QString::fromStdString(model_->Names()[model_->SelectedMacro()]) : QString();
    if (QWidget* edit = Child("macro_edit_macroname")) {
        SetControlText(edit, name);
        edit->setToolTip(name);
    }
    if (QListWidget* list = NameList()) {
        const QSignalBlocker block(list);
        list->setCurrentRow(selected ? model_->SelectedMacro() : -1);
    }
    ShowActions();
}

QWidget* CMacroControlUI::BuildRow(const macro::MacroEvent& event, int row) {
    auto* box = new QWidget;
    box->setObjectName(QStringLiteral("macro_action"));
    box->setProperty(kRowProperty, row);
    box->setFixedHeight(kRowHeight);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(8, 0, 8, 0);
    layout->setAlignment(Qt::AlignVCenter);
    const bool key = event.type == 9 || event.type == 10;
    auto* name = new QLabel(
        TextManager::Instance().Text(QString::fromStdString(macro::ActionNameKey(event))), box);
    name->setObjectName(QStringLiteral("macro_action_name"));
    name->setProperty("style", key ? "macro_label_keyboard_style" : "macro_label_mouse_style");
    auto* action = new QLabel(box);
    action->setObjectName(QStringLiteral("macro_action_kind"));
    if (event.type == 4 || event.type == 5) {
        action->setProperty("style", "macro_label_text_style");
        action->setText(QString::number(event.button));
    } else if (event.type == 2 || event.type == 3) {
        action->setProperty("style", "macro_label_text_style");
    } else {
        action->setProperty("style",
                            event.down ? "macro_label_down_style" : "macro_label_up_style");
        action->setText(TextManager::Instance().Text(
            QString::fromLatin1(event.down ? "macro_action_down_text" : "macro_action_up_text")));
    }
    auto* delay = new QLineEdit(QString::number(event.delay), box);
    delay->setObjectName(QStringLiteral("macro_delay"));
    delay->setProperty("style", "macro_label_text_style");
    delay->setMaxLength(6);
    delay->setFixedHeight(25);
    delay->setFixedWidth(70);
    delay->setValidator(new QIntValidator(0, macro::kMaxDelay, delay));
    delay->setStyleSheet(QStringLiteral("background-color: #444444;"));
    delay->installEventFilter(this);
    box->installEventFilter(this);
    layout->addWidget(name, 2);
    layout->addWidget(action, 1);
    layout->addWidget(delay, 0);
    return box;
}

void CMacroControlUI::ShowActions() {
    QListWidget* list = ActionList();
    if (list == nullptr)
        return;
    const QSignalBlocker block(list);
    list->clear();
    if (!model_)
        return;
    const auto& rows = model_->Actions().rows;
    for (size_t i = 0; i < rows.size(); ++i)
        InsertRow(static_cast<int>(i));
    list->setCurrentRow(model_->Actions().selected);
}

void CMacroControlUI::InsertRow(int row) {
    QListWidget* list = ActionList();
    if (list == nullptr || !model_)
        return;
    auto* item = new QListWidgetItem;
    item->setSizeHint(QSize(0, kRowHeight));
    list->insertItem(row, item);
    list->setItemWidget(item, BuildRow(model_->Actions().rows[row], row));
    // Rows after it moved down by one.
    for (int i = row + 1; i < list->count(); ++i)
        if (QWidget* w = list->itemWidget(list->item(i)))
            w->setProperty(kRowProperty, i);
}

void CMacroControlUI::UpdateRow(int row) {
    QListWidget* list = ActionList();
    if (list == nullptr || !model_ || row < 0 || row >= list->count())
        return;
    list->setItemWidget(list->item(row), BuildRow(model_->Actions().rows[row], row));
}

void CMacroControlUI::SelectRow(int row) {
    if (QListWidget* list = ActionList()) {
        const QSignalBlocker block(list);
        list->setCurrentRow(row);
    }
    ScrollLater();
}

void CMacroControlUI::ScrollLater() {
    QPointer<CMacroControlUI> self(this);
    QTimer::singleShot(kScrollDelayMs, this, [self] {
        if (!self)
            return;
        if (QListWidget* list = self->ActionList())
            if (QListWidgetItem* item = list->currentItem())
                list->scrollToItem(item);
    });
}

void CMacroControlUI::ReadDelays() {
    QListWidget* list = ActionList();
    if (list == nullptr || !model_)
        return;
    for (int i = 0; i < list->count(); ++i)
        if (QWidget* w = list->itemWidget(list->item(i)))
            if (auto* edit = w->findChild<QLineEdit*>(QStringLiteral("macro_delay")))
                model_->SetDelay(i, edit->text().toStdString());
}

void CMacroControlUI::Save() {
    if (!model_)
        return;
    ReadDelays();
    const pages::MacroOutcome outcome = model_->Save();
    ShowActions();
    ShowOutcome(outcome);
}

bool CMacroControlUI::ConstantTimeChosen() const {
    return ControlChecked(Child("macro_check_time"));
}

bool CMacroControlUI::Recording() const {
    return model_ && model_->Recording();
}

void CMacroControlUI::SetLocked(bool locked) {
    for (const char* name : {"macro_name_tab", "macro_action_list"})
        if (QWidget* w = Child(name))
            w->setAttribute(Qt::WA_TransparentForMouseEvents, locked);
    SetControlEnabled(Child("macro_tab_macroaction_edit"), !locked);
    SetControlEnabled(Child("macro_tab_macrodelay_edit"), !locked);
    SetControlVisible(Child("macro_btn_starredio"), !locked);
    SetControlVisible(Child("macro_btn_stopredio"), locked);
}

bool CMacroControlUI::StartRecording(macro::TimeMode time, macro::CaptureMode mode) {
    if (!model_ || model_->SelectedMacro() < 0)
        return false;
    ReadDelays();
    bool raised = false;
    auto* fixed = qobject_cast<QLineEdit*>(Child("macro_fixed_time_edit"));
    model_->StartRecording(time, mode, fixed ? fixed->text().toStdString() : std::string(),
                           &raised);
    if (fixed != nullptr && time == macro::TimeMode::Constant) {
        fixed->setText(QString::number(model_->Recorder().FixedDelayValue()));
        fixed->end(false);
    }
    // The stop button's own click is not recorded.
    QPointer<CMacroControlUI> self(this);
    model_->Recorder().SetStopButtonHit([self](int x, int y) {
        QWidget* stop = self ? self->Child("macro_btn_stopredio") : nullptr;
        if (stop == nullptr || !stop->isVisible())
            return false;
        const QRect area(stop->mapToGlobal(QPoint(0, 0)), stop->size());
        return area.contains(x, y);
    });
    SetLocked(true);
    if (raised)
        Message("message_text_31");
    return true;
}

void CMacroControlUI::StopRecording() {
    if (!model_ || !model_->Recording())
        return;
    SetLocked(false);
    const pages::MacroOutcome outcome = model_->StopRecording();
    ShowActions();
    ShowOutcome(outcome);
}

void CMacroControlUI::OnInput(const macro::InputEvent& event) {
    if (!model_)
        return;
    const macro::RecordChange change = model_->OnInput(event);
    switch (change.what) {
        case macro::RecordChange::What::None:
            return;
        case macro::RecordChange::What::Inserted:
            InsertRow(change.row);
            break;
        case macro::RecordChange::What::Replaced:
            UpdateRow(change.row);
            break;
    }
    if (change.delayRow >= 0)
        UpdateRow(change.delayRow);
    SelectRow(model_->Actions().selected);
}

void CMacroControlUI::OnRowMenu(QWidget* row) {
    if (!model_ || Recording())
        return;
    const int index = row->property(kRowProperty).toInt();
    model_->SelectAction(index);
    SelectRow(index);
    if (menu_)
        menu_->close();
    auto* menu = new MacroActionMenu(MenuCommandSink());
    if (!menu->Create(nullptr, QString(), 0, 0)) {
        delete menu;
        return;
    }
    menu_ = menu;
    menu->adjustSize();
    menu->move(QCursor::pos());
    menu->show();
}

bool CMacroControlUI::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w == nullptr || !model_)
        return QWidget::eventFilter(watched, event);
    QWidget* row = w->objectName() == QLatin1String("macro_action") ? w : w->parentWidget();
    const int index = row != nullptr ? row->property(kRowProperty).toInt() : -1;
    switch (event->type()) {
        case QEvent::FocusIn:
            // Working in a delay edit selects its row.
            model_->SelectAction(index);
            if (QListWidget* list = ActionList()) {
                const QSignalBlocker block(list);
                list->setCurrentRow(index);
            }
            break;
        case QEvent::FocusOut:
            if (w->objectName() == QLatin1String("macro_delay") && !Recording()) {
                // Read the edit after its focus change completes: saving
                // rebuilds the rows, this edit included.
                QPointer<CMacroControlUI> self(this);
                QTimer::singleShot(0, this, [self] {
                    if (self)
                        self->Save();
                });
            }
            break;
        case QEvent::ContextMenu:
            if (row != nullptr) {
                OnRowMenu(row);
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

bool CMacroControlUI::Handle(const pages::RouteEvent& event) {
    using pages::Route;
    if (!model_)
        return false;
    if (Recording())
        return event.route == Route::MacroSelectRow;  // the page is locked
    switch (event.route) {
        case Route::MacroSelect: {
            const int index = static_cast<int>(event.wParam);
            model_->SelectMacro(index);
            ShowMacro();
            return true;
        }
        case Route::MacroSelectRow:
        case Route::MacroDelayEdit:
        case Route::MacroActionMenu:
            // Handled by the rows themselves (focus and context menu).
            return true;
        case Route::MacroNameEdit:
        case Route::MacroSaveOrCancel:
        case Route::MacroFile:
        case Route::MacroMoveStep:
        case Route::MacroDeleteSteps:
        case Route::MacroInsertMove:
            OnButton(event.control);
            return true;
        case Route::MacroInsertButton: {
            const auto insert = pages::MouseInsertOf(event.control);
            if (!insert)
                return true;
            ReadDelays();
            const pages::MacroOutcome outcome = model_->InsertMouse(*insert);
            if (outcome.done) {
                Save();
                SelectRow(model_->Actions().selected);
            }
            ShowOutcome(outcome);
            return true;
        }
        default:
            return false;
    }
}

void CMacroControlUI::OnButton(const std::string& name) {
    if (name == "macro_btn_name_add") {
        bool confirmed = false;
        Message("message_text_28", true, &confirmed);
        if (!confirmed)
            return;
        const pages::MacroOutcome outcome = model_->Create();
        if (outcome.done) {
            FillNames();
            ShowMacro();
            if (observer_ != nullptr)
                observer_->MacroAdded(model_->Names().back());
        }
        ShowOutcome(outcome);
    } else if (name == "macro_btn_name_edit") {
        const int index = model_->SelectedMacro();
        if (index < 0)
            return;
        const std::string text = ControlText(Child("macro_edit_macroname")).toStdString();
        const pages::MacroOutcome outcome = model_->Rename(text);
        if (outcome.done) {
            FillNames();
            if (observer_ != nullptr)
                observer_->MacroRenamed(index, text);
        }
        // A refused name gives way to the current one.
        ShowMacro();
        ShowOutcome(outcome);
    } else if (name == "macro_btn_name_sub") {
        const int index = model_->SelectedMacro();
        if (index < 0)
            return;
        bool confirmed = false;
        Message("message_text_4", true, &confirmed);
        if (!confirmed)
            return;
        if (inUse_ && inUse_(index)) {
            confirmed = false;
            Message("message_text_2", true, &confirmed);
            if (!confirmed)
                return;
        }
        const pages::MacroOutcome outcome = model_->Delete(fixer_);
        if (outcome.done) {
            FillNames();
            ShowMacro();
            if (observer_ != nullptr)
                observer_->MacroRemoved(index);
        }
        ShowOutcome(outcome);
    } else if (name == "macro_btn_export" || name == "macro_btn_import") {
        const QString filter = QStringLiteral("Macro Files(*.mac)");
        const auto options = QFileDialog::DontUseNativeDialog;
        if (name == "macro_btn_export") {
            if (model_->SelectedMacro() < 0)
                return;
            const QString path =
                QFileDialog::getSaveFileName(this, QString(), QString(), filter, nullptr, options);
            if (!path.isEmpty())
                ShowOutcome(model_->Export(path.toStdString()));
            return;
        }
        const QString path =
            QFileDialog::getOpenFileName(this, QString(), QString(), filter, nullptr, options);
        if (path.isEmpty())
            return;
        const pages::MacroOutcome outcome = model_->Import(path.toStdString());
        if (outcome.done) {
            FillNames();
            ShowMacro();
            if (observer_ != nullptr)
                observer_->MacroAdded(model_->Names()[model_->SelectedMacro()]);
        }
        ShowOutcome(outcome);
    } else if (name == "macro_btn_save") {
        Save();
    } else if (name == "macro_btn_cancel") {
        model_->Reload();
        ShowActions();
    } else if (name == "macro_btn_up" || name == "macro_btn_down" || name == "macro_btn_uptop" ||
               name == "macro_btn_downbottom") {
        ReadDelays();
        if (QListWidget* list = ActionList())
            model_->SelectAction(list->currentRow());
        const pages::ActionMove move = name == "macro_btn_up"      ? pages::ActionMove::Up
                                       : name == "macro_btn_down"  ? pages::ActionMove::Down
                                       : name == "macro_btn_uptop" ? pages::ActionMove::Top
                                                                   : pages::ActionMove::Bottom;
        if (model_->Actions().selected < 0)
            return;
        model_->Move(move);
        Save();
        SelectRow(model_->Actions().selected);
    } else if (name == "macro_btn_delete" || name == "macro_btn_deleteall") {
        ReadDelays();
        if (name == "macro_btn_delete") {
            if (QListWidget* list = ActionList())
                model_->SelectAction(list->currentRow());
            if (model_->Actions().selected < 0)
                return;
            model_->DeleteAction();
        } else {
            model_->DeleteAllActions();
        }
        Save();
    } else if (name.rfind("macro_inset_move", 0) == 0) {
        struct Button {
            const char* button;
            const char* edit;
            pages::Movement direction;
        };
        static constexpr Button kButtons[] = {
            {"macro_inset_moveleftkey_btn", "mouse_x_left_edit", pages::Movement::Left},
            {"macro_inset_moverightkey_btn", "mouse_x_right_edit", pages::Movement::Right},
            {"macro_inset_moveupkey_btn", "mouse_y_up_edit", pages::Movement::Up},
            {"macro_inset_movedownkey_btn", "mouse_y_down_edit", pages::Movement::Down},
        };
        for (const Button& b : kButtons) {
            if (name != b.button)
                continue;
            QWidget* edit = Child(b.edit);
            const uint8_t distance = pages::MovementDistance(ControlText(edit).toStdString());
            SetControlText(edit, QString::number(distance));
            ReadDelays();
            if (QListWidget* list = ActionList())
                model_->SelectAction(list->currentRow());
            const pages::MacroOutcome outcome = model_->InsertMovement(b.direction, distance);
            if (outcome.done) {
                Save();
                SelectRow(model_->Actions().selected);
            }
            ShowOutcome(outcome);
        }
    }
}

}  // namespace ui
