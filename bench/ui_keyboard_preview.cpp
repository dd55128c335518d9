// Cost of one animated frame of the keyboard picture on the UI thread: every
// visible LED gets a new tint (as the preview hands them over), then the
// window repaints and flushes, at scale 96 and 144. Runs on Qt's offscreen
// platform unless QT_QPA_PLATFORM says otherwise (xcb: the copy to the
// display server counts too).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "ui/controls/device_key_button.h"
#include "ui/framework/application.h"
#include "ui/framework/skin.h"
#include "ui/framework/window.h"

namespace {

class PictureWindow : public ui::Window {
  protected:
    QString GetSkinFile() const override {
        return QStringLiteral("XML\\DeviceXml\\keyboarddevice_7322.xml");
    }
};

struct Picture {
    std::unique_ptr<PictureWindow> window = std::make_unique<PictureWindow>();
    std::vector<ui::CDeviceKeyButtonUI*> lights;

    explicit Picture(int dpi) {
        ui::RegisterKeyboardPictureControls();
        ui::Skin::Instance().SetResourcePath(QStringLiteral(QX70_SOURCE_DIR "/resources/skin/"));
        window->Create(nullptr, QStringLiteral("keyboard"), 760, 240);
        window->SetDPI(dpi);
        window->show();
        for (int n = 0; n < 170; ++n) {
            auto* light = qobject_cast<ui::CDeviceKeyButtonUI*>(
                window->FindControl(QStringLiteral("light_%1").arg(n)));
            if (light != nullptr && light->IsShownOnPanel()) {
                lights.push_back(light);
            }
        }
        Settle();
    }
    static void Settle() {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
    }
};

// Never destroyed: a picture must not outlive the application at exit.
Picture& PictureAt(int dpi) {
    static Picture& at96 = *new Picture(96);
    static Picture& at144 = *new Picture(144);
    return dpi == 144 ? at144 : at96;
}

// Every light a new colour, then the frame is shown.
void AnimateOnce(Picture& picture, uint32_t phase) {
    uint32_t i = 0;
    for (ui::CDeviceKeyButtonUI* light : picture.lights) {
        const uint32_t hue = (phase * 3 + i++ * 7) & 0xFF;
        light->SetLightTint(hue | (255 - hue) << 8 | (hue * 5 & 0xFF) << 16, 230, true);
    }
    Picture::Settle();
}

void BM_AnimatedFrame(benchmark::State& state) {
    Picture& picture = PictureAt(static_cast<int>(state.range(0)));
    uint32_t phase = 0;
    for (auto _ : state) {
        AnimateOnce(picture, ++phase);
    }
    state.counters["leds"] = static_cast<double>(picture.lights.size());
}
BENCHMARK(BM_AnimatedFrame)->Arg(96)->Arg(144)->Unit(benchmark::kMicrosecond);

// The frame as the running program pays for it: the thread has slept a
// frame's time first, so the pixels, the widgets and their page mappings
// are no longer in the caches (on a virtual machine the core may have
// changed under it too). Far dearer than the frame above run back to back.
void BM_AnimatedFrameAfterPause(benchmark::State& state) {
    Picture& picture = PictureAt(static_cast<int>(state.range(0)));
    uint32_t phase = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(32));
        state.ResumeTiming();
        AnimateOnce(picture, ++phase);
    }
}
// A fixed count: every iteration sleeps a frame's time outside the timing.
BENCHMARK(BM_AnimatedFrameAfterPause)
    ->Arg(96)
    ->Arg(144)
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

void BM_IdleFrame(benchmark::State& state) {
    PictureAt(96);
    for (auto _ : state) {
        Picture::Settle();
    }
}
BENCHMARK(BM_IdleFrame)->Unit(benchmark::kMicrosecond);

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
