// The key page's costs on the UI thread: one assignment put on the page's
// controls and read back, and renaming every key of the picture after a
// language switch (the keyboard's caption refresh through the page view).
// Runs on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <vector>

#include "device/keyboard_device.h"
#include "device/keyboard_protocol.h"
#include "ui/controls/device_key_button.h"
#include "ui/framework/application.h"
#include "ui/framework/skin.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window.h"
#include "ui/pages/device_page_adapter.h"
#include "ui/pages/key_set_control_ui.h"

namespace {

class LayoutWindow : public ui::Window {
  public:
    explicit LayoutWindow(QString file) : file_(std::move(file)) {}

  protected:
    QString GetSkinFile() const override { return file_; }

  private:
    QString file_;
};

void UseSkin() {
    ui::Skin::Instance().SetResourcePath(QStringLiteral(QX70_SOURCE_DIR "/resources/skin/"));
    ui::TextManager::Instance().LoadLanguage(QStringLiteral("lan_en.xml"));
}

struct KeyPage {
    std::unique_ptr<LayoutWindow> window =
        std::make_unique<LayoutWindow>(QStringLiteral("XML\\CustomControlXML\\KeySetControl.xml"));
    ui::CKeySetControlUI* page = nullptr;
    KeyPage() {
        ui::CKeySetControlUI::Register();
        UseSkin();
        window->Create(nullptr, QStringLiteral("keys"), 760, 200);
        window->show();
        page = window->Root()->findChild<ui::CKeySetControlUI*>();
        if (page == nullptr)
            page = qobject_cast<ui::CKeySetControlUI*>(window->Root());
        page->BindControls();
        page->SetMacroNames({"a", "b", "c"});
        page->SetKeyEntry({{0, 0x20, 0, 0x29}, {0, 0x20, 0, 0x29}});
    }
};

// One of each function, so every sub-page is shown in turn.
const std::vector<profile::KeyAssignment> kMix = {
    {0, 0x10, 0x01, 0}, {0, 0x11, 0x12, 0x83}, {0, 0x12, 0x12, 0xFD}, {0, 0x13, 2, 0},
    {0, 0x14, 40, 3},   {0, 0x20, 0x04, 0x05}, {0, 0x30, 0xE2, 0},    {0, 0x40, 1, 0},
    {0, 0x71, 1, 9},    {0, 0x72, 2, 0},       {0, 0x20, 0x10, 0x06}, {0, 0x20, 0, 0x29},
};

void BM_ShowAssignment(benchmark::State& state) {
    static KeyPage& k = *new KeyPage;
    size_t i = 0;
    for (auto _ : state)
        k.page->ShowAssignment(kMix[i++ % kMix.size()]);
}
BENCHMARK(BM_ShowAssignment)->Unit(benchmark::kMicrosecond);

void BM_ReadAssignment(benchmark::State& state) {
    static KeyPage& k = *new KeyPage;
    size_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        k.page->ShowAssignment(kMix[i++ % kMix.size()]);
        state.ResumeTiming();
        benchmark::DoNotOptimize(k.page->ReadAssignment());
    }
}
BENCHMARK(BM_ReadAssignment)->Unit(benchmark::kMicrosecond);

struct Picture {
    std::unique_ptr<LayoutWindow> window =
        std::make_unique<LayoutWindow>(QStringLiteral("XML\\DeviceXml\\keyboarddevice_7322.xml"));
    std::unique_ptr<ui::KeyboardPageAdapter> view;
    device::CVornelKeyboardDevice keyboard;
    Picture() {
        ui::RegisterKeyboardPictureControls();
        UseSkin();
        window->Create(nullptr, QStringLiteral("keyboard"), 760, 240);
        window->show();
        view = std::make_unique<ui::KeyboardPageAdapter>(window->Root());
        keyboard.SetKeyboardView(view.get());
        std::vector<profile::KeyListEntry> list(device::kKeyButtons);
        const auto& codes = device::KeyboardDefaultCodes();
        for (size_t j = 0; j < list.size(); ++j) {
            const profile::KeyAssignment a{static_cast<uint16_t>(j), codes[j][0], codes[j][1],
                                           codes[j][2]};
            list[j] = {a, a};
        }
        keyboard.SetKeyListAll(list);
    }
};

void BM_RefreshAllKeyCaptions(benchmark::State& state) {
    static Picture& p = *new Picture;
    bool chinese = false;
    for (auto _ : state) {
        state.PauseTiming();
        chinese = !chinese;
        ui::TextManager::Instance().LoadLanguage(chinese ? QStringLiteral("lan_cn.xml")
                                                         : QStringLiteral("lan_en.xml"));
        state.ResumeTiming();
        p.keyboard.UpdateLanguage();
    }
    state.counters["keys"] = static_cast<double>(p.keyboard.KeyList().size());
}
BENCHMARK(BM_RefreshAllKeyCaptions)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    ui::Application app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
