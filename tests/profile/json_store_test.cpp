#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/debug_output.h"
#include "platform/file_io.h"
#include "profile/json_access.h"
#include "profile/json_file_store.h"
#include "support/temp_dir.h"

using profile::JsonFileStore;
using profile::JsonStatus;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

namespace {

std::string Nested(int depth) {
    return "{\"a\":" + std::string(depth, '[') + std::string(depth, ']') + "}";
}

// Makes writes beyond `bytes` fail as on a full disk (works for root too).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_ = ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, old_);
    }

  private:
    rlimit saved_{};
    sighandler_t old_;
};

}  // namespace

TEST(JsonFileStore, WritesStyledLayoutWithCrLfAndFinalLineEnd) {
    TempDir dir;
    Json::Value doc(Json::objectValue);
    doc["profilename"] = "游戏";
    doc["quoted"] = "a\\u00e9\"\n\xF0\x9F\x8E\xAE";
    doc["Device"][0]["KeyList"][0]["DefaultAssignment"] = 2097193;
    doc["Device"][0]["KeyList"][0]["Assignment"] = 7344692;
    doc["Device"][1] = Json::Value();
    doc["Bands"].append(1);
    doc["Bands"].append(-2);
    ASSERT_TRUE(JsonFileStore().WriteJsonFile(dir.File("a.Json"), doc));
    const std::string expected =
        "{\r\n"
        "   \"Bands\" : [ 1, -2 ],\r\n"
        "   \"Device\" : [\r\n"
        "      {\r\n"
        "         \"KeyList\" : [\r\n"
        "            {\r\n"
        "               \"Assignment\" : 7344692,\r\n"
        "               \"DefaultAssignment\" : 2097193\r\n"
        "            }\r\n"
        "         ]\r\n"
        "      },\r\n"
        "      null\r\n"
        "   ],\r\n"
        "   \"profilename\" : \"游戏\",\r\n"
        "   \"quoted\" : \"a\\\\u00e9\\\"\\n\xF0\x9F\x8E\xAE\"\r\n"
        "}\r\n"
        "\r\n";
    EXPECT_EQ(ReadAll(dir.File("a.Json")), expected);
    // And it reads back unchanged.
    EXPECT_EQ(JsonFileStore().ParseJsonFile(dir.File("a.Json")), doc);
}

TEST(JsonFileStore, BrokenOrHostileInputsReadAsMissingWithoutCrash) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""},
        {"truncated", "{\"Device\" : [ { \"LightInfo\" : { \"Red\" : 1"},
        {"not json", "profile1=2023"},
        {"array root", "[1, 2, 3]"},
        {"number root", "42"},
        {"deep", Nested(100000)},
        {"nul bytes", std::string("{\"a\":\0}", 7)},
    };
    for (const auto& [name, text] : cases) {
        WriteAll(dir.File("f"), text);
        Json::Value out(1);
        EXPECT_EQ(JsonFileStore().ParseJsonFile(dir.File("f"), out), JsonStatus::Invalid) << name;
        EXPECT_TRUE(out.isNull()) << name;
    }
    Json::Value out;
    EXPECT_EQ(JsonFileStore().ParseJsonFile(dir.File("missing"), out), JsonStatus::Missing);
    EXPECT_EQ(JsonFileStore().ParseJsonFile(dir.Path(), out), JsonStatus::Unusable);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    EXPECT_EQ(JsonFileStore().ParseJsonFile(dir.File("fifo"), out), JsonStatus::Unusable);
    EXPECT_EQ(JsonFileStore().readjsonFile(dir.File("fifo")), "");
}

TEST(JsonFileStore, AcceptsByteOrderMarkAndModerateNesting) {
    TempDir dir;
    WriteAll(dir.File("bom"), "\xEF\xBB\xBF{\"profilename\":\"p\"}");
    EXPECT_EQ(JsonFileStore().ParseJsonFile(dir.File("bom"))["profilename"].asString(), "p");
    WriteAll(dir.File("nested"), Nested(profile::kMaxJsonDepth - 4));
    EXPECT_TRUE(JsonFileStore().ParseJsonFile(dir.File("nested")).isObject());
}

