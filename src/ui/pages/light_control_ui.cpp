#include "ui/pages/light_control_ui.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <algorithm>

#include "pages/colour_hsv.h"
#include "pages/light_rules.h"
#include "platform/debug_output.h"
#include "ui/controls/color_palette.h"
#include "ui/controls/colour_fill.h"
#include "ui/framework/control_factory.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"

namespace ui {
namespace {

constexpr int kComboItemHeight = 30;
constexpr int kMusicItemCount = 30;
constexpr int kMusicItemIndex = 29;
constexpr const char* kMusicItemText = "light_mode_audiorecord_text";

constexpr const char* kEditNames[3] = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};
constexpr const char* kAudioEditNames[3] = {"deng_audioedit_R", "deng_audioedit_G",
                                            "deng_audioedit_B"};

void SetItemVisible(QComboBox* combo, int index, bool visible) {
    if (auto* view = qobject_cast<QListView*>(combo->view()))
        view->setRowHidden(index, !visible);
}

void SetItemHeight(QComboBox* combo, int index) {
    combo->setItemData(index, QSize(0, kComboItemHeight), Qt::SizeHintRole);
}

void ApplyRule(QWidget* control, const pages::ControlRule& rule) {
    if (control == nullptr)
        return;
    if (rule.enabled != pages::Tri::Keep)
        control->setEnabled(rule.enabled == pages::Tri::On);
    if (rule.visible != pages::Tri::Keep)
        control->setVisible(rule.visible == pages::Tri::On);
}

bool Checked(QWidget* w) {
    return ControlChecked(w);
}

}  // namespace

void CLightControlUI::Register() {
    auto create = [](QWidget* parent) -> QWidget* { return new CLightControlUI(parent); };
    ControlFactory::Instance().RegisterControl(QString::fromLatin1(kClassName), create);
    ControlFactory::Instance().RegisterControl(QStringLiteral("CLightControlUI"), create);
}

CLightControlUI::CLightControlUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

QWidget* CLightControlUI::Control(const QString& name) const {
    return FindSubControlByName(const_cast<CLightControlUI*>(this), name);
}

QComboBox* CLightControlUI::Combo(const char* name) const {
    return qobject_cast<QComboBox*>(Control(QString::fromLatin1(name)));
}

CColorPaletteUI* CLightControlUI::Palette(const char* name) const {
    return qobject_cast<CColorPaletteUI*>(Control(QString::fromLatin1(name)));
}

QWidget* CLightControlUI::Edit(int channel, bool audio) const {
    if (channel < 0 || channel > 2)
        return nullptr;
    return Control(QString::fromLatin1(audio ? kAudioEditNames[channel] : kEditNames[channel]));
}

void CLightControlUI::showEvent(QShowEvent* event) {
    BindSwatches();
    QWidget::showEvent(event);
}

void CLightControlUI::BindSwatches() {
    if (swatchesBound_)
        return;
    swatchesBound_ = true;
    // The layout's colours become painted fills.
    for (const char* prefix : {"color_option_", "audiocolor_option_"}) {
        for (int n = 0; n < kLightSwatchCount; ++n) {
            QWidget* swatch = Control(QString::fromLatin1(prefix) + QString::number(n));
            if (const std::optional<uint32_t> c = ControlBkColor(swatch))
                SetControlBkColor(swatch, *c);
        }
    }
}

void CLightControlUI::InitModes(const std::vector<std::string>& names,
                                const std::vector<bool>& visible, int maxBrightness, int maxSpeed) {
    BindSwatches();
    modeNames_ = names;
    if (QComboBox* combo = Combo("light_combo_modeSelect")) {
        const QSignalBlocker block(combo);
        combo->clear();
        for (size_t i = 0; i < names.size(); ++i) {
            const QString id = QString::fromStdString(names[i]);
            AddComboTextItem(combo, id, id);
            const int index = combo->count() - 1;
            SetItemHeight(combo, index);
            SetItemVisible(combo, index, i < visible.size() ? visible[i] : true);
        }
    }
    if (auto* slider = qobject_cast<QAbstractSlider*>(Control(QStringLiteral("deng_light_slider"))))
        slider->setRange(0, std::max(0, maxBrightness));
    if (auto* slider = qobject_cast<QAbstractSlider*>(Control(QStringLiteral("deng_speed_slider"))))
        slider->setRange(0, std::max(0, maxSpeed));
}

