// A small synchronous HTTP client for the update check, over libcurl. Every
// object keeps its own settings and handles; nothing is shared between
// objects, so two clients may run on two threads at once.
#pragma once

#include <cstddef>
#include <string>

#include "platform/stop_event.h"

namespace update {

// libcurl's process-wide set-up. Call once at start, before any thread is
// made; later calls do nothing. False when libcurl could not be set up.
bool InitHttpGlobally();

// Text put in the answer when no request could be sent at all; the update
// check recognises an unreachable server by it.
inline constexpr const char* kNoLinkServer = "NO_LINK_SERVER";
inline constexpr size_t kDefaultAnswerCap = 102400;

// Error codes of LastError() for refused parameters; other failures store
// the CURLcode of the failing step.
inline constexpr int kErrorPathNotFound = 3;
inline constexpr int kErrorInvalidParameter = 87;

enum class HttpOutcome {
    Answered,      // a response came back within the cap (any status)
    BadParameter,  // refused before anything was tried (result -1)
    NotSent,       // no connection, refused URL or TLS failure: the marker
    NoAnswer,      // sent, but the transfer failed before a full response
    TimedOut,      // a connect or transfer time-out
    TooLarge,      // the response is larger than the cap
    Stopped,       // the stop event ended the request
};

class HttpClient {
  public:
    HttpClient() { Reset(); }

    // Settings back to their start values; the last error becomes 0.
    void Reset();

    // Sends one request (method GET or POST in any case) and stores the
    // response body in `out`. Returns the number of bytes stored, 0 when
    // nothing was received (`out` then holds the marker when nothing could
    // be sent), or -1 for an empty URL or an unknown method. Redirects are
    // followed only to https, or to http on the loopback host. `stop`, when
    // given, ends the request within a few milliseconds of being set.
    int Request(const std::string& method, const std::string& url, const std::string& body,
                std::string& out, size_t cap = kDefaultAnswerCap,
                const platform::StopEvent* stop = nullptr);

    int LastError() const { return lastError_; }
    HttpOutcome LastOutcome() const { return lastOutcome_; }
    // The status of the last response, 0 when none came back.
    long LastStatus() const { return lastStatus_; }

    // Time-outs in milliseconds (0 = no limit). The send and receive limits
    // are applied as the longest stall of the transfer.
    struct Timeouts {
        long resolveMs;
        long connectMs;
        long sendMs;
        long receiveMs;
    };
    const Timeouts& GetTimeouts() const { return timeouts_; }
    // Tests shorten the limits.
    void SetTimeouts(const Timeouts& timeouts) { timeouts_ = timeouts; }
    const std::string& UserAgent() const { return userAgent_; }

  private:
    std::string userAgent_;
    Timeouts timeouts_{};
    int lastError_ = 0;
    HttpOutcome lastOutcome_ = HttpOutcome::Answered;
    long lastStatus_ = 0;
};

// True for an https URL, or an http URL whose host is the loopback
// interface (127.0.0.0/8, ::1, localhost).
bool IsAllowedUrl(const std::string& url);

}  // namespace update
