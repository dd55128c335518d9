// The update check: one request per row, one row after another, on its own
// thread. The worker only sees its copy of the table and hands each result
// to a callback; the UI posts it to its own thread.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/worker_thread.h"
#include "update/update_targets.h"

namespace update {

// The address requests go to: $QX70_UPDATE_URL when set (https, or http on
// the loopback host), else the build's API base (https only), followed by
// "updates". Empty when no usable server is configured: no request is made.
std::string UpdateRequestUrl();
// As above for a given base ("" when refused); a missing final '/' is added.
std::string RequestUrlFromBase(const std::string& base, bool allowLoopbackHttp);

struct CheckSummary {
    OverallState overall = OverallState::NotReached;
    bool serverConfigured = false;
    std::vector<UpdateInfo> rows;
};

class UpdateCheck {
  public:
    // Called on the worker thread; never after Stop() has returned, and not
    // at all once the stop event is set.
    using RowCallback = std::function<void(int row, const UpdateInfo& info)>;
    using DoneCallback = std::function<void(const CheckSummary& summary)>;

    struct Options {
        std::string url;           // "" : no server configured, no request
        std::string dateFilePath;  // "" : the date is not recorded
        std::chrono::milliseconds connectTimeout{60000};
        std::chrono::milliseconds stallTimeout{30000};
    };

    UpdateCheck() = default;
    ~UpdateCheck();
    UpdateCheck(const UpdateCheck&) = delete;
    UpdateCheck& operator=(const UpdateCheck&) = delete;

    // Starts a check over `table`; false when one is still running.
    bool Start(UpdateTargetTable table, Options options, RowCallback onRow, DoneCallback onDone);
    // Ends the check (a request in flight is cut short) and joins it; the
    // outcome of the bounded wait is written with `texts` when given.
    void Stop(const platform::JoinTexts* texts = nullptr);
    bool Running() const { return worker_.Running(); }

  private:
    platform::WorkerThread worker_;
};

}  // namespace update
