#include "platform/debug_output.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}

std::vector<DebugCapture*>& Captures() {
    static std::vector<DebugCapture*> captures;
    return captures;
}

bool ToStderr() {
    static const bool enabled = [] {
        const char* v = std::getenv("QX70_DEBUG");
        return v != nullptr && std::strcmp(v, "1") == 0;
    }();
    return enabled;
}

}  // namespace

void DebugOutput(std::string_view utf8) {
    std::lock_guard lock(RegistryMutex());
    if (ToStderr()) {
        std::fwrite(utf8.data(), 1, utf8.size(), stderr);
        if (utf8.empty() || utf8.back() != '\n') {
            std::fputc('\n', stderr);
        }
    }
    for (DebugCapture* c : Captures()) {
        c->Append(utf8);
    }
}

void DebugOutputF(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) {
        return;
    }
    DebugOutput(
        std::string_view(buffer, std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1)));
}

DebugCapture::DebugCapture() {
    std::lock_guard lock(RegistryMutex());
    Captures().push_back(this);
}

DebugCapture::~DebugCapture() {
    std::lock_guard lock(RegistryMutex());
    auto& all = Captures();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void DebugCapture::Append(std::string_view text) {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(text);
}

std::vector<std::string> DebugCapture::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool DebugCapture::Contains(std::string_view text) const {
    return Count(text) > 0;
}

size_t DebugCapture::Count(std::string_view text) const {
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(std::count_if(lines_.begin(), lines_.end(),
                                             [&](const std::string& l) { return l == text; }));
}

void DebugCapture::Clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace platform
