#include "ui/dialogs/color_select_wnd.h"

#include <QCoreApplication>
#include <array>

#include "pages/colour_hsv.h"
#include "pages/light_rules.h"
#include "platform/debug_output.h"
#include "profile/colour_swatches.h"
#include "ui/controls/background_image.h"
#include "ui/controls/color_palette.h"
#include "ui/controls/colour_fill.h"
#include "ui/framework/control_ops.h"

namespace ui {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 572;
constexpr const char* kFilledMark = "1";
constexpr const char* kSevenColourImage = "common/base1.png";
constexpr const char* kEditNames[3] = {"color_edit_r", "color_edit_g", "color_edit_b"};

std::string& UserPathOverride() {
    static std::string path;
    return path;
}
std::string& DefaultPathOverride() {
    static std::string path;
    return path;
}
std::string UserPath() {
    return UserPathOverride().empty() ? profile::UserSwatchPath() : UserPathOverride();
}
std::string DefaultPath() {
    return DefaultPathOverride().empty() ? profile::DefaultSwatchPath() : DefaultPathOverride();
}

PickerAnswerer& Answerer() {
    static PickerAnswerer answerer;
    return answerer;
}

QPointer<CColorSelectWnd>& OpenPicker() {
    static QPointer<CColorSelectWnd> open;
    return open;
}

bool IsFilled(const QWidget* swatch) {
    return swatch != nullptr &&
           swatch->property("userdata")
                   .toString()
                   .compare(QLatin1String(kFilledMark), Qt::CaseInsensitive) == 0;
}

// "prefix_<n>" with n a decimal index 0..19; -1 otherwise.
int IndexAfter(const QString& name, const char* prefix) {
    const QString p = QString::fromLatin1(prefix);
    if (!name.startsWith(p, Qt::CaseInsensitive))
        return -1;
    bool ok = false;
    const int n = name.mid(p.size()).toInt(&ok);
    return ok && n >= 0 && n < profile::kSwatchCount ? n : -1;
}

}  // namespace

