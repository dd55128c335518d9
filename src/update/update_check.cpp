#include "update/update_check.h"

#include <cstdlib>

#include "platform/debug_output.h"
#include "update/update_time.h"

#ifndef QX70_UPDATE_API_BASE
#define QX70_UPDATE_API_BASE ""
#endif

namespace update {

namespace {

// A closed window must not wait on the network; the worker wakes on its stop
// event, so this bound is only ever reached by a fault.
constexpr std::chrono::milliseconds kJoinBound{500};

const platform::JoinTexts& JoinTexts() {
    static const platform::JoinTexts texts{"update check ended",
                                           "update check still running after 500 ms",
                                           "update check not running"};
    return texts;
}

void RunCheck(const platform::StopEvent& stop, const UpdateTargetTable& table,
              const UpdateCheck::Options& options, const UpdateCheck::RowCallback& onRow,
              const UpdateCheck::DoneCallback& onDone) {
    CheckSummary summary;
    summary.serverConfigured = !options.url.empty();
    HttpClient client;
    bool anyReached = false;
    for (int row = 0; row < kTargetRows; ++row) {
        if (stop.IsSet())
            return;
        const UpdateTarget& target = table[static_cast<size_t>(row)];
        HttpReply reply;
        if (summary.serverConfigured) {
            client.Reset();
            const auto connectMs = static_cast<long>(options.connectTimeout.count());
            const auto stallMs = static_cast<long>(options.stallTimeout.count());
            client.SetTimeouts({0, connectMs, stallMs, stallMs});
            client.Request("POST", options.url, RequestBody(target), reply.body, kDefaultAnswerCap,
                           &stop);
            reply.outcome = client.LastOutcome();
            reply.status = client.LastStatus();
        }
        if (stop.IsSet())
            return;  // a late result is dropped
        UpdateInfo info = DecideRow(target, reply);
        anyReached = anyReached || !info.unreachable;
        if (onRow)
            onRow(row, info);
        summary.rows.push_back(std::move(info));
    }
    // Only a check that reached the server counts as one.
    if (anyReached && !options.dateFilePath.empty() &&
        !WriteCheckDate(options.dateFilePath, TodayCheckDate())) {
        platform::DebugOutput("updatetime.config could not be written");
    }
    summary.overall = OverallAfterCheck(summary.rows);
    if (!stop.IsSet() && onDone)
        onDone(summary);
}

}  // namespace

std::string RequestUrlFromBase(const std::string& base, bool allowLoopbackHttp) {
    if (base.empty())
        return {};
    const bool https = base.rfind("https://", 0) == 0;
    if (!IsAllowedUrl(base) || (!https && !allowLoopbackHttp))
        return {};
    std::string url = base;
    if (url.back() != '/')
        url += '/';
    return url + "updates";
}

std::string UpdateRequestUrl() {
    const char* env = std::getenv("QX70_UPDATE_URL");
    if (env != nullptr && *env != '\0') {
        std::string url = RequestUrlFromBase(env, true);
        if (url.empty())
            platform::DebugOutput("QX70_UPDATE_URL refused: https or loopback only");
        return url;
    }
    return RequestUrlFromBase(QX70_UPDATE_API_BASE, false);
}

UpdateCheck::~UpdateCheck() {
    Stop();
}

bool UpdateCheck::Start(UpdateTargetTable table, Options options, RowCallback onRow,
                        DoneCallback onDone) {
    if (worker_.Running())
        return false;
    if (worker_.Started())
        worker_.StopAndJoin(kJoinBound, JoinTexts());
    return worker_.Start(
        [table = std::move(table), options = std::move(options), onRow = std::move(onRow),
         onDone = std::move(onDone)](const platform::StopEvent& stop) {
            RunCheck(stop, table, options, onRow, onDone);
        },
        "qx70-update");
}

void UpdateCheck::Stop(const platform::JoinTexts* texts) {
    if (!worker_.Started())
        return;
    worker_.StopAndJoin(kJoinBound, texts != nullptr ? *texts : JoinTexts());
}

}  // namespace update
