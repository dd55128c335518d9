// The program's own controls on Qt's offscreen platform at scale 144: one
// paint of each control (pictures already loaded and scaled, as on every
// repaint after the first), and the processor time the recording button's
// pulse takes while it runs (aim: under 0.2 % of one core).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "ui/controls/audio_record.h"
#include "ui/controls/chart_view.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/combo_edit_element.h"
#include "ui/controls/custom_controls.h"
#include "ui/controls/hand_img_buttons.h"
#include "ui/controls/image_painter.h"
#include "ui/controls/redio_macro_button.h"
#include "ui/controls/wnd_host.h"
#include "ui/framework/application.h"
#include "ui/framework/layout_loader.h"
#include "ui/framework/skin.h"
#include "ui/framework/window.h"
#include "ui/pages/mp_device_power_ui.h"

namespace {

constexpr const char* kPicture = "common/device_ico/kb_device_selected.png";

class HostWindow : public ui::Window {
  protected:
    QString GetSkinFile() const override {
        return QStringLiteral("XML\\CustomControlXML\\ComboEditElementItem.xml");
    }
};

struct Controls {
    std::unique_ptr<HostWindow> window = std::make_unique<HostWindow>();
    std::vector<QWidget*> all;
    ui::CRedioMacroButtonUI* redio = nullptr;

    Controls() {
        ui::Skin::Instance().SetResourcePath(QStringLiteral(QX70_SOURCE_DIR "/resources/skin/"));
        ui::RegisterCustomControls();
        ui::CMpDevicePowerUI::Register();
        window->Create(nullptr, QStringLiteral("controls"), 600, 400);
        window->SetDPI(144);
        QWidget* root = window->Root();
        const QString picture = QString::fromLatin1(kPicture);

        redio = new ui::CRedioMacroButtonUI(root);
        redio->setProperty("redioimage", picture);
        redio->setProperty("normalimage", picture);
        auto* hand = new ui::CHandImgButtonUI(root);
        hand->setProperty("handimage", picture);
        auto* select = new ui::CHandImgSelectButtonUI(root);
        select->resize(30, 30);
        select->setProperty("handimage", picture);
        auto* ring = new ui::CCircleProgressUI(root);
        ring->setValue(40);
        auto* bars = new ui::CAudioRecordUI(root);
        auto* chart = new ui::CChartViewUI(root);
        for (int i = 0; i < 6; ++i)
            chart->AddItem(QStringLiteral("item %1").arg(i), i + 1);
        auto* wnd = new ui::CWndUI(root);
        auto* element = new ui::CComboEditContainerElementUI(root);
        element->Init();
        ui::LayoutLoader loader;
        QWidget* power =
            loader.Build(QStringLiteral("XML\\CustomControlXML\\MpDevicePower.xml"), root);
        if (auto* p = qobject_cast<ui::CMpDevicePowerUI*>(power)) {
            const uint8_t record[] = {37, 1, 0, 1, 0, 0};
            p->SetBatteryStatus(record, sizeof record);
        }
        all = {redio, hand, select, ring, bars, chart, wnd, element};
        if (power != nullptr)
            all.push_back(power);
        int y = 0;
        for (QWidget* w : all) {
            w->setGeometry(0, y, 150, 90);
            y += 95;
        }
        window->show();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
};

// Made on first use and destroyed in main() before the application.
std::unique_ptr<Controls> gControls;

Controls& TheControls() {
    if (!gControls)
        gControls = std::make_unique<Controls>();
    return *gControls;
}

void BM_PaintEachControlAt144(benchmark::State& state) {
    Controls& c = TheControls();
    QWidget* w = c.all[static_cast<size_t>(state.range(0))];
    state.SetLabel(w->metaObject()->className());
    QImage canvas(w->size(), QImage::Format_ARGB32_Premultiplied);
    w->render(&canvas);  // loads and scales the pictures once
    for (auto _ : state) {
        w->render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(canvas.bits());
    }
}
BENCHMARK(BM_PaintEachControlAt144)->DenseRange(0, 8)->Unit(benchmark::kMicrosecond);

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0.0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// Processor time over wall time while the button pulses and the window
// repaints it, as a share of one core. The event loop blocks between the
// steps; an idle window just before is taken off so that only the pulse
// counts. A shared machine's other load moves one window by more than the
// pulse costs, so the windows are taken in several rounds and the median
// of the rounds' differences is given.
void BM_RecordingPulseCpu(benchmark::State& state) {
    Controls& c = TheControls();
    const auto run = [](int ms) {
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = ProcessCpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
        return (ProcessCpuSeconds() - cpu0) / (static_cast<double>(wall.elapsed()) / 1000.0);
    };
    constexpr int kRounds = 7;
    constexpr int kWindowMs = 2000;
    std::vector<double> idle;
    std::vector<double> pulse;
    std::vector<double> bare;
    // The same wake-ups doing nothing: the part of the figure that any step
    // every 50 ms pays on this machine, whatever it draws.
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, [] {});
    for (auto _ : state) {
        c.redio->SetPulsing(true);
        run(1500);  // one whole cycle: every fade drawn once and kept
        for (int round = 0; round < kRounds; ++round) {
            c.redio->SetPulsing(false);
            const double still = run(kWindowMs);
            idle.push_back(still);
            c.redio->SetPulsing(true);
            pulse.push_back(run(kWindowMs) - still);
            c.redio->SetPulsing(false);
            wake.start(ui::CRedioMacroButtonUI::kPulseMs);
            bare.push_back(run(kWindowMs) - still);
            wake.stop();
        }
    }
    state.counters["pulse_core_percent"] = Median(pulse) * 100.0;
    state.counters["idle_core_percent"] = Median(idle) * 100.0;
    state.counters["bare_wakeups_core_percent"] = Median(bare) * 100.0;
}
BENCHMARK(BM_RecordingPulseCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

// One step of the pulse with its repaint; at 20 steps a second this gives
// the pulse's share of a core without the noise of a shared machine.
void BM_RecordingPulseStep(benchmark::State& state) {
    Controls& c = TheControls();
    const double cpu0 = ProcessCpuSeconds();
    for (auto _ : state) {
        c.redio->PulseStep();  // repaints the button itself
    }
    const double perStep = (ProcessCpuSeconds() - cpu0) / static_cast<double>(state.iterations());
    state.counters["core_percent_at_20_per_s"] =
        perStep * (1000.0 / ui::CRedioMacroButtonUI::kPulseMs) * 100.0;
}
BENCHMARK(BM_RecordingPulseStep)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    ui::Application app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gControls.reset();
    return 0;
}
