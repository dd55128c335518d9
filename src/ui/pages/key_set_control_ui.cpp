#include "ui/pages/key_set_control_ui.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "pages/key_captions.h"
#include "pages/key_tables.h"
#include "platform/debug_output.h"
#include "ui/framework/application.h"
#include "ui/framework/control_factory.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"

namespace ui {
namespace {

using pages::ItemList;
using pages::NumberField;

constexpr int kFunctionCount = 12;
constexpr int kMacroPlayOptions = 5;
constexpr const char* kCaptionProperty = "keyCaptionId";
// X servers number keys from 8 above the Linux input codes; Qt passes the
// X key code on as the native scan code (Wayland does the same).
constexpr int kNativeScanOffset = 8;

QString Q(const char* s) {
    return QString::fromLatin1(s);
}

void Select(QComboBox* combo, int index) {
    if (combo == nullptr)
        return;
    SetControlCurrentIndex(combo, index >= 0 && index < combo->count() ? index : -1);
}

int Selected(const QComboBox* combo) {
    return combo != nullptr ? combo->currentIndex() : pages::kNoSelection;
}

void FillItems(QComboBox* combo, ItemList list) {
    if (combo == nullptr || combo->count() > 0)
        return;
    for (const auto& item : pages::Items(list))
        AddComboTextItem(combo, Q(item.caption));
    combo->setCurrentIndex(-1);
}

void FillNumbered(QComboBox* combo, const char* prefix, int count) {
    if (combo == nullptr || combo->count() > 0)
        return;
    for (int i = 0; i < count; ++i)
        AddComboTextItem(combo, Q(prefix) + QString::number(i), QString::number(i));
}

}  // namespace

CKeySetControlUI::CKeySetControlUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", Q(kClassName));
}

void CKeySetControlUI::Register() {
    auto create = [](QWidget* parent) -> QWidget* { return new CKeySetControlUI(parent); };
    ControlFactory::Instance().RegisterControl(Q(kClassName), create);
    ControlFactory::Instance().RegisterControl(QStringLiteral("CKeySetControlUI"), create);
}

QWidget* CKeySetControlUI::Control(const char* name) const {
    return FindSubControlByName(const_cast<CKeySetControlUI*>(this), Q(name));
}

QWidget* CKeySetControlUI::Option(int n) const {
    return Control(("key_ComBox_check_" + std::to_string(n)).c_str());
}

void CKeySetControlUI::BindControls() {
    const auto combo = [this](const char* name) { return qobject_cast<QComboBox*>(Control(name)); };
    layout_ = Control("keyset_layout");
    functionCombo_ = combo("keyset_function_combo");
    buttons_ = {Control("key_butt_keydefalut"), Control("key_butt_keysave"),
                Control("key_butt_keycancel"), Control("key_butt_prosave")};
    functionTabs_ = Control("function_switch_tablayout");
    mouseKey_ = combo("keyset_mousekey_combo");
    swingDir_ = combo("keyset_mouseswing_combo");
    wheelDir_ = combo("keyset_mousewheel_combo");
    dpi_ = combo("keyset_mousedpi_combo");
    keyText_ = qobject_cast<QLineEdit*>(Control("keyset_keyboard_text_edit"));
    media_ = combo("keyset_media_combo");
    system_ = combo("keyset_system_combo");
    macro_ = combo("keyset_macro_combo");
    macroPlay_ = combo("keyset_macro_over_combo");
    macroCycleLayout_ = Control("keyset_macro_cycle_layout");
    gun_ = combo("keyset_gunkey_combo");
    shortcut_ = combo("keyset_combokey_combo");
    textTest_ = Control("text_test");
    const auto fields = pages::NumberFields();
    for (size_t i = 0; i < fields.size(); ++i)
        numberEdits_[i] = qobject_cast<QLineEdit*>(Control(fields[i].control));

    if (modifierGroup_ == nullptr) {
        // One mark at most; "none marked" is a state of its own.
        modifierGroup_ = new QButtonGroup(this);
        for (int n = 0; n < pages::kModifierOptionCount; ++n) {
            if (auto* b = qobject_cast<QAbstractButton*>(Option(n))) {
                b->setCheckable(true);
                modifierGroup_->addButton(b, n);
            }
        }
    }
    if (keyText_ != nullptr) {
        // The key text only shows what was captured; typing goes to capture.
        keyText_->setReadOnly(true);
        keyText_->installEventFilter(this);
    }
    FillCombos();
    SetButtonsEnabled(false);
    bound_ = true;
}

