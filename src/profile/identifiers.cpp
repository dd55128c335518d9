#include "profile/identifiers.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "platform/file_io.h"

namespace profile {
namespace {

std::mutex& IdMutex() {
    static std::mutex m;
    return m;
}

int64_t& LastIdMilliseconds() {
    static int64_t last = 0;
    return last;
}

int64_t NextMilliseconds() {
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    int64_t& last = LastIdMilliseconds();
    last = now > last ? now : last + 1;
    return last;
}

}  // namespace

std::string FormatTimestampId(int64_t epochMilliseconds) {
    const std::time_t seconds = static_cast<std::time_t>(epochMilliseconds / 1000);
    const int millis = static_cast<int>(epochMilliseconds % 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  millis);
    return buffer;
}

std::string MakeTimestampId() {
    std::lock_guard lock(IdMutex());
    return FormatTimestampId(NextMilliseconds());
}

std::string MakeTimestampId(const std::string& folder, const std::string& extension) {
    std::lock_guard lock(IdMutex());
    for (;;) {
        std::string id = FormatTimestampId(NextMilliseconds());
        if (!platform::FileExists(folder + id + extension)) {
            return id;
        }
    }
}

bool IsPlainIdentifier(std::string_view id) {
    if (id.empty() || id.size() > 100) {
        return false;
    }
    for (char c : id) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '{' || c == '}';
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1);
}

}  // namespace profile