TEST(JsonFileStore, EmitsItsDebugLines) {
    TempDir dir;
    platform::DebugCapture capture;
    JsonFileStore().ParseJsonFile(dir.File("nothing.Json"));
    EXPECT_TRUE(capture.Contains("readjsonFile 错误吗：：2\n"));
    EXPECT_TRUE(capture.Contains(dir.File("nothing.Json")));
}

TEST(JsonFileStore, FailedWriteIsReportedAndKeepsOldFile) {
    TempDir dir;
    Json::Value doc(Json::objectValue);
    doc["profilename"] = "old";
    ASSERT_TRUE(JsonFileStore().WriteJsonFile(dir.File("p.Json"), doc));
    const std::string before = ReadAll(dir.File("p.Json"));
    doc["profilename"] = std::string(4096, 'x');
    {
        FileSizeLimit limit(64);
        EXPECT_FALSE(JsonFileStore().WriteJsonFile(dir.File("p.Json"), doc));
    }
    EXPECT_EQ(ReadAll(dir.File("p.Json")), before);

    if (::geteuid() != 0) {
        ::chmod(dir.Path().c_str(), 0500);
        EXPECT_FALSE(JsonFileStore().WriteJsonFile(dir.File("p.Json"), doc));
        ::chmod(dir.Path().c_str(), 0700);
        EXPECT_EQ(ReadAll(dir.File("p.Json")), before);
    }
}

TEST(JsonFileStore, BrokenFileIsKeptAsBackupBeforeFallback) {
    TempDir dir;
    WriteAll(dir.File("p.Json"), "{broken");
    Json::Value out;
    JsonStatus status = JsonStatus::Ok;
    EXPECT_TRUE(profile::ParseOrKeepBackup(dir.File("p.Json"), out, status));
    EXPECT_EQ(status, JsonStatus::Invalid);
    EXPECT_EQ(ReadAll(dir.File("p.Json.bak")), "{broken");
    EXPECT_TRUE(profile::ParseOrKeepBackup(dir.File("none.Json"), out, status));
    EXPECT_EQ(status, JsonStatus::Missing);
    EXPECT_FALSE(platform::FileExists(dir.File("none.Json.bak")));
}

TEST(JsonAccess, WrongTypesReadAsMissingAndNothingThrows) {
    namespace json = profile::json;
    Json::Value doc;
    ASSERT_TRUE(profile::ParseJsonText(
        R"({"i": 7, "s": "7", "b": true, "r": 2.0, "h": 2.5, "big": 18446744073709551615,
            "huge": 1e300, "arr": [1], "obj": {"k": 1}})",
        doc));
    EXPECT_EQ(json::Int(json::Member(doc, "i")), 7);
    EXPECT_EQ(json::Int(json::Member(doc, "s")), std::nullopt);
    EXPECT_EQ(json::Int(json::Member(doc, "b")), 1);
    EXPECT_EQ(json::Int(json::Member(doc, "r")), 2);
    EXPECT_EQ(json::Int(json::Member(doc, "h")), std::nullopt);
    EXPECT_EQ(json::Int(json::Member(doc, "huge")), std::nullopt);
    EXPECT_EQ(json::Byte(json::Member(doc, "big")), 0xFF);
    EXPECT_EQ(json::String(json::Member(doc, "i")), std::nullopt);
    EXPECT_EQ(json::Bool(json::Member(doc, "i")), true);
    EXPECT_EQ(json::Bool(json::Member(doc, "s")), std::nullopt);
    // Member of a non-object and items of a non-array are null.
    EXPECT_TRUE(json::Member(json::Member(doc, "arr"), "k").isNull());
    EXPECT_TRUE(json::Item(json::Member(doc, "obj"), 0).isNull());
    EXPECT_TRUE(json::Item(json::Member(doc, "arr"), -1).isNull());
    EXPECT_EQ(json::Size(json::Member(doc, "obj")), 0);
    // Writable access replaces a value of the wrong type instead of throwing.
    json::MemberRef(doc["arr"], "k") = 1;
    json::ItemRef(doc["obj"], 2) = 3;
    EXPECT_EQ(doc["arr"]["k"].asInt(), 1);
    EXPECT_EQ(doc["obj"].size(), 3u);
}
