// A tiny HTTP/1.1 server on 127.0.0.1 for the client tests: it records every
// request as raw bytes and answers with what the test's handler returns.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/stop_event.h"

namespace update_test {

class TestServer {
  public:
    // The raw response for a raw request; nothing keeps the connection open
    // without an answer until the server stops (a blackholed request).
    using Handler = std::function<std::optional<std::string>(const std::string& request)>;

    explicit TestServer(Handler handler);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    bool Ok() const { return listenFd_ >= 0; }
    int Port() const { return port_; }
    std::string Url(const std::string& path) const;
    std::vector<std::string> Requests() const;
    // Waits until `count` requests have come in; false after `timeoutMs`.
    bool WaitForRequests(size_t count, int timeoutMs) const;

  private:
    void Serve();
    void HandleConnection(int fd);

    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    platform::StopEvent stop_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A response with the given status line tail and body.
std::string Response(const std::string& status, const std::string& body,
                     const std::string& extraHeaders = "");

// A port on 127.0.0.1 that nothing listens on.
int ClosedPort();

}  // namespace update_test