void CKeySetControlUI::FillCombos() {
    FillNumbered(functionCombo_, "keyset_function_", kFunctionCount);
    FillItems(mouseKey_, ItemList::MouseButton);
    FillItems(dpi_, ItemList::DpiAction);
    FillItems(media_, ItemList::Media);
    FillItems(system_, ItemList::System);
    FillItems(gun_, ItemList::Gun);
    FillItems(shortcut_, ItemList::Shortcut);
    FillNumbered(swingDir_, "keyset_swing_dir_", 2);
    FillNumbered(wheelDir_, "keyset_wheel_dir_", 2);
    FillNumbered(macroPlay_, "keyset_macro_play_", kMacroPlayOptions);
}

void CKeySetControlUI::SetKeyEntry(const profile::KeyListEntry& entry) {
    // The page names the key by its own function.
    QWidget* name = Control("keyset_key_name");
    const std::vector<std::string> ids = pages::CaptionIdsOf(entry.DefaultAssignment);
    if (ids.size() == 1) {
        SetTextId(name, QString::fromStdString(ids.front()));
    } else {
        QStringList parts;
        for (const std::string& id : ids)
            parts << TextManager::Instance().Text(QString::fromStdString(id));
        SetTextId(name, QString());
        SetControlText(name, parts.join(QLatin1Char('+')));
    }
    form_.SetKeyEntry(entry);
    PutForm();
}

void CKeySetControlUI::ShowAssignment(const profile::KeyAssignment& a) {
    form_.ShowAssignment(a);
    PutForm();
}

void CKeySetControlUI::ShowDefault() {
    form_.ShowDefault();
    PutForm();
}

void CKeySetControlUI::ShowCurrent() {
    form_.ShowCurrent();
    PutForm();
}

profile::KeyListEntry CKeySetControlUI::ReadAssignment() {
    TakeForm();
    const profile::KeyListEntry entry = form_.ReadAssignment();
    // Every number edit shows the value that was used.
    const auto fields = pages::NumberFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (numberEdits_[i] != nullptr)
            SetControlText(numberEdits_[i], QString::number(form_.Form().numbers[i]));
    }
    return entry;
}

int CKeySetControlUI::GetModifierOption() const {
    return form_.GetModifierOption();
}

void CKeySetControlUI::SetModifierOption(int n) {
    form_.SetModifierOption(n);
    if (modifierGroup_ == nullptr)
        return;
    const int option = form_.GetModifierOption();
    if (option == pages::kNoSelection) {
        modifierGroup_->setExclusive(false);
        for (QAbstractButton* b : modifierGroup_->buttons())
            SetControlChecked(b, false);
        modifierGroup_->setExclusive(true);
    } else if (QAbstractButton* b = modifierGroup_->button(option)) {
        SetControlChecked(b, true);
    }
}

void CKeySetControlUI::SetMacroNames(const std::vector<std::string>& names) {
    if (macro_ != nullptr) {
        macro_->clear();
        for (const std::string& name : names)
            macro_->addItem(QString::fromStdString(name));
        macro_->setCurrentIndex(-1);
    }
    form_.SetMacroCount(static_cast<int>(names.size()));
}

void CKeySetControlUI::AddMacroName(const std::string& name) {
    const int shown = macro_ != nullptr ? macro_->currentIndex() : -1;
    std::vector<std::string> names = MacroNames();
    names.push_back(name);
    SetMacroNames(names);
    Select(macro_, shown);
}

void CKeySetControlUI::RenameMacroItem(int index, const std::string& name) {
    if (macro_ != nullptr && index >= 0 && index < macro_->count())
        macro_->setItemText(index, QString::fromStdString(name));
}

void CKeySetControlUI::RemoveMacroItem(int index) {
    std::vector<std::string> names = MacroNames();
    if (index < 0 || static_cast<size_t>(index) >= names.size())
        return;
    const int shown = macro_ != nullptr ? macro_->currentIndex() : -1;
    names.erase(names.begin() + index);
    SetMacroNames(names);
    // The macro shown follows its list entry; the deleted one shows none.
    Select(macro_, shown == index ? -1 : shown > index ? shown - 1 : shown);
}

std::vector<std::string> CKeySetControlUI::MacroNames() const {
    std::vector<std::string> names;
    if (macro_ != nullptr) {
        for (int i = 0; i < macro_->count(); ++i)
            names.push_back(macro_->itemText(i).toStdString());
    }
    return names;
}

void CKeySetControlUI::SetKeyCaption(const std::string& captionId) {
    PutKeyCaption(captionId);
}

void CKeySetControlUI::PutKeyCaption(const std::string& captionId) {
    if (keyText_ == nullptr)
        return;
    keyText_->setProperty(kCaptionProperty, QString::fromStdString(captionId));
    if (captionId.empty()) {
        // No text id: a language change must not bring the old key back.
        SetTextId(keyText_, QString());
        SetControlText(keyText_, QString());
        return;
    }
    // The translated name passes through the hidden label, as the skin
    // expects; the edit keeps the id so a language change renames the key.
    SetTextId(textTest_, QString::fromStdString(captionId));
    SetTextId(keyText_, QString::fromStdString(captionId));
}

