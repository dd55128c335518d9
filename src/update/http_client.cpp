#include "update/http_client.h"

#include <curl/curl.h>
#include <poll.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>

namespace update {

namespace {

constexpr size_t kMaxHostChars = 260;
constexpr size_t kMaxPathChars = 1300;
constexpr int kMaxRedirects = 5;
// Poll step when the stop event has no descriptor to wait on.
constexpr int kFallbackPollMs = 20;

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsLoopbackHost(const std::string& host) {
    const std::string h = Lower(host);
    if (h == "localhost" || h == "[::1]" || h == "::1")
        return true;
    // 127.0.0.0/8 in dotted form only: curl hands the host back normalised.
    if (h.rfind("127.", 0) != 0)
        return false;
    int dots = 0;
    for (char c : h) {
        if (c == '.') {
            ++dots;
        } else if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return dots == 3;
}

struct UrlParts {
    std::string scheme;
    std::string host;
    std::string pathAndQuery;
};

bool SplitUrl(const std::string& url, UrlParts& parts) {
    std::unique_ptr<CURLU, UrlDeleter> handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return false;
    }
    auto get = [&](CURLUPart part, std::string& out) {
        char* text = nullptr;
        if (curl_url_get(handle.get(), part, &text, 0) != CURLUE_OK || text == nullptr) {
            return false;
        }
        out = text;
        curl_free(text);
        return true;
    };
    std::string query;
    if (!get(CURLUPART_SCHEME, parts.scheme) || !get(CURLUPART_HOST, parts.host) ||
        !get(CURLUPART_PATH, parts.pathAndQuery)) {
        return false;
    }
    if (get(CURLUPART_QUERY, query))
        parts.pathAndQuery += "?" + query;
    parts.scheme = Lower(parts.scheme);
    return true;
}

bool IsAllowed(const UrlParts& parts) {
    if (parts.scheme == "https")
        return true;
    return parts.scheme == "http" && IsLoopbackHost(parts.host);
}

struct Sink {
    std::string* out;
    size_t cap;
    bool overCap = false;
};

size_t WriteChunk(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t bytes = size * count;
    if (bytes > sink->cap - std::min(sink->cap, sink->out->size())) {
        sink->overCap = true;
        return 0;  // makes curl end the transfer with CURLE_WRITE_ERROR
    }
    sink->out->append(data, bytes);
    return bytes;
}

// Runs one transfer on its own multi handle, waking on the stop event's
// descriptor as well as on the sockets. False when it was stopped.
bool Perform(CURL* easy, const platform::StopEvent* stop, CURLcode& code) {
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK) {
        code = CURLE_OUT_OF_MEMORY;
        return true;
    }
    const int stopFd = stop != nullptr ? stop->Fd() : -1;
    bool stopped = false;
    code = CURLE_OK;
    for (;;) {
        if (stop != nullptr && stop->IsSet()) {
            stopped = true;
            break;
        }
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            code = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int left = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left)) {
                if (msg->msg == CURLMSG_DONE)
                    code = msg->data.result;
            }
            break;
        }
        curl_waitfd extra{};
        extra.fd = stopFd;
        extra.events = POLLIN;
        const int waitMs = stopFd >= 0 ? 1000 : kFallbackPollMs;
        if (curl_multi_poll(multi.get(), stopFd >= 0 ? &extra : nullptr, stopFd >= 0 ? 1 : 0,
                            waitMs, nullptr) != CURLM_OK) {
            code = CURLE_FAILED_INIT;
            break;
        }
    }
    curl_multi_remove_handle(multi.get(), easy);
    return !stopped;
}

}  // namespace

bool InitHttpGlobally() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

bool IsAllowedUrl(const std::string& url) {
    UrlParts parts;
    return SplitUrl(url, parts) && IsAllowed(parts);
}

void HttpClient::Reset() {
    userAgent_ = "WinHTTP Client/1.0";
    timeouts_ = Timeouts{0, 60000, 30000, 30000};
    lastError_ = 0;
    lastOutcome_ = HttpOutcome::Answered;
    lastStatus_ = 0;
}