CColorSelectWnd::CColorSelectWnd() {
    setObjectName(QStringLiteral("ColorSelectWnd"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

void CColorSelectWnd::SetSwatchPathsForTest(const std::string& user, const std::string& defaults) {
    UserPathOverride() = user;
    DefaultPathOverride() = defaults;
}

QWidget* CColorSelectWnd::Fixed(int i) const {
    return FindControl(QStringLiteral("color_option_%1").arg(i));
}
QWidget* CColorSelectWnd::User(int i) const {
    return FindControl(QStringLiteral("collect_color_option_%1").arg(i));
}

void CColorSelectWnd::InitWindow() {
    palette_ = qobject_cast<CColorPaletteUI*>(FindControl(QStringLiteral("Pallet")));
    BindColourFills(Root());
}

void CColorSelectWnd::WriteEdits(uint32_t argb) {
    SetControlText(FindControl(QString::fromLatin1(kEditNames[0])),
                   QString::number(pages::RedOf(argb)));
    SetControlText(FindControl(QString::fromLatin1(kEditNames[1])),
                   QString::number(pages::GreenOf(argb)));
    SetControlText(FindControl(QString::fromLatin1(kEditNames[2])),
                   QString::number(pages::BlueOf(argb)));
}

void CColorSelectWnd::SetCurrentColour(uint32_t argb) {
    QWidget* show = FindControl(QStringLiteral("color_show_btn"));
    SetBackgroundImage(show, QString());
    SetControlBkColor(show, argb);
    if (palette_)
        palette_->SetSelectColor(argb);
    current_ = argb;
    WriteEdits(argb);
}

void CColorSelectWnd::SetSevenColour(bool on) {
    seven_ = on;
    SetControlChecked(FindControl(QStringLiteral("7color")), on);
    SetBackgroundImage(FindControl(QStringLiteral("color_show_btn")),
                       on ? QString::fromLatin1(kSevenColourImage) : QString());
}

void CColorSelectWnd::DisableSevenColour() {
    SetControlEnabled(FindControl(QStringLiteral("7color")), false);
    SetControlVisible(FindControl(QStringLiteral("7color_layout")), false);
    SetControlChecked(FindControl(QStringLiteral("7color")), false);
}

void CColorSelectWnd::ApplyCurrent() {
    QWidget* user = userIndex_ >= 0 ? User(userIndex_) : nullptr;
    if (user != nullptr && ControlChecked(user)) {
        SetControlBkColor(user, current_);
        user->setProperty("userdata", QString::fromLatin1(kFilledMark));
        SaveUser();
    }
    SetControlBkColor(FindControl(QStringLiteral("color_show_btn")), current_);
    SetSevenColour(false);
}

void CColorSelectWnd::SaveFixed() {
    std::array<std::optional<uint32_t>, profile::kSwatchCount> colours{};
    for (int i = 0; i < profile::kSwatchCount; ++i) {
        if (QWidget* w = Fixed(i))
            colours[static_cast<size_t>(i)] = ControlBkColor(w).value_or(0);
    }
    if (!profile::SaveFixedSwatches(UserPath(), colours, fixedIndex_))
        platform::DebugOutput("swatch file not saved");
}

void CColorSelectWnd::SaveUser() {
    std::array<profile::UserSwatch, profile::kSwatchCount> swatches{};
    for (int i = 0; i < profile::kSwatchCount; ++i) {
        QWidget* w = User(i);
        if (w == nullptr)
            continue;
        profile::UserSwatch& s = swatches[static_cast<size_t>(i)];
        s.present = true;
        s.colour = ControlBkColor(w).value_or(0xFFFFFFFFu);
        s.userData = w->property("userdata").toString().toStdString();
    }
    if (!profile::SaveUserSwatches(UserPath(), swatches, userIndex_))
        platform::DebugOutput("swatch file not saved");
}

void CColorSelectWnd::OnWindowInit() {
    const Json::Value document = profile::LoadSwatchDocument(UserPath(), DefaultPath());
    SetCurrentColour(current_);
    SetSevenColour(seven_);
    const profile::SwatchFile file = profile::ReadSwatches(document);
    fixedIndex_ = file.fixedIndex;
    SetControlChecked(Fixed(fixedIndex_), true);
    for (int i = 0; i < profile::kSwatchCount; ++i) {
        const profile::UserSwatch& entry = file.user[static_cast<size_t>(i)];
        QWidget* w = User(i);
        if (!entry.present || w == nullptr)
            continue;
        w->setProperty("userdata", QString::fromStdString(entry.userData));
        SetControlBkColor(w, entry.ShownColour());
    }
    // No user swatch is the target of a colour change until the user picks one.
    userIndex_ = -1;
    for (int i = 0; i < profile::kSwatchCount; ++i)
        SetControlChecked(User(i), false);
}

void CColorSelectWnd::OnEditsDone() {
    int rgb[3] = {0, 0, 0};
    for (int c = 0; c < 3; ++c) {
        QWidget* edit = FindControl(QString::fromLatin1(kEditNames[c]));
        rgb[c] = pages::ClampColourComponent(ControlText(edit).trimmed().toStdString());
        SetControlText(edit, QString::number(rgb[c]));
    }
    current_ = pages::Opaque(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]),
                             static_cast<uint8_t>(rgb[2]));
    if (palette_)
        palette_->SetSelectColor(current_);
    ApplyCurrent();
}

void CColorSelectWnd::OnSelectChanged(const QString& name) {
    if (name.compare(QLatin1String("7color"), Qt::CaseInsensitive) == 0) {
        SetSevenColour(ControlChecked(FindControl(QStringLiteral("7color"))));
        return;
    }
    if (const int i = IndexAfter(name, "color_option_"); i >= 0) {
        fixedIndex_ = i;
        SaveFixed();
        current_ = ControlBkColor(Fixed(i)).value_or(current_);
        if (palette_)
            palette_->SetSelectColor(current_);
        ApplyCurrent();
        WriteEdits(current_);
        return;
    }
    if (const int i = IndexAfter(name, "collect_color_option_"); i >= 0) {
        userIndex_ = i;
        QWidget* swatch = User(i);
        if (!IsFilled(swatch))
            return;  // only the target of the next colour change
        SaveUser();
        const uint32_t colour = ControlBkColor(swatch).value_or(current_);
        current_ = colour;
        SetControlBkColor(FindControl(QStringLiteral("color_show_btn")), colour);
        SetSevenColour(false);
        if (palette_)
            palette_->SetSelectColor(colour);
        WriteEdits(colour);
    }
}

void CColorSelectWnd::OnClick(const QString& name) {
    const QString n = name.toLower();
    if (n == QLatin1String("closebtn") || n == QLatin1String("laterbtn")) {
        Close(kPickerResultClosed);
    } else if (n == QLatin1String("okbtn")) {
        if (!palette_) {
            Close(kPickerResultNoPalette);
            return;
        }
        current_ = ControlBkColor(FindControl(QStringLiteral("color_show_btn"))).value_or(current_);
        Close(kPickerResultOk);
    }
}

void CColorSelectWnd::Notify(const Notification& n) {
    if (!n.sender)
        return;
    const QString name = n.sender->objectName();
    if (n.type == QLatin1String(notify::kWindowInit)) {
        OnWindowInit();
    } else if (n.type == QLatin1String(notify::kColorChanged)) {
        if (n.sender == palette_) {
            current_ = palette_->GetSelectColor();
            ApplyCurrent();
            WriteEdits(current_);
        }
    } else if (n.type == QLatin1String(notify::kClick)) {
        OnClick(name);
    } else if (n.type == QLatin1String(notify::kSelectChanged)) {
        // Options report losing their mark too; only the gain acts, but the
        // seven-colour check acts both ways.
        if (n.wParam != 0 || name.compare(QLatin1String("7color"), Qt::CaseInsensitive) == 0)
            OnSelectChanged(name);
    } else if (n.type == QLatin1String(notify::kKillFocus) ||
               n.type == QLatin1String(notify::kReturn)) {
        for (const char* edit : kEditNames) {
            if (name.compare(QLatin1String(edit), Qt::CaseInsensitive) == 0) {
                OnEditsDone();
                break;
            }
        }
    }
}

void SetPickerAnswerer(PickerAnswerer answerer) {
    Answerer() = std::move(answerer);
}

bool PickColour(QWidget* owner, uint32_t& colour) {
    if (OpenPicker())
        return false;
    auto* picker = new CColorSelectWnd();
    QPointer<CColorSelectWnd> guard(picker);
    if (!picker->Create(owner, QStringLiteral("PalletDialog"), kWidth, kHeight)) {
        delete picker;
        return false;
    }
    OpenPicker() = picker;
    if (auto* ownerWindow = owner != nullptr ? qobject_cast<Window*>(owner->window()) : nullptr)
        picker->SetDPI(ownerWindow->DPI());
    picker->SetCurrentColour(colour);
    picker->DisableSevenColour();
    if (owner != nullptr && owner->isVisible())
        picker->move(owner->frameGeometry().center() -
                     QPoint(picker->width() / 2, picker->height() / 2));
    else
        picker->CenterWindow();
    int result = kPickerResultClosed;
    if (Answerer()) {
        // The window's start runs as it would in the modal loop.
        QCoreApplication::sendPostedEvents(picker);
        result = Answerer()(*picker);
    } else {
        result = picker->ShowModal();
    }
    if (guard && result == kPickerResultOk)
        colour = guard->CurrentColour();
    OpenPicker() = nullptr;
    delete guard.data();
    return result == kPickerResultOk;
}

}  // namespace ui
