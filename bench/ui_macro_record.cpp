// From a captured input event to its row in the macro page's action list,
// laid out and painted: recording must keep up with fast typing (50 events a
// second leaves 20 ms per event) without a file write per event.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include "macro/input_capture.h"
#include "ui/pages/macro_control_ui.h"

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

void BM_EventToRow(benchmark::State& state) {
    App();
    QTemporaryDir dir;
    ui::CMacroControlUI page;
    auto* box = new QVBoxLayout(&page);
    auto* actions = new QListWidget(&page);
    actions->setObjectName(QStringLiteral("macro_action_list"));
    auto* names = new QListWidget(&page);
    names->setObjectName(QStringLiteral("macro_name_list"));
    box->addWidget(names);
    box->addWidget(actions);
    page.resize(800, 400);
    page.show();
    page.SetMessenger([](const std::string&, int) { return 1; });
    page.SetAllowedActions(macro::kKeyboardAllowedActions);
    page.SetFolder(QDir(dir.path()).filePath(QStringLiteral("m/")).toStdString());
    QDir().mkpath(QDir(dir.path()).filePath(QStringLiteral("m")));
    pages::RouteEvent add;
    add.route = pages::Route::MacroNameEdit;
    add.control = "macro_btn_name_add";
    page.Handle(add);
    uint32_t t = 0;
    bool down = true;
    page.StartRecording(macro::TimeMode::Recorded, macro::CaptureMode::Append);
    for (auto _ : state) {
        if (actions->count() >= macro::kKeyboardAllowedActions - 2) {
            state.PauseTiming();
            page.StopRecording();  // the one file write, at stop
            pages::RouteEvent clear;
            clear.route = pages::Route::MacroDeleteSteps;
            clear.control = "macro_btn_deleteall";
            page.Handle(clear);
            page.StartRecording(macro::TimeMode::Recorded, macro::CaptureMode::Append);
            down = true;
            state.ResumeTiming();
        }
        t += 20;
        page.OnInput(
            {down ? macro::InputKind::KeyPress : macro::InputKind::KeyRelease, 30, 0, 0, 0, t});
        down = !down;
        QApplication::processEvents();
    }
    page.StopRecording();
}
BENCHMARK(BM_EventToRow)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