int CKeySetControlUI::FindFunctionItem(int function) const {
    if (functionCombo_ == nullptr)
        return -1;
    const QString wanted = QString::number(function);
    for (int i = 0; i < functionCombo_->count(); ++i) {
        if (functionCombo_->itemData(i).toString() == wanted)
            return i;
    }
    return -1;
}

void CKeySetControlUI::SetButtonsEnabled(bool enabled) {
    for (size_t i = 1; i < buttons_.size(); ++i)
        SetControlEnabled(buttons_[i], enabled);
}

void CKeySetControlUI::ShowFunctionPage(int function) {
    SetControlCurrentIndex(functionTabs_, function);
}

void CKeySetControlUI::OnFunctionSelected() {
    const int function = functionCombo_ != nullptr && functionCombo_->currentIndex() >= 0
                             ? functionCombo_->currentData().toString().toInt()
                             : pages::kNoFunction;
    TakeForm();
    form_.SelectFunction(function);
    PutForm();
}

void CKeySetControlUI::OnMacroPlaySelected() {
    SetControlVisible(macroCycleLayout_, Selected(macroPlay_) == pages::kMacroRepeatOption);
}

void CKeySetControlUI::ClampEdit(const std::string& control) {
    const auto fields = pages::NumberFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (numberEdits_[i] != nullptr && control == fields[i].control) {
            const int value =
                pages::ReadNumber(fields[i].field, ControlText(numberEdits_[i]).toStdString());
            SetControlText(numberEdits_[i], QString::number(value));
        }
    }
}

bool CKeySetControlUI::CaptureKey(int evdev) {
    TakeForm();
    if (!form_.CaptureKey(evdev))
        return false;
    PutForm();
    if (captured_)
        captured_();
    return true;
}

bool CKeySetControlUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == keyText_ &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::ShortcutOverride) {
            // Keep window shortcuts from taking the key while capturing.
            if (captureOn_)
                event->accept();
            return false;
        }
        if (captureOn_ && !key->isAutoRepeat()) {
            // What the capture puts on the controls is the program's change:
            // it must not come back as the user's selections.
            NotifyScope scope;
            const int code = static_cast<int>(key->nativeScanCode()) - kNativeScanOffset;
            const bool taken = CaptureKey(code);
            platform::DebugOutputF("key capture %d: %s", code,
                                   taken ? "taken" : "not in the table");
        }
        // The edit is read-only to typing either way.
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CKeySetControlUI::TakeForm() {
    pages::KeyForm& f = form_.Form();
    f.mouseButton = Selected(mouseKey_);
    f.moveDirection = std::max(Selected(swingDir_), 0);
    f.wheelDirection = std::max(Selected(wheelDir_), 0);
    f.dpiAction = Selected(dpi_);
    f.media = Selected(media_);
    f.system = Selected(system_);
    f.macro = Selected(macro_);
    f.macroPlay = Selected(macroPlay_);
    f.gun = Selected(gun_);
    f.shortcut = Selected(shortcut_);
    if (functionCombo_ != nullptr && functionCombo_->currentIndex() >= 0)
        f.function = functionCombo_->currentData().toString().toInt();
    const auto fields = pages::NumberFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (numberEdits_[i] != nullptr)
            f.numbers[i] =
                pages::ReadNumber(fields[i].field, ControlText(numberEdits_[i]).toStdString());
    }
    if (keyText_ != nullptr) {
        f.keyCaption = keyText_->text().isEmpty()
                           ? std::string()
                           : keyText_->property(kCaptionProperty).toString().toStdString();
    }
}

void CKeySetControlUI::PutForm() {
    const pages::KeyForm& f = form_.Form();
    Select(mouseKey_, f.mouseButton);
    Select(swingDir_, f.moveDirection);
    Select(wheelDir_, f.wheelDirection);
    Select(dpi_, f.dpiAction);
    Select(media_, f.media);
    Select(system_, f.system);
    Select(macro_, f.macro);
    Select(macroPlay_, f.macroPlay);
    Select(gun_, f.gun);
    Select(shortcut_, f.shortcut);
    const auto fields = pages::NumberFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (numberEdits_[i] != nullptr)
            SetControlText(numberEdits_[i], QString::number(f.numbers[i]));
    }
    SetModifierOption(f.modifierOption);
    PutKeyCaption(f.keyCaption);
    OnMacroPlaySelected();

    const int item = FindFunctionItem(f.function);
    if (item < 0) {
        // A function the combo does not list: no panel rather than a wrong one.
        SetControlVisible(layout_, false);
        return;
    }
    SetControlVisible(layout_, true);
    Select(functionCombo_, item);
    ShowFunctionPage(f.function);
}

}  // namespace ui
