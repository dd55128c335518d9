#include "app/application.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/command_line.h"
#include "app/private_fonts.h"
#include "app/sim_control.h"
#include "app/single_instance.h"
#include "app/ui_driver.h"
#include "platform/autostart.h"
#include "platform/debug_output.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "ui/dialogs/msg_wnd.h"
#include "ui/framework/application.h"
#include "ui/framework/control_factory.h"
#include "ui/framework/registered_messages.h"
#include "ui/framework/skin.h"
#include "ui/framework/window_messages.h"
#include "ui/main_window/app_messages.h"
#include "ui/main_window/control_classes.h"
#include "ui/main_window/main_wnd.h"

namespace app {
namespace {

constexpr int kMainWindowWidth = 1000;
constexpr int kMainWindowHeight = 700;

int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    // Nothing else is safe here; the UI thread closes the window.
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP close the main window, so a session logout or a
// Ctrl+C runs the same orderly shutdown as the close button.
class TerminationSignals {
  public:
    explicit TerminationSignals(ui::Window* window) {
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
            return;
        fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
        notifier_ = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QPointer<ui::Window> target(window);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [target] {
            char buffer[16];
            [[maybe_unused]] const ssize_t n = read(g_signalPipe[0], buffer, sizeof buffer);
            if (target)
                target->Post(ui::kWmClose, 0, 0);
        });
        struct sigaction action {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int sig : {SIGTERM, SIGINT, SIGHUP})
            sigaction(sig, &action, nullptr);
    }
    ~TerminationSignals() {
        for (int sig : {SIGTERM, SIGINT, SIGHUP})
            signal(sig, SIG_DFL);
        notifier_.reset();
        for (int& fd : g_signalPipe) {
            if (fd >= 0)
                close(fd);
            fd = -1;
        }
    }
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

// QX70_QUIT_WHEN_SHOWN=1 (start-up benchmark, tests): reports the time from
// entry to the first paint of the main window on stderr, then closes it.
class QuitWhenShown : public QObject {
  public:
    QuitWhenShown(ui::Window* window, std::chrono::steady_clock::time_point start)
        : window_(window), start_(start) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && watched == window_ && event->type() == QEvent::Paint) {
            done_ = true;
            const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - start_);
            std::fprintf(stderr, "main window shown after %.1f ms\n", elapsed.count() / 1000.0);
            window_->Post(ui::kWmClose, 0, 0);
        }
        return false;
    }

  private:
    QPointer<ui::Window> window_;
    std::chrono::steady_clock::time_point start_;
    bool done_ = false;
};

bool EnvFlag(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' && value[0] != '0';
}

// Skin set-up: the skin folder, its resource index, then the control classes.
void SetUpSkin() {
    ui::Skin& skin = ui::Skin::Instance();
    skin.SetResourcePath(QString::fromStdString(platform::ProgramFolder() + "skin/"));
    skin.LoadResourceIndex(QStringLiteral("res.xml"));
    ui::RegisterControlClasses();
}

}  // namespace

int RunApplication(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    const CommandLine line = ParseCommandLine(argc, argv);
    if (line.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::fputs(VersionText().c_str(), stdout);
        return 0;
    }
    for (const std::string& arg : line.unknown)
        std::fprintf(stderr, "qx70-config: ignoring unknown argument '%s' (see --help)\n",
                     arg.c_str());
    SetSimulateRequested(line.simulate);

    ui::Application application(argc, argv);
    application.setApplicationName(QStringLiteral("qx70-config"));
    application.setApplicationDisplayName(QString::fromUtf8(platform::kProductTitle));
    // Lets the desktop (Wayland compositors in particular) match the window
    // to its desktop entry and icon.
    application.setDesktopFileName(QString::fromLatin1(platform::kDesktopId));
    // The window's own destroy handling ends the loop (it may live on in the tray).
    application.setQuitOnLastWindowClosed(false);

    PrivateFonts fonts;
    fonts.LoadAll(platform::ProgramFolder());

    const uint32_t instanceMessage = ui::RegisterInstanceMessage();
    platform::DebugOutputF("软件标示：%d", static_cast<int>(instanceMessage));
    if (instanceMessage < ui::kRegisteredMessageFirst ||
        instanceMessage > ui::kRegisteredMessageLast)
        return 0;

    SingleInstance instance(BusNameForTitle(QString::fromUtf8(platform::kProductTitle)));
    if (instance.Acquire() == SingleInstance::State::Second) {
        instance.SendToFirst(QString::fromUtf8(platform::kProductTitle), 0, 1);
        return 0;
    }
    // Only this instance writes there now: what a crash left mid-write goes.
    platform::SweepTemporaryFiles(platform::UserDataFolder());
    platform::SweepTemporaryFiles(platform::UserConfigFolder());

    SetUpSkin();
    ui::RegisterGuidMessages();

    // The simulator outlives the window: its devices go only after the
    // window has joined the threads that talk to them.
    std::unique_ptr<SimulatorControl> simulator;
    if (line.simulate) {
        simulator = std::make_unique<SimulatorControl>();
        simulator->Export();
    }

    auto window = std::make_unique<ui::CMainWnd>();
    window->SetMessageWindow(&ui::ShowMessage);
    if (!window->Create(nullptr, QString::fromUtf8(platform::kProductTitle), kMainWindowWidth,
                        kMainWindowHeight)) {
        platform::DebugOutput("main window not created");
        ui::Skin::Instance().Release();
        return 0;
    }
    window->CenterWindow();
    if (line.minimized)
        window->StartInTray();
    else
        window->show();
    std::unique_ptr<UiDriver> driver;
    if (simulator) {
        simulator->SetWindow(window.get());
        driver = std::make_unique<UiDriver>();
        driver->Export();
    }

    QPointer<ui::CMainWnd> target(window.get());
    instance.SetReceiver([target](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        if (target)
            target->Post(message, wParam, lParam);
    });
    TerminationSignals termination(window.get());
    std::unique_ptr<QuitWhenShown> quitWhenShown;
    if (EnvFlag("QX70_QUIT_WHEN_SHOWN"))
        quitWhenShown = std::make_unique<QuitWhenShown>(window.get(), start);

    application.exec();

    // Shutdown, the start-up in reverse.
    quitWhenShown.reset();
    driver.reset();
    instance.SetReceiver(nullptr);
    window.reset();
    simulator.reset();
    ui::Skin::Instance().Release();
    instance.Release();
    fonts.UnloadAll();
    return 0;
}

}  // namespace app
