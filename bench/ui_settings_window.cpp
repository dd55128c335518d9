// The settings window: the time from opening it to its first frame with the
// update check started, whatever the update server does (no server, a
// closed port, a server that never answers), the time a close takes while a
// request hangs, and the process's CPU use while a check hangs.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

#include "platform/paths.h"
#include "support/temp_dir.h"
#include "ui/dialogs/set_wnd.h"
#include "ui/framework/text_manager.h"
#include "ui_test_support.h"
#include "update/test_server.h"
#include "window_test_support.h"

namespace {

enum Server { kNone = 0, kClosedPort = 1, kHung = 2 };

update_test::TestServer& HungServer() {
    static auto* server = new update_test::TestServer(
        [](const std::string&) -> std::optional<std::string> { return std::nullopt; });
    return *server;
}

std::string UrlFor(int server) {
    switch (server) {
        case kClosedPort:
            return "http://127.0.0.1:" + std::to_string(update_test::ClosedPort()) + "/api/updates";
        case kHung:
            return HungServer().Url("/api/updates");
        default:
            return {};
    }
}

std::unique_ptr<ui::CSetWnd> OpenWindow(const std::string& url) {
    auto w = std::make_unique<ui::CSetWnd>();
    w->Create(nullptr, QStringLiteral("SetWnd"), ui::kSetWndWidth, ui::kSetWndHeight);
    update::UpdateCheck::Options options;
    options.url = url;
    w->SetCheckOptions(options);
    w->SetDevices({{0x320F, 0x22AB, 1, 0, true, false, 0x0110}});
    w->show();
    // Shown once its first paint and the "windowinit" work are done.
    uitest::ProcessUntil([&] { return w->CheckRunning() || w->CheckDone(); }, 5000);
    return w;
}

void BM_SettingsWindowShown(benchmark::State& state) {
    static testing_support::ScopedUserFolders& folders = *new testing_support::ScopedUserFolders;
    (void)folders;
    const std::string url = UrlFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QElapsedTimer shown;
        shown.start();
        std::unique_ptr<ui::CSetWnd> w = OpenWindow(url);
        state.SetIterationTime(static_cast<double>(shown.nsecsElapsed()) / 1e9);
        state.PauseTiming();
        w->StopThreads();
        w.reset();
        uitest::ProcessPending();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SettingsWindowShown)
    ->Arg(kNone)
    ->Arg(kClosedPort)
    ->Arg(kHung)
    ->ArgName("server")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

void BM_CloseDuringHungRequest(benchmark::State& state) {
    static testing_support::ScopedUserFolders& folders = *new testing_support::ScopedUserFolders;
    (void)folders;
    const std::string url = UrlFor(kHung);
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<ui::CSetWnd> w = OpenWindow(url);
        uitest::ProcessUntil([] { return false; }, 20);
        state.ResumeTiming();
        w->StopThreads();
        w->close();
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CloseDuringHungRequest)->Unit(benchmark::kMillisecond)->Iterations(10);

double CpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

// One long iteration: the window open with its check waiting on a server
// that never answers. Reports the process's CPU use as a share of one core.
void BM_CpuDuringHungCheck(benchmark::State& state) {
    static testing_support::ScopedUserFolders& folders = *new testing_support::ScopedUserFolders;
    (void)folders;
    const int seconds = static_cast<int>(state.range(0));
    double share = 0;
    for (auto _ : state) {
        std::unique_ptr<ui::CSetWnd> w = OpenWindow(UrlFor(kHung));
        const double before = CpuSeconds();
        // A real event loop, as the program runs one: the harness's polling
        // helper would measure itself.
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        share = (CpuSeconds() - before) / seconds;
        w->StopThreads();
    }
    state.counters["cpu_percent"] = share * 100.0;
}
BENCHMARK(BM_CpuDuringHungCheck)
    ->Arg(30)
    ->ArgName("seconds")
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    uitest::EnsureApplication();
    uitest::UseProgramSkin();
    platform::SetProgramFolder(QX70_SOURCE_DIR "/resources/");
    ui::TextManager::Instance().LoadLanguage(QStringLiteral("lan_en.xml"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
