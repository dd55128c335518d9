// The program as a process: exit codes, single instance on a private
// session bus, start without a bus and without fonts, start in the tray.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace {

// A child process with its stdout and stderr collected.
class Child {
  public:
    Child(const std::vector<std::string>& args, const std::map<std::string, std::string>& env) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return;
        std::vector<std::string> envStrings;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry(*e);
            const std::string name = entry.substr(0, entry.find('='));
            if (env.count(name) == 0)
                envStrings.push_back(entry);
        }
        for (const auto& [k, v] : env) {
            if (v != "<unset>")
                envStrings.push_back(k + "=" + v);
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            dup2(out[1], 2);
            std::vector<char*> argv, envp;
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            for (auto& e : envStrings)
                envp.push_back(e.data());
            envp.push_back(nullptr);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        close(out[1]);
        fd_ = out[0];
    }
    ~Child() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            Wait(5000);
        }
        if (fd_ >= 0)
            close(fd_);
    }

    // Reads output until it contains `text` or the time is up.
    bool WaitFor(const std::string& text, int timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (output_.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count())))
                return false;
        }
        return true;
    }
    // The exit code, or -1 when it did not exit normally in time.
    int Wait(int timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            ReadSome(20);
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                while (ReadSome(50)) {
                }
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return -1;
    }
    void Signal(int sig) { kill(pid_, sig); }
    const std::string& Output() const { return output_; }

  private:
    bool ReadSome(int timeoutMs) {
        if (fd_ < 0)
            return false;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        output_.append(buffer, static_cast<size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    bool exited_ = false;
    std::string output_;
};

class ProcessTest : public ::testing::Test {
  protected:
    std::map<std::string, std::string> Env() const {
        return {{"QT_QPA_PLATFORM", "offscreen"},
                {"QX70_DEBUG", "1"},
                {"XDG_DATA_HOME", home_.Path() + "data"},
                {"XDG_CONFIG_HOME", home_.Path() + "config"}};
    }
    testing_support::TempDir home_;
};

TEST_F(ProcessTest, HelpAndVersionExitWithZeroWithoutADisplay) {
    auto env = Env();
    env["QT_QPA_PLATFORM"] = "<unset>";
    env["DISPLAY"] = "<unset>";
    env["WAYLAND_DISPLAY"] = "<unset>";
    Child help({QX70_EXECUTABLE, "--help"}, env);
    EXPECT_EQ(help.Wait(10000), 0);
    EXPECT_NE(help.Output().find("--simulate"), std::string::npos);
    Child version({QX70_EXECUTABLE, "--version"}, env);
    EXPECT_EQ(version.Wait(10000), 0);
    EXPECT_NE(version.Output().find("qx70-config "), std::string::npos);
}

TEST_F(ProcessTest, StartsWithoutASessionBusAndWithoutFonts) {
    // A program folder with the skin only: no Font folder.
    testing_support::TempDir program;
    const std::string copy =
        std::string("cp -r '") + QX70_SOURCE_DIR + "/resources/skin' '" + program.Path() + "skin'";
    ASSERT_EQ(std::system(copy.c_str()), 0);
    auto env = Env();
    env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + program.Path() + "no-bus-here";
    env["QX70_PROGRAM_DIR"] = program.Path();
    env["QX70_QUIT_WHEN_SHOWN"] = "1";
    Child child({QX70_EXECUTABLE, "--simulate"}, env);
    EXPECT_EQ(child.Wait(30000), 0) << child.Output();
    EXPECT_NE(child.Output().find("InitWindow"), std::string::npos) << child.Output();
    EXPECT_NE(child.Output().find("main window shown after"), std::string::npos);
    EXPECT_NE(child.Output().find("退出测试"), std::string::npos);
}

TEST_F(ProcessTest, SecondCopyWakesTheFirstAndExitsWithZero) {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr)
        GTEST_SKIP() << "needs a session bus (run under dbus-run-session)";
    Child first({QX70_EXECUTABLE}, Env());
    ASSERT_TRUE(first.WaitFor("InitWindow", 30000)) << first.Output();
    const size_t colon = first.Output().find("软件标示：");
    ASSERT_NE(colon, std::string::npos);
    const int number = std::atoi(first.Output().c_str() + colon + std::string("软件标示：").size());
    ASSERT_GE(number, 0xC000);

    Child second({QX70_EXECUTABLE}, Env());
    EXPECT_EQ(second.Wait(30000), 0) << second.Output();
    EXPECT_EQ(second.Output().find("InitWindow"), std::string::npos)
        << "second copy opened a window";
    const std::string wake = "软件标示 " + std::to_string(number) + "，0d1d";
    EXPECT_TRUE(first.WaitFor(wake, 10000)) << first.Output();

    // Closing (here by SIGTERM) runs the normal shutdown and exits with 0,
    // after which a new copy is the first again.
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(30000), 0) << first.Output();
    EXPECT_NE(first.Output().find("退出测试"), std::string::npos);
    auto env = Env();
    env["QX70_QUIT_WHEN_SHOWN"] = "1";
    Child third({QX70_EXECUTABLE}, env);
    EXPECT_EQ(third.Wait(30000), 0);
    EXPECT_NE(third.Output().find("InitWindow"), std::string::npos) << third.Output();
}

// The UI driver's answer about the shown windows, e.g. "(@as [],)".
std::string ShownWindows() {
    std::string out;
    FILE* pipe = popen(
        "gdbus call --session --dest io.qx70.Morvath_QX70_MECHANICAL_GAMING_KEYBOARD "
        "--object-path /io/qx70/UiDriver --method io.qx70.UiDriver.Windows 2>&1",
        "r");
    if (pipe == nullptr)
        return "no gdbus";
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        out += buffer;
    pclose(pipe);
    return out;
}

TEST_F(ProcessTest, MinimizedStartShowsNoWindowAsDevicesArrive) {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr)
        GTEST_SKIP() << "needs a session bus (run under dbus-run-session)";
    Child child({QX70_EXECUTABLE, "--simulate", "--minimized"}, Env());
    ASSERT_TRUE(child.WaitFor("添加一个Dongle设备", 30000)) << child.Output();
    // The wake-up an arrival asks for runs on the UI thread before the
    // driver's answer; later arrivals must not open the window either.
    for (int i = 0; i < 10; ++i) {
        const std::string windows = ShownWindows();
        ASSERT_NE(windows.find("@as []"), std::string::npos) << windows;
        usleep(100 * 1000);
    }
    child.Signal(SIGTERM);
    EXPECT_EQ(child.Wait(30000), 0) << child.Output();
}

}  // namespace