void CLightControlUI::InitZoneModes(const std::vector<std::string>& names) {
    QComboBox* combo = Combo("light_combo_ZZCCmodeSelect");
    if (combo == nullptr || names.empty())
        return;
    const QSignalBlocker block(combo);
    combo->clear();
    for (const std::string& name : names) {
        const QString id = QString::fromStdString(name);
        AddComboTextItem(combo, id, id);
        SetItemHeight(combo, combo->count() - 1);
    }
}

void CLightControlUI::ShowLightInfo(const profile::LightInfo& light) {
    BindSwatches();
    SelectMode(light.SelectItem);
    SetBrightness(light.Light);
    SetSpeed(light.Speed);
    SetEditR(light.Red);
    SetEditG(light.Green);
    SetEditB(light.Blue);
    SetColor(pages::Opaque(light.Red, light.Green, light.Blue));
    SetMultiColor(light.MultiColor != 0);
    SelectZoneMode(light.ZZCCLedMode);
    SetDirection(light.Fx);
    UpdateModeControls(light.SelectItem);
}

void CLightControlUI::SelectMode(int mode) {
    SetControlCurrentIndex(Combo("light_combo_modeSelect"), mode);
    UpdateModeControls(mode);
}

void CLightControlUI::UpdateModeControls(int mode) {
    shownMode_ = mode;
    const pages::LightModeRules rules = pages::LightRulesFor(deviceKind_, mode);
    const auto& names = pages::LightControlNames();
    for (size_t i = 0; i < pages::kLightControlCount; ++i) {
        const auto which = static_cast<pages::LightControl>(i);
        const pages::ControlRule& rule = rules[which];
        if (which == pages::LightControl::SameModeButton) {
            // The button shows only with several devices connected.
            if (rule.enabled != pages::Tri::Keep)
                SetControlEnabled(Control(QString::fromLatin1(names[i])),
                                  rule.enabled == pages::Tri::On);
            if (rule.visible != pages::Tri::Keep)
                ShowSameModeButton(rule.visible == pages::Tri::On);
            continue;
        }
        ApplyRule(Control(QString::fromLatin1(names[i])), rule);
    }
    if (rules.fxLeftText != nullptr)
        SetTextId(Control(QStringLiteral("deng_FXL_check")), QString::fromLatin1(rules.fxLeftText));
    if (rules.fxRightText != nullptr)
        SetTextId(Control(QStringLiteral("deng_FXR_check")),
                  QString::fromLatin1(rules.fxRightText));
    if (rules.colourPage >= 0)
        SetControlCurrentIndex(Control(QStringLiteral("light_color_tablayout")), rules.colourPage);
}

int CLightControlUI::GetMode() const {
    return ControlCurrentIndex(Combo("light_combo_modeSelect"));
}
int CLightControlUI::GetZoneMode() const {
    return ControlCurrentIndex(Combo("light_combo_ZZCCmodeSelect"));
}
int CLightControlUI::GetCustomGroup() const {
    return ControlCurrentIndex(Combo("light_combo_custommodeSelect"));
}
int CLightControlUI::GetBrightness() const {
    auto* s = qobject_cast<QAbstractSlider*>(Control(QStringLiteral("deng_light_slider")));
    return s != nullptr ? s->value() : 0;
}
int CLightControlUI::GetSpeed() const {
    auto* s = qobject_cast<QAbstractSlider*>(Control(QStringLiteral("deng_speed_slider")));
    return s != nullptr ? s->value() : 0;
}
bool CLightControlUI::GetMultiColor() const {
    return Checked(Control(QStringLiteral("deng_7color_check")));
}
QString CLightControlUI::GetEditR() const {
    return ControlText(Edit(0, false));
}
QString CLightControlUI::GetEditG() const {
    return ControlText(Edit(1, false));
}
QString CLightControlUI::GetEditB() const {
    return ControlText(Edit(2, false));
}

uint32_t CLightControlUI::GetPaletteColor() const {
    const CColorPaletteUI* palette = Palette("deng_Color_Pallet");
    return palette != nullptr ? palette->GetSelectColor() : 0xFF000000u;
}

uint32_t CLightControlUI::GetSwatchColor(int n) const {
    return ControlBkColor(Control(QStringLiteral("color_option_%1").arg(n))).value_or(0);
}

