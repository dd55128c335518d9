// A language switch in the running main window with every device page built
// (the four device models, the keyboard connected): fonts of every window,
// every text re-read, the choice stored in the settings file. Alternates
// between Chinese and English. Runs on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "platform/paths.h"
#include "ui/framework/window_messages.h"
#include "ui_test_support.h"
#include "window_test_support.h"

namespace {

struct World {
    uitest::WindowWorld world;
    World() {
        platform::SetProgramFolder(QX70_SOURCE_DIR "/resources/");
        world.Start();
        world.Devices().Plug(sim::SimUnit::Keyboard);
        uitest::ProcessUntil([&] { return world.Shown(0); });
    }
};

void BM_LanguageSwitch(benchmark::State& state) {
    // Never destroyed: it must not outlive the application at exit.
    static World& w = *new World;
    uintptr_t index = 0;
    for (auto _ : state) {
        w.world.Window().Send(ui::kMsgLanguageChanged, index, 0);
        index ^= 1;  // 0 Chinese, 1 English
    }
}
BENCHMARK(BM_LanguageSwitch)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    uitest::EnsureApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
