#include "update/update_check.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>

#include "support/temp_dir.h"
#include "update/test_server.h"
#include "update/update_time.h"

namespace {

using namespace update;
using update_test::Response;
using update_test::TestServer;

UpdateTargetTable Table() {
    UpdateTargetTable table = DefaultTargetTable();
    FillCurrentVersions(
        table,
        {{0x320F, 0x22AB, 1, 0, true, false, 0x0110}, {0x0000, 0x0000, 2, 0, true, true, 0x0105}},
        "0.1.0");
    return table;
}

struct Results {
    std::mutex mutex;
    std::vector<int> rows;
    std::vector<UpdateInfo> infos;
    std::promise<CheckSummary> done;
};

class UpdateCheckTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(InitHttpGlobally()); }

    bool StartCheck(UpdateCheck& check, Results& results, UpdateCheck::Options options) {
        return check.Start(
            Table(), std::move(options),
            [&results](int row, const UpdateInfo& info) {
                std::lock_guard lock(results.mutex);
                results.rows.push_back(row);
                results.infos.push_back(info);
            },
            [&results](const CheckSummary& summary) { results.done.set_value(summary); });
    }
};

TEST_F(UpdateCheckTest, OnePostPerRowInRowOrder) {
    TestServer server([](const std::string& request) -> std::optional<std::string> {
        // The mouse row gets an offer; the others are up to date.
        if (request.find("MS01") != std::string::npos) {
            return Response("200 OK", R"({"name":"ms","version":"106","path":"https://x/m"})");
        }
        return Response("200 OK", "{}");
    });
    ASSERT_TRUE(server.Ok());
    testing_support::TempDir dir;
    UpdateCheck check;
    Results results;
    std::future<CheckSummary> done = results.done.get_future();
    ASSERT_TRUE(
        StartCheck(check, results, {server.Url("/api/updates"), dir.File("updatetime.config")}));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    const CheckSummary summary = done.get();
    check.Stop();

    EXPECT_EQ(summary.overall, OverallState::HaveUpdate);
    EXPECT_TRUE(summary.serverConfigured);
    ASSERT_EQ(summary.rows.size(), 4u);
    EXPECT_EQ(summary.rows[kMouseRow].status, kStateUpdateAvailable);
    EXPECT_EQ(summary.rows[kMouseRow].newText, "V106");
    EXPECT_EQ(results.rows, (std::vector<int>{0, 1, 2, 3}));

    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    const UpdateTargetTable table = Table();
    for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].rfind("POST /api/updates HTTP/1.1\r\n", 0), 0u);
        EXPECT_EQ(requests[i].substr(requests[i].find("\r\n\r\n") + 4), RequestBody(table[i]));
    }
    EXPECT_EQ(ReadCheckDate(dir.File("updatetime.config")), TodayCheckDate());
}

TEST_F(UpdateCheckTest, NoServerConfiguredMakesNoRequest) {
    testing_support::TempDir dir;
    UpdateCheck check;
    Results results;
    std::future<CheckSummary> done = results.done.get_future();
    ASSERT_TRUE(StartCheck(check, results, {"", dir.File("updatetime.config")}));
    ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    const CheckSummary summary = done.get();
    check.Stop();
    EXPECT_FALSE(summary.serverConfigured);
    EXPECT_EQ(summary.overall, OverallState::NotReached);
    for (const UpdateInfo& row : summary.rows) {
        EXPECT_TRUE(row.unreachable);
        EXPECT_EQ(row.status, kStateUpToDate);
    }
    // Nothing was checked, so no date is recorded.
    EXPECT_FALSE(ReadCheckDate(dir.File("updatetime.config")));
}

TEST_F(UpdateCheckTest, StopEndsAHungCheckAndDropsLateResults) {
    TestServer server([](const std::string&) { return std::nullopt; });
    ASSERT_TRUE(server.Ok());
    UpdateCheck check;
    Results results;
    ASSERT_TRUE(StartCheck(check, results, {server.Url("/api/updates"), ""}));
    EXPECT_FALSE(StartCheck(check, results, {server.Url("/api/updates"), ""}));
    ASSERT_TRUE(server.WaitForRequests(1, 5000));
    const auto before = std::chrono::steady_clock::now();
    check.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
    EXPECT_FALSE(check.Running());
    std::lock_guard lock(results.mutex);
    EXPECT_TRUE(results.rows.empty());
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(UpdateUrlTest, BaseAndOverride) {
    EXPECT_EQ(RequestUrlFromBase("https://u.example.org/api/", false),
              "https://u.example.org/api/updates");
    EXPECT_EQ(RequestUrlFromBase("https://u.example.org/api", false),
              "https://u.example.org/api/updates");
    EXPECT_EQ(RequestUrlFromBase("http://127.0.0.1:8080/api/", false), "");
    EXPECT_EQ(RequestUrlFromBase("http://127.0.0.1:8080/api/", true),
              "http://127.0.0.1:8080/api/updates");
    EXPECT_EQ(RequestUrlFromBase("http://u.example.org/api/", true), "");
    EXPECT_EQ(RequestUrlFromBase("", true), "");

    ASSERT_EQ(setenv("QX70_UPDATE_URL", "http://localhost:9/api/", 1), 0);
    EXPECT_EQ(UpdateRequestUrl(), "http://localhost:9/api/updates");
    ASSERT_EQ(setenv("QX70_UPDATE_URL", "http://u.example.org/api/", 1), 0);
    EXPECT_EQ(UpdateRequestUrl(), "");
    ASSERT_EQ(unsetenv("QX70_UPDATE_URL"), 0);
    EXPECT_EQ(UpdateRequestUrl(), "");  // the default build names no server
}

}  // namespace
