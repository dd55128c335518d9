// A server with a self-signed certificate is refused: certificate checks are
// never switched off. Needs the openssl command; skipped without it.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/temp_dir.h"
#include "update/http_client.h"
#include "update/test_server.h"

extern char** environ;

namespace {

bool CanConnect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

TEST(TlsTest, ASelfSignedServerIsRefused) {
    if (std::system("command -v openssl >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no openssl";
    ASSERT_TRUE(update::InitHttpGlobally());
    testing_support::TempDir dir;
    const std::string key = dir.File("key.pem");
    const std::string cert = dir.File("cert.pem");
    const std::string make =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
        " -addext subjectAltName=IP:127.0.0.1 -keyout '" +
        key + "' -out '" + cert + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);

    const int port = update_test::ClosedPort();
    const std::string portText = std::to_string(port);
    const char* argv[] = {"openssl", "s_server",       "-quiet", "-www",
                          "-accept", portText.c_str(), "-cert",  cert.c_str(),
                          "-key",    key.c_str(),      nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawnp(&pid, "openssl", nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    bool up = false;
    for (int i = 0; i < 200 && !(up = CanConnect(port)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }

    update::HttpClient client;
    std::string out;
    const int result =
        up ? client.Request("GET", "https://127.0.0.1:" + portText + "/", "", out) : -2;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);

    ASSERT_TRUE(up) << "openssl s_server did not start";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "NO_LINK_SERVER");
    EXPECT_EQ(client.LastOutcome(), update::HttpOutcome::NotSent);
    EXPECT_EQ(client.LastError(), 60);  // CURLE_PEER_FAILED_VERIFICATION
}

}  // namespace