int CLightControlUI::FindSwatch(uint8_t r, uint8_t g, uint8_t b) const {
    for (int n = 0; n < kLightSwatchCount; ++n) {
        const std::optional<uint32_t> c =
            ControlBkColor(Control(QStringLiteral("color_option_%1").arg(n)));
        if (!c)
            return 0;
        if ((*c & 0xFFFFFFu) == (pages::Opaque(r, g, b) & 0xFFFFFFu))
            return n;
    }
    return 0;
}

void CLightControlUI::SetBrightness(int value) {
    SetControlValue(Control(QStringLiteral("deng_light_slider")), value);
}
void CLightControlUI::SetSpeed(int value) {
    SetControlValue(Control(QStringLiteral("deng_speed_slider")), value);
}
void CLightControlUI::SetDirection(int fx) {
    SetControlChecked(Control(QStringLiteral("deng_FXL_check")), fx != 0);
    SetControlChecked(Control(QStringLiteral("deng_FXR_check")), fx == 0);
}
void CLightControlUI::SetMultiColor(bool on) {
    SetControlChecked(Control(QStringLiteral("deng_7color_check")), on);
}
void CLightControlUI::SetColor(uint32_t argb) {
    if (CColorPaletteUI* palette = Palette("deng_Color_Pallet"))
        palette->SetSelectColor(argb);
    SetControlBkColor(Control(QStringLiteral("deng_colordp_btn")), argb);
}
void CLightControlUI::SetEditR(int value) {
    SetControlText(Edit(0, false), QString::number(value));
}
void CLightControlUI::SetEditG(int value) {
    SetControlText(Edit(1, false), QString::number(value));
}
void CLightControlUI::SetEditB(int value) {
    SetControlText(Edit(2, false), QString::number(value));
}
void CLightControlUI::SelectZoneMode(int mode) {
    SetControlCurrentIndex(Combo("light_combo_ZZCCmodeSelect"), mode);
}
void CLightControlUI::SelectCustomGroup(int group) {
    SetControlCurrentIndex(Combo("light_combo_custommodeSelect"), group);
}

int CLightControlUI::ClampColourEdit(int channel) {
    QWidget* edit = Edit(channel, false);
    if (edit == nullptr)
        return -1;
    const int value = pages::ClampColourComponent(ControlText(edit).trimmed().toStdString());
    SetControlText(edit, QString::number(value));
    return value;
}

int CLightControlUI::ClampAudioEdit(int channel) {
    QWidget* edit = Edit(channel, true);
    if (edit == nullptr)
        return -1;
    const int value = pages::ClampColourComponent(ControlText(edit).trimmed().toStdString());
    SetControlText(edit, QString::number(value));
    return value;
}

void CLightControlUI::ShowAudioColors(const profile::AudioLightInfo& a) {
    QComboBox* mode = Combo("light_combo_audiomodeSelect");
    QWidget* button = Control(QStringLiteral("deng_audiocolordp_btn"));
    QWidget* seven = Control(QStringLiteral("deng_7audiocolor_check"));
    QWidget* bk = Control(QStringLiteral("audio_BkColor_check"));
    QWidget* fg = Control(QStringLiteral("audio_FgColor_check"));
    if (mode == nullptr || button == nullptr || seven == nullptr || bk == nullptr ||
        fg == nullptr || Edit(0, true) == nullptr || Edit(1, true) == nullptr ||
        Edit(2, true) == nullptr) {
        platform::DebugOutput(" SetAudioLightInfo control is NULL");
        return;
    }
    audio_ = a;
    SetControlCurrentIndex(mode, a.AudioMode);
    uint32_t shown = 0;
    if (a.ColorTypeFlags != 0) {
        shown = pages::Opaque(a.FgColorR, a.FgColorG, a.FgColorB);
        SetControlChecked(bk, false);
        SetControlChecked(fg, true);
        SetControlChecked(seven, a.SevenColorFlags != 0);
    } else {
        shown = pages::Opaque(a.BkColorR, a.BkColorG, a.BkColorB);
        SetControlChecked(fg, false);
        SetControlChecked(bk, true);
    }
    SetAudioColor(shown);
    const bool editable = a.AudioMode != 3;
    SetControlEnabled(Control(QStringLiteral("light_audiocolor_layout")), editable);
    SetControlEnabled(Control(QStringLiteral("audiocolorpallet_layout")), editable);
}

