#include "update/test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace update_test {

namespace {

int ListenOnLoopback(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(fd);
        return -1;
    }
    port = ntohs(addr.sin_port);
    return fd;
}

// Waits for `fd` or the stop event; false when stopped.
bool WaitReadable(int fd, const platform::StopEvent& stop) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
    for (;;) {
        if (stop.IsSet())
            return false;
        const int n = poll(fds, 2, 50);
        if (n > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
            return !stop.IsSet();
    }
}

}  // namespace

TestServer::TestServer(Handler handler) : handler_(std::move(handler)) {
    listenFd_ = ListenOnLoopback(port_);
    if (listenFd_ >= 0)
        thread_ = std::thread([this] { Serve(); });
}

TestServer::~TestServer() {
    stop_.Set();
    if (thread_.joinable())
        thread_.join();
    if (listenFd_ >= 0)
        close(listenFd_);
}

std::string TestServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> TestServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool TestServer::WaitForRequests(size_t count, int timeoutMs) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        {
            std::lock_guard lock(mutex_);
            if (requests_.size() >= count)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void TestServer::Serve() {
    while (WaitReadable(listenFd_, stop_)) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        HandleConnection(fd);
        close(fd);
    }
}

void TestServer::HandleConnection(int fd) {
    std::string request;
    size_t wanted = std::string::npos;
    char buffer[4096];
    while (request.size() < wanted) {
        if (!WaitReadable(fd, stop_))
            return;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return;
        request.append(buffer, static_cast<size_t>(n));
        const size_t end = request.find("\r\n\r\n");
        if (wanted == std::string::npos && end != std::string::npos) {
            size_t length = 0;
            const size_t at = request.find("Content-Length: ");
            if (at != std::string::npos && at < end) {
                length = std::strtoul(request.c_str() + at + 16, nullptr, 10);
            }
            wanted = end + 4 + length;
        }
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    std::optional<std::string> response = handler_(request);
    if (!response) {
        while (WaitReadable(fd, stop_)) {
            if (read(fd, buffer, sizeof buffer) <= 0)
                return;
        }
        return;
    }
    size_t sent = 0;
    while (sent < response->size()) {
        const ssize_t n = send(fd, response->data() + sent, response->size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<size_t>(n);
    }
}

std::string Response(const std::string& status, const std::string& body,
                     const std::string& extraHeaders) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

int ClosedPort() {
    int port = 0;
    const int fd = ListenOnLoopback(port);
    if (fd >= 0)
        close(fd);
    return port;
}

}  // namespace update_test
