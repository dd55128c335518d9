#include "macro/input_capture.h"

#include <time.h>

#include <cstdlib>

#include "macro/x11_input_capture.h"

namespace macro {

std::optional<CaptureMode> CaptureModeFromInt(int mode) {
    switch (mode) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 32:
            return static_cast<CaptureMode>(mode);
        default:
            return std::nullopt;
    }
}

uint32_t CaptureClockMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

// wParam: kind (bits 0..3), button (4..11), code (12..23), generation
// (24..31), time (32..63). lParam: x (low 32 bits), y (high 32 bits).
PackedEvent Pack(const InputEvent& event, uint8_t generation) {
    PackedEvent packed;
    packed.wParam =
        (static_cast<uint64_t>(event.kind) & 0xF) | (static_cast<uint64_t>(event.button) << 4) |
        ((static_cast<uint64_t>(event.code) & 0xFFF) << 12) |
        (static_cast<uint64_t>(generation) << 24) | (static_cast<uint64_t>(event.timeMs) << 32);
    packed.lParam =
        static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(event.x)) |
                             (static_cast<uint64_t>(static_cast<uint32_t>(event.y)) << 32));
    return packed;
}

std::optional<InputEvent> Unpack(uint64_t wParam, int64_t lParam, uint8_t* generation) {
    const unsigned kind = wParam & 0xF;
    if (kind < static_cast<unsigned>(InputKind::KeyPress) ||
        kind > static_cast<unsigned>(InputKind::ButtonRelease))
        return std::nullopt;
    InputEvent event;
    event.kind = static_cast<InputKind>(kind);
    event.button = static_cast<uint8_t>(wParam >> 4);
    event.code = static_cast<uint16_t>((wParam >> 12) & 0xFFF);
    event.timeMs = static_cast<uint32_t>(wParam >> 32);
    const auto bits = static_cast<uint64_t>(lParam);
    event.x = static_cast<int32_t>(static_cast<uint32_t>(bits));
    event.y = static_cast<int32_t>(static_cast<uint32_t>(bits >> 32));
    if (generation != nullptr)
        *generation = static_cast<uint8_t>(wParam >> 24);
    return event;
}

bool FedCaptureBackend::Start(Sink sink, bool keyboard, bool mouse) {
    if (startFails_)
        return false;
    sink_ = std::move(sink);
    keyboard_ = keyboard;
    mouse_ = mouse;
    return true;
}

void FedCaptureBackend::Stop() {
    sink_ = nullptr;
}

bool FedCaptureBackend::Feed(const InputEvent& event) {
    if (!sink_ || !(IsKey(event.kind) ? keyboard_ : mouse_))
        return false;
    sink_(event);
    return true;
}

InputCapture::InputCapture(std::unique_ptr<CaptureBackend> backend, Post post)
    : backend_(std::move(backend)), post_(std::move(post)) {}

InputCapture::~InputCapture() {
    Uninstall();
}

bool InputCapture::Install(int mode, bool keyboard, bool mouse) {
    // Modes never stack: whatever ran before ends first.
    Uninstall();
    const auto parsed = CaptureModeFromInt(mode);
    if (!parsed)
        return false;
    // A new generation makes events of the previous install, still waiting
    // in the queue, recognisable as stale.
    const uint8_t generation = ++generation_;
    Post post = post_;
    const bool started = backend_->Start(
        [post, generation](const InputEvent& event) {
            const PackedEvent packed = Pack(event, generation);
            post(packed.wParam, packed.lParam);
        },
        keyboard, mouse);
    if (!started)
        return false;
    installed_ = true;
    mode_ = *parsed;
    return true;
}

bool InputCapture::Uninstall() {
    if (!installed_)
        return false;
    backend_->Stop();
    installed_ = false;
    ++generation_;
    return true;
}

std::optional<CaptureMode> InputCapture::Mode() const {
    if (!installed_)
        return std::nullopt;
    return mode_;
}

std::optional<InputEvent> InputCapture::Accept(uint64_t wParam, int64_t lParam) const {
    if (!installed_)
        return std::nullopt;
    uint8_t generation = 0;
    auto event = Unpack(wParam, lParam, &generation);
    if (!event || generation != generation_)
        return std::nullopt;
    return event;
}

CaptureSource ChooseCaptureSource(const CaptureEnvironment& env) {
    if (env.override == "window")
        return CaptureSource::Window;
    if (!env.waylandDisplay.empty() || env.sessionType == "wayland")
        return CaptureSource::Window;
    if (env.display.empty() || !env.x11Available)
        return CaptureSource::Window;
    return CaptureSource::X11;
}

namespace {
std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}
}  // namespace

CaptureEnvironment ReadCaptureEnvironment() {
    CaptureEnvironment env;
    env.override = Env("QX70_INPUT_CAPTURE");
    env.waylandDisplay = Env("WAYLAND_DISPLAY");
    env.sessionType = Env("XDG_SESSION_TYPE");
    env.display = Env("DISPLAY");
    // Only worth a connection when the answer could matter.
    if (env.override != "window" && env.waylandDisplay.empty() && env.sessionType != "wayland" &&
        !env.display.empty())
        env.x11Available = X11CaptureAvailable(env.display);
    return env;
}

}  // namespace macro
