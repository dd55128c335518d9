#include "macro/x11_input_capture.h"

#ifdef QX70_HAVE_XI

namespace macro::x11_names {
// Xlib defines KeyPress, ButtonPress ... as macros.
constexpr InputKind kKeyDown = InputKind::KeyPress;
constexpr InputKind kKeyUp = InputKind::KeyRelease;
constexpr InputKind kButtonDown = InputKind::ButtonPress;
constexpr InputKind kButtonUp = InputKind::ButtonRelease;
}  // namespace macro::x11_names

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>

#include <cerrno>

#include <chrono>

#include "macro/key_code_table.h"
#include "platform/debug_output.h"
#include "platform/worker_thread.h"

namespace macro {
namespace {

// The XInput 2 opcode of an open display, when raw events are offered.
bool RawEventsOffered(Display* display, int* opcode) {
    int event = 0;
    int error = 0;
    if (!XQueryExtension(display, "XInputExtension", opcode, &event, &error))
        return false;
    // Before 2.1 a client's raw events stop while another client holds a
    // grab, and every button press starts one: releases would go missing.
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success)
        return false;
    return major > 2 || (major == 2 && minor >= 1);
}

class X11CaptureBackend : public CaptureBackend {
  public:
    explicit X11CaptureBackend(std::string display) : displayName_(std::move(display)) {}
    ~X11CaptureBackend() override { Stop(); }

    bool Start(Sink sink, bool keyboard, bool mouse) override {
        Stop();
        display_ = XOpenDisplay(displayName_.empty() ? nullptr : displayName_.c_str());
        if (display_ == nullptr)
            return false;
        if (!RawEventsOffered(display_, &opcode_)) {
            Close();
            return false;
        }
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        if (keyboard) {
            XISetMask(bits, XI_RawKeyPress);
            XISetMask(bits, XI_RawKeyRelease);
        }
        if (mouse) {
            XISetMask(bits, XI_RawButtonPress);
            XISetMask(bits, XI_RawButtonRelease);
        }
        XIEventMask mask;
        mask.deviceid = XIAllMasterDevices;
        mask.mask_len = sizeof bits;
        mask.mask = bits;
        root_ = DefaultRootWindow(display_);
        if (XISelectEvents(display_, root_, &mask, 1) != Success) {
            Close();
            return false;
        }
        XSync(display_, False);
        // From here until the join in Stop the display belongs to the worker.
        Display* display = display_;
        const int opcode = opcode_;
        const Window root = root_;
        return worker_.Start(
            [display, opcode, root, sink = std::move(sink)](const platform::StopEvent& stop) {
                Run(display, opcode, root, sink, stop);
            });
    }

    void Stop() override {
        if (worker_.Started())
            worker_.StopAndJoin(std::chrono::milliseconds(1000),
                                {"input capture: X reader stopped",
                                 "input capture: the X reader is slow to stop", ""});
        Close();
    }

    bool Global() const override { return true; }
    const char* Name() const override { return "x11"; }

  private:
    static void Run(Display* display, int opcode, Window root, const Sink& sink,
                    const platform::StopEvent& stop) {
        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
        const nfds_t count = stop.Fd() >= 0 ? 2 : 1;
        while (!stop.IsSet()) {
            while (XPending(display) > 0 && !stop.IsSet()) {
                XEvent event;
                XNextEvent(display, &event);
                Handle(display, opcode, root, event, sink);
            }
            // Without an eventfd the stop event is polled every 50 ms.
            const int timeout = count == 2 ? -1 : 50;
            if (poll(fds, count, timeout) < 0 && errno != EINTR)
                return;
            if ((fds[0].revents & (POLLERR | POLLHUP)) != 0) {
                platform::DebugOutput("input capture: the X connection was lost");
                return;
            }
        }
    }

    static void Handle(Display* display, int opcode, Window root, XEvent& event, const Sink& sink) {
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != opcode ||
            !XGetEventData(display, cookie))
            return;
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        InputEvent out;
        bool wanted = true;
        switch (cookie->evtype) {
            case XI_RawKeyPress:
            case XI_RawKeyRelease:
                out.kind =
                    cookie->evtype == XI_RawKeyPress ? x11_names::kKeyDown : x11_names::kKeyUp;
                // X key codes run 8 above the Linux input codes.
                wanted = raw->detail >= kXKeycodeOffset && raw->detail < 0x1000 + kXKeycodeOffset;
                out.code = static_cast<uint16_t>(raw->detail - kXKeycodeOffset);
                break;
            case XI_RawButtonPress:
            case XI_RawButtonRelease:
                out.kind = cookie->evtype == XI_RawButtonPress ? x11_names::kButtonDown
                                                               : x11_names::kButtonUp;
                wanted = raw->detail > 0 && raw->detail < 256;
                out.button = static_cast<uint8_t>(raw->detail);
                break;
            default:
                wanted = false;
        }
        out.timeMs = static_cast<uint32_t>(raw->time);
        XFreeEventData(display, cookie);
        if (!wanted)
            return;
        if (!IsKey(out.kind)) {
            // Raw events carry no position; the pointer has not moved since.
            Window rootReturn = 0;
            Window child = 0;
            int rootX = 0;
            int rootY = 0;
            int winX = 0;
            int winY = 0;
            unsigned int state = 0;
            if (XQueryPointer(display, root, &rootReturn, &child, &rootX, &rootY, &winX, &winY,
                              &state)) {
                out.x = rootX;
                out.y = rootY;
            }
        }
        sink(out);
    }

    void Close() {
        if (display_ != nullptr)
            XCloseDisplay(display_);
        display_ = nullptr;
    }

    std::string displayName_;
    Display* display_ = nullptr;
    int opcode_ = 0;
    Window root_ = 0;
    platform::WorkerThread worker_;
};

}  // namespace

bool X11CaptureBuilt() {
    return true;
}

bool X11CaptureAvailable(const std::string& name) {
    Display* display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (display == nullptr)
        return false;
    int opcode = 0;
    const bool offered = RawEventsOffered(display, &opcode);
    XCloseDisplay(display);
    return offered;
}

std::unique_ptr<CaptureBackend> MakeX11CaptureBackend(const std::string& display) {
    return std::make_unique<X11CaptureBackend>(display);
}

}  // namespace macro

#else

namespace macro {

bool X11CaptureBuilt() {
    return false;
}
bool X11CaptureAvailable(const std::string&) {
    return false;
}
std::unique_ptr<CaptureBackend> MakeX11CaptureBackend(const std::string&) {
    return nullptr;
}

}  // namespace macro

#endif
