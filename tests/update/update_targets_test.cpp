#include "update/update_targets.h"

#include <gtest/gtest.h>

namespace {

using namespace update;

UpdateTargetTable FilledTable() {
    UpdateTargetTable table = DefaultTargetTable();
    FillCurrentVersions(table,
                        {{0x320F, 0x22AB, 1, 0, true, false, 0x0110},
                         {0x0000, 0x0000, 2, 0, true, true, 0x0105},
                         {0x320F, 0x1004, 3, 0, false, false, 0x0102},
                         {0x0C76, 0x1630, 7, 0, true, false, 0x0200},   // the headset
                         {0x1234, 0x5678, 1, 0, true, false, 0x0999}},  // not a model
                        "0.1.0");
    return table;
}

HttpReply Answer(const std::string& body, long status = 200) {
    return {HttpOutcome::Answered, status, body};
}

TEST(UpdateTargetsTest, CurrentVersionsKeysAndBodies) {
    const UpdateTargetTable table = FilledTable();
    EXPECT_EQ(table[kKeyboardRow].currentVersion, 0x0110u);
    EXPECT_EQ(table[kMouseRow].keyNumber, -1);
    EXPECT_EQ(table[kMousePadRow].currentVersion, 0u);  // its channel is closed
    EXPECT_EQ(table[kAppRow].currentVersion, 10u);      // not the headset's release

    EXPECT_EQ(RequestBody(table[kKeyboardRow]),
              std::string("app_key=QX70_1_KB01_FW_1&version=110\0", 37));
    EXPECT_EQ(RequestBody(table[kMouseRow]),
              std::string("app_key=QX70_1_MS01_FW_-1&version=105\0", 38));
    EXPECT_EQ(RequestBody(table[kMousePadRow]), std::string("app_key=NULL&version=0\0", 23));
    EXPECT_EQ(RequestBody(table[kAppRow]), std::string("app_key=QX70_0_ALL_AP_1&version=10\0", 35));

    // A refill starts over: the receiver mark does not stick.
    UpdateTargetTable again = table;
    FillCurrentVersions(again, {}, "");
    EXPECT_EQ(again[kMouseRow].keyNumber, 1);
    EXPECT_EQ(AppKey(again[kAppRow]), "NULL");
}

TEST(UpdateTargetsTest, VersionNumbers) {
    EXPECT_EQ(DisplayVersionNumber("1.0.2"), 102u);
    EXPECT_EQ(DisplayVersionNumber("1.10.0"), 1100u);
    EXPECT_EQ(DisplayVersionNumber(""), 0u);
    EXPECT_EQ(DisplayVersionNumber("1.0.2-rc1"), 0u);

    EXPECT_EQ(ParseServerVersion("106", true), 0x106u);
    EXPECT_EQ(ParseServerVersion("ffffffff", true), 0xffffffffu);
    EXPECT_EQ(ParseServerVersion("999999999", false), 999999999u);
    for (const char* bad : {"", "1ffffffff", "0x10", "-1", " 1", "1.0.3", "+5"}) {
        EXPECT_FALSE(ParseServerVersion(bad, true)) << bad;
    }
    EXPECT_FALSE(ParseServerVersion("1000000000", false));
    EXPECT_FALSE(ParseServerVersion("1a", false));

    UpdateTarget hex = DefaultTargetTable()[kKeyboardRow];
    EXPECT_EQ(VersionText(hex, 0x0105), "V0105");
    EXPECT_EQ(VersionText(DefaultTargetTable()[kAppRow], 102), "V102");
}

TEST(UpdateTargetsTest, NewerServerVersionMeansUpdate) {
    UpdateTarget row = DefaultTargetTable()[kKeyboardRow];
    row.currentVersion = 0x0105;
    const UpdateInfo info = DecideRow(
        row, Answer(R"({"name":"kb","version":"106","version_name":"1.0.6","path":"https://x/y",)"
                    R"("device_id":7})"));
    EXPECT_EQ(info.status, kStateUpdateAvailable);
    EXPECT_FALSE(info.unreachable);
    EXPECT_EQ(info.currentText, "V0105");
    EXPECT_EQ(info.newText, "V106");
    EXPECT_EQ(info.name, "KB");
    EXPECT_EQ(info.path, "https://x/y");
    EXPECT_EQ(info.deviceId, 7);

    row.currentVersion = 0x0106;
    EXPECT_EQ(DecideRow(row, Answer(R"({"name":"kb","version":"106"})")).status, kStateUpToDate);
    // A device that is not there is never offered an update.
    row.currentVersion = 0;
    const UpdateInfo absent = DecideRow(row, Answer(R"({"name":"kb","version":"106"})"));
    EXPECT_EQ(absent.status, kStateUpToDate);
    EXPECT_TRUE(absent.newText.empty());
}

TEST(UpdateTargetsTest, DecimalRowComparesTheDottlessNumber) {
    UpdateTarget app = DefaultTargetTable()[kAppRow];
    app.currentVersion = DisplayVersionNumber("1.0.2");
    UpdateInfo info =
        DecideRow(app, Answer(R"({"name":"ap","version":"101","version_name":"1.0.1"})"));
    EXPECT_EQ(info.status, kStateUpToDate);
    EXPECT_TRUE(info.newText.empty());
    info = DecideRow(app, Answer(R"({"name":"ap","version":"103","version_name":"1.0.3"})"));
    EXPECT_EQ(info.status, kStateUpdateAvailable);
    EXPECT_EQ(info.newText, "V1.0.3");
}

TEST(UpdateTargetsTest, AnObjectWithoutNameIsUpToDate) {
    const UpdateTarget row = FilledTable()[kKeyboardRow];
    for (const char* body : {"{}", R"({"name":""})", R"({"version":"fff"})", "{}\0\0"}) {
        const UpdateInfo info = DecideRow(row, Answer(body));
        EXPECT_EQ(info.status, kStateUpToDate) << body;
        EXPECT_FALSE(info.unreachable) << body;
    }
    // The answer may end in the NUL the request carried.
    EXPECT_FALSE(DecideRow(row, Answer(std::string("{}\0", 3))).unreachable);
}

TEST(UpdateTargetsTest, FailuresAndBadAnswersAreNeverUpToDate) {
    const UpdateTarget row = FilledTable()[kKeyboardRow];
    const std::string longText(kMaxAnswerString + 1, 'a');
    const std::vector<HttpReply> replies = {
        {HttpOutcome::NotSent, 0, "NO_LINK_SERVER"},
        {HttpOutcome::NoAnswer, 0, ""},
        {HttpOutcome::TimedOut, 0, ""},
        {HttpOutcome::TooLarge, 0, ""},
        {HttpOutcome::Stopped, 0, ""},
        Answer(R"({"name":"kb","version":"999"})", 404),
        Answer(R"({"name":"kb","version":"999"})", 302),
        Answer("<html>not json</html>"),
        Answer("[1,2]"),
        Answer(""),
        Answer(R"({"name":{},"version":[]})"),
        Answer(R"({"name":"kb","version":999})"),
        Answer(R"({"name":"kb","version":"1.0.3"})"),
        Answer(R"({"name":"kb"})"),
        Answer(R"({"name":"kb","version":"106","device_id":"7"})"),
        Answer(R"({"name":"kb","version":"106","device_id":1.5})"),
        Answer(R"({"name":"kb","version":"106","path":")" + longText + "\"}"),
        Answer(R"({"name":"no_link_server"})"),
    };
    for (const HttpReply& reply : replies) {
        const UpdateInfo info = DecideRow(row, reply);
        EXPECT_TRUE(info.unreachable) << reply.body;
        EXPECT_EQ(info.status, kStateUpToDate) << reply.body;
        EXPECT_TRUE(info.newText.empty());
    }
}

TEST(UpdateTargetsTest, OverallState) {
    UpdateInfo unreachable;
    unreachable.unreachable = true;
    UpdateInfo upToDate;
    UpdateInfo offer;
    offer.status = kStateUpdateAvailable;
    EXPECT_EQ(OverallAfterCheck({unreachable, unreachable, unreachable, unreachable}),
              OverallState::NotReached);
    EXPECT_EQ(OverallAfterCheck({unreachable, upToDate, unreachable, unreachable}),
              OverallState::UpToDate);
    EXPECT_EQ(OverallAfterCheck({unreachable, upToDate, offer, upToDate}),
              OverallState::HaveUpdate);
}

}  // namespace
