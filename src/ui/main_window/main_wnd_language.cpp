// The main window's languages and the about window.
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <algorithm>
#include <limits>

#include "device/usb_device.h"
#include "i18n/language_list.h"
#include "platform/debug_output.h"
#include "platform/settings_store.h"
#include "ui/dialogs/about_wnd.h"
#include "ui/framework/text_manager.h"
#include "ui/main_window/main_wnd.h"

namespace ui {
namespace {

constexpr const char* kLanguageKey = "LANGUAGE";

// The language faces are Windows family names that fontconfig does not
// know (the TC one is a full name); map each to a face installed here.
void InstallFaceSubstitutes() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    const QStringList cjkSc = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                               QStringLiteral("WenQuanYi Micro Hei")};
    const QStringList cjkTc = {QStringLiteral("Noto Sans CJK TC"), QStringLiteral("Noto Sans TC"),
                               QStringLiteral("Noto Sans CJK SC")};
    const QStringList sans = {QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"),
                              QStringLiteral("Noto Sans"), QStringLiteral("Noto Sans CJK SC")};
    const struct {
        std::string face;
        const QStringList& substitutes;
    } table[] = {
        {i18n::FaceForIndex(0), cjkSc},
        {i18n::FaceForIndex(2), cjkTc},
        {i18n::FaceForIndex(1), sans},
    };
    const QStringList known = QFontDatabase::families();
    for (const auto& row : table) {
        const QString face = QString::fromStdString(row.face);
        if (!known.contains(face, Qt::CaseInsensitive))
            QFont::insertSubstitutions(face, row.substitutes);
    }
}

bool IsKeyboardType(int type) {
    return type == hid::kDeviceKeyboard || type == hid::kDeviceKeyboardViaReceiver;
}

bool IsMouseType(int type) {
    return type == hid::kDeviceMouse || type == hid::kDeviceMouseViaReceiver;
}

std::vector<Window*> TopLevelWindows() {
    std::vector<Window*> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(w))
            windows.push_back(window);
    }
    return windows;
}

void RebuildFonts(const std::string& faceName) {
    InstallFaceSubstitutes();
    const QString face = QString::fromStdString(faceName);
    const std::vector<Window*> windows = TopLevelWindows();
    FontTable::Shared().RemoveAll();
    for (Window* w : windows)
        w->Fonts().RemoveAll();
    for (const i18n::FontSetEntry& e : i18n::FontSet()) {
        const FontSpec style{face, e.size, e.bold, e.underline, false};
        if (e.id == i18n::kDefaultFontId)
            FontTable::Shared().SetDefaultFont(style);
        else
            FontTable::Shared().AddFont(e.id, style);
    }
    for (Window* w : windows)
        w->ApplyFonts();
}

}  // namespace

int CMainWnd::ReadStoredLanguage() const {
    const std::optional<int> stored = platform::SettingsStore().GetInt(kLanguageKey);
    return i18n::StoredLanguageIndex(i18n::LoadLanguageList(i18n::LanguageListPath()), stored);
}

void CMainWnd::ApplyLanguage(int index) {
    if (index == languageIndex_)
        return;
    // Everything is checked before anything changes: a broken list or file
    // never leaves the index, the fonts or the stored choice half-switched.
    const i18n::LanguageList list = i18n::LoadLanguageList(i18n::LanguageListPath());
    const i18n::LanguageEntry* entry = list.At(index);
    if (entry == nullptr) {
        platform::DebugOutputF("language %d not applied: %s", index,
                               list.loaded ? "no usable entry" : "Language.config unusable");
        return;
    }
    TextManager& texts = TextManager::Instance();
    if (!texts.LoadLanguage(QString::fromStdString(entry->file))) {
        platform::DebugOutputF("language %d not applied: %s unusable", index, entry->file.c_str());
        return;
    }
    if (i18n::NeedsFontRebuild(languageIndex_, index))
        RebuildFonts(i18n::FaceForIndex(index));
    languageIndex_ = index;
    texts.SetLanguage(QString::fromStdString(entry->name));
    texts.ReloadText();
    if (platform::SettingsStore().SetInt(kLanguageKey, entry->id))
        platform::DebugOutput("写成功！");
    else
        platform::DebugOutput("language choice not stored");
    update();
    // The settings, about and music windows redraw in the new language.
    std::vector<Window*> open;
    for (QPointer<QWidget>& child : childWindows_) {
        if (auto* window = qobject_cast<Window*>(child.data()))
            open.push_back(window);
    }
    auto* about = qobject_cast<Window*>(aboutWnd_.data());
    if (about != nullptr && std::find(open.begin(), open.end(), about) == open.end())
        open.push_back(about);
    for (Window* window : open)
        window->Send(kMsgLanguageChanged, 0, 0);
}

void CMainWnd::OnLanguageChanged(uintptr_t index) {
    if (index > static_cast<uintptr_t>(std::numeric_limits<int>::max())) {
        platform::DebugOutputF("language %zu not applied: no usable entry",
                               static_cast<size_t>(index));
    } else {
        ApplyLanguage(static_cast<int>(index));
    }
    // The key-setting lists are rebuilt even when the language stayed:
    // keyboards first, then mice.
    for (const bool keyboards : {true, false}) {
        for (DeviceRow& row : rows_) {
            if (!row.device)
                continue;
            const int type = row.device->GetDeviceType();
            if (keyboards ? IsKeyboardType(type) : IsMouseType(type))
                row.device->UpdateLanguage();
        }
    }
}

void CMainWnd::OpenAboutWindow() {
    if (aboutWnd_)
        return;
    auto* about = new CAboutWnd();
    if (!about->Create(this, QStringLiteral("  "), kAboutWidth, kAboutHeight)) {
        platform::DebugOutput("about window layout missing");
        delete about;
        return;
    }
    about->SetDPI(DPI());
    about->ShowVersion(SoftwareDisplayVersion());
    aboutWnd_ = about;
    RegisterChildWindow(about);
    about->CenterWindow();
    QPointer<CAboutWnd> guard(about);
    about->ShowModal();
    aboutWnd_ = nullptr;
    delete guard.data();
}

}  // namespace ui
