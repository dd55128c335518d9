// The X11 capture against a private X server: input sent to another
// client's window with xdotool must reach the capture, which never has the
// focus. Skipped when Xvfb or xdotool is missing or the build has no libXi.
#include "macro/x11_input_capture.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace macro {
namespace {

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string rest = path != nullptr ? path : "";
    size_t start = 0;
    while (start <= rest.size()) {
        const size_t end = rest.find(':', start);
        const std::string dir = rest.substr(start, end == std::string::npos ? end : end - start);
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& display,
            posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::string(*e).rfind("DISPLAY=", 0) != 0)
            env.emplace_back(*e);
    if (!display.empty())
        env.push_back("DISPLAY=" + display);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

int RunTool(const std::vector<std::string>& args, const std::string& display) {
    const pid_t pid = Spawn(args, display);
    if (pid < 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class X11CaptureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!X11CaptureBuilt() || !OnPath("Xvfb") || !OnPath("xdotool") || !OnPath("xmessage"))
            GTEST_SKIP() << "needs libXi, Xvfb, xdotool and xmessage";
        int fds[2];
        ASSERT_EQ(0, pipe(fds));
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        server_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "800x600x24",
                         "-nolisten", "tcp"},
                        "", &actions);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (server_ < 0 || number.empty())
            GTEST_SKIP() << "Xvfb did not start";
        display_ = ":" + number;
        other_ = Spawn({"xmessage", "-geometry", "200x100+300+300", "another program"}, display_);
        ASSERT_EQ(0, RunTool({"xdotool", "search", "--sync", "--name", "xmessage", "windowfocus",
                              "--sync", "%1"},
                             display_));
    }

    void TearDown() override {
        for (pid_t pid : {other_, server_})
            if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
    }

    CaptureBackend::Sink Sink() {
        return [this](const InputEvent& event) {
            std::lock_guard lock(mutex_);
            events_.push_back(event);
            cv_.notify_all();
        };
    }

    std::vector<InputEvent> WaitFor(size_t count) {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, std::chrono::seconds(10), [&] { return events_.size() >= count; });
        return events_;
    }

    void Clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
    }

    pid_t server_ = -1;
    pid_t other_ = -1;
    std::string display_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<InputEvent> events_;
};

TEST_F(X11CaptureTest, SeesKeysAndButtonsTypedIntoAnotherClient) {
    auto backend = MakeX11CaptureBackend(display_);
    ASSERT_TRUE(X11CaptureAvailable(display_));
    ASSERT_TRUE(backend->Start(Sink(), true, true));
    EXPECT_TRUE(backend->Global());
    ASSERT_EQ(0, RunTool({"xdotool", "key", "--delay", "200", "a", "b"}, display_));
    ASSERT_EQ(0, RunTool({"xdotool", "mousemove", "350", "340", "click", "1", "click", "3", "click",
                          "8", "click", "9"},
                         display_));
    const auto events = WaitFor(12);
    ASSERT_EQ(12u, events.size());
    EXPECT_EQ(InputKind::KeyPress, events[0].kind);
    EXPECT_EQ(30, events[0].code);
    EXPECT_EQ(InputKind::KeyRelease, events[1].kind);
    EXPECT_EQ(InputKind::KeyPress, events[2].kind);
    EXPECT_EQ(48, events[2].code);
    // The delay between the keys comes from the server's time stamps
    // (xdotool spends half its delay after each press and each release).
    const uint32_t gap = events[2].timeMs - events[0].timeMs;
    EXPECT_GE(gap, 150u);
    EXPECT_LE(gap, 400u);
    const int buttons[] = {1, 3, 8, 9};
    for (int i = 0; i < 4; ++i) {
        const InputEvent& press = events[4 + 2 * i];
        const InputEvent& release = events[5 + 2 * i];
        EXPECT_EQ(InputKind::ButtonPress, press.kind);
        EXPECT_EQ(InputKind::ButtonRelease, release.kind);
        EXPECT_EQ(buttons[i], press.button);
        EXPECT_EQ(buttons[i], release.button);
        EXPECT_EQ(350, press.x);
        EXPECT_EQ(340, press.y);
    }
    backend->Stop();
}

TEST_F(X11CaptureTest, StopsPromptlyAndStartsAgain) {
    auto backend = MakeX11CaptureBackend(display_);
    for (int round = 0; round < 3; ++round) {
        Clear();
        ASSERT_TRUE(backend->Start(Sink(), true, false));
        ASSERT_EQ(0, RunTool({"xdotool", "key", "x", "click", "1"}, display_));
        const auto events = WaitFor(2);
        const auto begin = std::chrono::steady_clock::now();
        backend->Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(500));
        ASSERT_EQ(2u, events.size());  // keys only: the click was not asked for
        EXPECT_EQ(45, events[0].code);
    }
    Clear();
    ASSERT_EQ(0, RunTool({"xdotool", "key", "y"}, display_));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::lock_guard lock(mutex_);
    EXPECT_TRUE(events_.empty());
}

TEST(X11CaptureNoServer, StartFailsWithoutAServer) {
    if (!X11CaptureBuilt())
        GTEST_SKIP();
    EXPECT_FALSE(X11CaptureAvailable(":987"));
    auto backend = MakeX11CaptureBackend(":987");
    EXPECT_FALSE(backend->Start([](const InputEvent&) {}, true, true));
    backend->Stop();
}

}  // namespace
}  // namespace macro