void CLightControlUI::SetAudioColor(uint32_t argb) {
    SetControlText(Edit(0, true), QString::number(pages::RedOf(argb)));
    SetControlText(Edit(1, true), QString::number(pages::GreenOf(argb)));
    SetControlText(Edit(2, true), QString::number(pages::BlueOf(argb)));
    if (CColorPaletteUI* palette = Palette("deng_audioColor_Pallet"))
        palette->SetSelectColor(argb | 0xFF000000u);
    SetControlBkColor(Control(QStringLiteral("deng_audiocolordp_btn")), argb | 0xFF000000u);
}

uint32_t CLightControlUI::GetAudioPaletteColor() const {
    const CColorPaletteUI* palette = Palette("deng_audioColor_Pallet");
    return palette != nullptr ? palette->GetSelectColor() : 0xFF000000u;
}

bool CLightControlUI::ReadAudioColors(bool takeButtonColor, profile::AudioLightInfo& out) {
    QComboBox* mode = Combo("light_combo_audiomodeSelect");
    QWidget* seven = Control(QStringLiteral("deng_7audiocolor_check"));
    QWidget* bkCheck = Control(QStringLiteral("audio_BkColor_check"));
    QWidget* fgCheck = Control(QStringLiteral("audio_FgColor_check"));
    QWidget* button = Control(QStringLiteral("deng_audiocolordp_btn"));
    if (mode == nullptr || seven == nullptr || bkCheck == nullptr || fgCheck == nullptr) {
        platform::DebugOutput("GetAudioLightInfo control is NULL");
        return false;
    }
    if (takeButtonColor && button == nullptr) {
        platform::DebugOutput("GetLightAudioColor control is NULL");
        return false;
    }
    profile::AudioLightInfo a = audio_;
    a.AudioMode = static_cast<uint8_t>(std::clamp(mode->currentIndex(), 0, 255));
    a.SevenColorFlags = Checked(seven) ? 1 : 0;
    const bool bg = Checked(bkCheck);
    const bool fg = Checked(fgCheck);
    a.ColorTypeFlags = bg && (audio_.ColorTypeFlags != 0 || !fg) ? 0 : 1;
    if (takeButtonColor) {
        const uint32_t c = ControlBkColor(button).value_or(0xFF000000u);
        if (a.ColorTypeFlags == 1) {
            a.FgColorR = pages::RedOf(c), a.FgColorG = pages::GreenOf(c),
            a.FgColorB = pages::BlueOf(c);
        } else {
            a.BkColorR = pages::RedOf(c), a.BkColorG = pages::GreenOf(c),
            a.BkColorB = pages::BlueOf(c);
        }
    }
    out = a;
    return true;
}

uint32_t CLightControlUI::GetAudioSwatchColor(int n) const {
    return ControlBkColor(Control(QStringLiteral("audiocolor_option_%1").arg(n))).value_or(0);
}

QString CLightControlUI::GetAudioEdit(int channel) const {
    return ControlText(Edit(channel, true));
}

void CLightControlUI::SetMultiDevice(bool several) {
    multiDevice_ = several;
    UpdateModeControls(shownMode_ >= 0 ? shownMode_ : GetMode());
}

void CLightControlUI::ShowSameModeButton(bool show) {
    SetControlVisible(Control(QStringLiteral("deng_same_mode")), show && multiDevice_);
}

void CLightControlUI::AddMusicItem() {
    QComboBox* combo = Combo("light_combo_custommodeSelect");
    if (combo == nullptr || combo->count() != kMusicItemCount)
        return;
    const QSignalBlocker block(combo);
    InsertComboTextItem(combo, kMusicItemIndex, QString::fromLatin1(kMusicItemText),
                        QString::fromLatin1(kMusicItemText));
    SetItemHeight(combo, kMusicItemIndex);
}

void CLightControlUI::RemoveMusicItem() {
    QComboBox* combo = Combo("light_combo_custommodeSelect");
    if (combo == nullptr || combo->count() != kMusicItemCount + 1)
        return;
    const QSignalBlocker block(combo);
    combo->removeItem(kMusicItemIndex);
}

CLightControlUI* LightPageOf(QWidget* page) {
    if (page == nullptr)
        return nullptr;
    if (auto* self = qobject_cast<CLightControlUI*>(page))
        return self;
    return page->findChild<CLightControlUI*>();
}

}  // namespace ui