int HttpClient::Request(const std::string& method, const std::string& url, const std::string& body,
                        std::string& out, size_t cap, const platform::StopEvent* stop) {
    lastStatus_ = 0;
    lastOutcome_ = HttpOutcome::BadParameter;
    if (url.empty()) {
        lastError_ = kErrorPathNotFound;
        return -1;
    }
    std::string verb = Lower(method);
    if (verb != "get" && verb != "post") {
        lastError_ = kErrorInvalidParameter;
        return -1;
    }
    verb = verb == "get" ? "GET" : "POST";

    out.clear();
    auto notSent = [&](int error) {
        if (error != 0)
            lastError_ = error;
        lastOutcome_ = HttpOutcome::NotSent;
        out = kNoLinkServer;
        return 0;
    };

    std::string current = url;
    std::string sendBody = body;
    for (int hop = 0;; ++hop) {
        UrlParts parts;
        if (!SplitUrl(current, parts) || !IsAllowed(parts) || parts.host.size() > kMaxHostChars ||
            parts.pathAndQuery.size() > kMaxPathChars) {
            // The first URL, or a redirect target over the length limits.
            return notSent(0);
        }
        std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
        if (!easy)
            return notSent(CURLE_FAILED_INIT);
        CURL* e = easy.get();
        Sink sink{&out, cap};
        out.clear();

        std::unique_ptr<curl_slist, SlistDeleter> headers;
        auto addHeader = [&](const char* line) {
            curl_slist* next = curl_slist_append(headers.get(), line);
            if (next != nullptr) {
                (void)headers.release();
                headers.reset(next);
            }
        };
        addHeader("Content-Type: application/x-www-form-urlencoded");
        addHeader("Accept:application/prs.Tavik.v1+json");
        // No "Expect: 100-continue" round trip: the body follows the headers at once.
        addHeader("Expect:");

        // The options the safety of a request rests on must all take.
        CURLcode set = curl_easy_setopt(e, CURLOPT_URL, current.c_str());
        if (set == CURLE_OK)
            set = curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
        if (set == CURLE_OK)
            set = curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
        if (set == CURLE_OK)
            set = curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
        if (set == CURLE_OK)
            set = curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
        if (set == CURLE_OK)
            set = curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        if (set != CURLE_OK)
            return notSent(static_cast<int>(set));
        // The loopback host is never reached through a proxy from the environment.
        if (IsLoopbackHost(parts.host))
            curl_easy_setopt(e, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(e, CURLOPT_USERAGENT, userAgent_.c_str());
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, timeouts_.connectMs);
        const long stallMs = std::max(timeouts_.sendMs, timeouts_.receiveMs);
        if (stallMs > 0) {
            curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
            curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, std::max(1L, (stallMs + 999) / 1000));
        }
        curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(cap));
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &WriteChunk);
        curl_easy_setopt(e, CURLOPT_WRITEDATA, &sink);
        if (verb == "POST" || !sendBody.empty()) {
            curl_easy_setopt(e, CURLOPT_POST, 1L);
            curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(sendBody.size()));
            curl_easy_setopt(e, CURLOPT_POSTFIELDS, sendBody.data());
            if (verb == "GET")
                curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, "GET");
        } else {
            addHeader("Content-Length: 0");
        }
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());

        CURLcode code = CURLE_OK;
        if (!Perform(e, stop, code)) {
            out.clear();
            lastOutcome_ = HttpOutcome::Stopped;
            return 0;
        }
        long requestBytes = 0;
        curl_easy_getinfo(e, CURLINFO_REQUEST_SIZE, &requestBytes);
        long status = 0;
        curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &status);

        if (code != CURLE_OK) {
            lastError_ = static_cast<int>(code);
            if (requestBytes <= 0)
                return notSent(0);
            out.clear();
            if (sink.overCap || code == CURLE_FILESIZE_EXCEEDED) {
                lastOutcome_ = HttpOutcome::TooLarge;
            } else if (code == CURLE_OPERATION_TIMEDOUT) {
                lastOutcome_ = HttpOutcome::TimedOut;
            } else {
                lastOutcome_ = HttpOutcome::NoAnswer;
            }
            return 0;
        }
        lastStatus_ = status;
        char* location = nullptr;
        if (status >= 300 && status < 400 && hop < kMaxRedirects &&
            curl_easy_getinfo(e, CURLINFO_REDIRECT_URL, &location) == CURLE_OK &&
            location != nullptr) {
            UrlParts target;
            // Loopback http is taken only from a loopback server: a remote
            // one must not steer the request to a local service.
            if (SplitUrl(location, target) && IsAllowed(target) &&
                (target.scheme == "https" || IsLoopbackHost(parts.host))) {
                current = location;
                // As browsers do: a 303, and a 301 or 302 after a POST, go on as GET.
                if (status == 303 || ((status == 301 || status == 302) && verb == "POST")) {
                    verb = "GET";
                    sendBody.clear();
                }
                continue;
            }
            // Not followed: the redirect itself is the answer (a 3xx status).
        }
        lastOutcome_ = HttpOutcome::Answered;
        return static_cast<int>(out.size());
    }
}

}  // namespace update
