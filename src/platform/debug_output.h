// The process-wide diagnostic sink. Debug texts are part of the program's
// observable behaviour (tests assert on them), so every module writes through
// here instead of printing directly.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Writes one debug text. Goes to stderr when QX70_DEBUG=1, and to every
// capture that is installed. Thread-safe.
void DebugOutput(std::string_view utf8);

// printf-style convenience; the formatted text is passed to DebugOutput.
void DebugOutputF(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Records every debug text written while it lives (tests use this).
class DebugCapture {
  public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    std::vector<std::string> Lines() const;
    bool Contains(std::string_view text) const;
    size_t Count(std::string_view text) const;
    void Clear();

  private:
    friend void DebugOutput(std::string_view);
    void Append(std::string_view text);
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace platform
