#include "profile/colour_swatches.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/file_io.h"
#include "profile/json_file_store.h"
#include "support/temp_dir.h"

using profile::ParseSwatchColour;
using profile::SwatchColourText;
using profile::SwatchFile;
using profile::UserSwatch;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

namespace {

Json::Value Parse(const std::string& text) {
    Json::Value document;
    EXPECT_TRUE(profile::ParseJsonText(text, document)) << text;
    return document;
}

}  // namespace

TEST(SwatchColour, HexTextRules) {
    EXPECT_EQ(SwatchColourText(0xFFFF0000), "FFFF0000");
    EXPECT_EQ(SwatchColourText(0xFF123456), "FF123456");
    EXPECT_EQ(SwatchColourText(0x0000000A), "0000000A");
    EXPECT_EQ(ParseSwatchColour("FF123456"), 0xFF123456u);
    EXPECT_EQ(ParseSwatchColour("ff00aa"), 0x00FF00AAu);
    EXPECT_EQ(ParseSwatchColour("7"), 7u);
    for (const char* bad : {"", "FF1234567", "0x1234", "-1", " FF", "GG", "12 4"}) {
        EXPECT_FALSE(ParseSwatchColour(bad)) << bad;
    }
}

TEST(SwatchFileRead, WrongTypesAndRangesFallBack) {
    // Each of these would stop a reader that trusts the types.
    for (const char* text :
         {R"({"coloroptioninfo":"x"})", R"({"coloroptioninfo":{"palletDialogcoloroption":5,
           "palletDialogcollectcoloroption":{"a":1},"palletDialogcoloroption_selectitem":"3",
           "palletDialogcollectcoloroption_selectitem":[1]}})",
          R"({"coloroptioninfo":{"palletDialogcollectcoloroption":[7,"x",{"color":5},
           {"color":"FFZZ0000","UserData":"1"}]}})"}) {
        const SwatchFile file = profile::ReadSwatches(Parse(text));
        EXPECT_EQ(file.fixedIndex, profile::kDefaultFixedSwatch) << text;
        EXPECT_EQ(file.userIndex, profile::kDefaultUserSwatch) << text;
        for (int i = 0; i < profile::kSwatchCount; ++i) {
            EXPECT_FALSE(file.fixedColours[i]) << text;
            EXPECT_FALSE(file.user[i].present) << text;
        }
    }
    for (int index : {-1, 20, 1000}) {
        const SwatchFile file = profile::ReadSwatches(Parse(
            R"({"coloroptioninfo":{"palletDialogcoloroption_selectitem":)" + std::to_string(index) +
            R"(,"palletDialogcollectcoloroption_selectitem":)" + std::to_string(index) + "}}"));
        EXPECT_EQ(file.fixedIndex, 4);
        EXPECT_EQ(file.userIndex, 0);
    }
}

TEST(SwatchFileRead, UserSwatchesFilledOnlyWithStringOne) {
    const SwatchFile file = profile::ReadSwatches(Parse(R"({"coloroptioninfo":{
        "palletDialogcollectcoloroption":[{"color":"FF123456","UserData":"1"},
          {"color":"FF123456","UserData":"0"},{"color":"FF123456","UserData":1},
          {"color":"FF123456"},{"color":"FF123456","UserData":"1\u0000"}],
        "palletDialogcoloroption_selectitem":19,"palletDialogcollectcoloroption_selectitem":7}})"));
    EXPECT_EQ(file.fixedIndex, 19);
    EXPECT_EQ(file.userIndex, 7);
    EXPECT_EQ(file.user[0].ShownColour(), 0xFF123456u);
    for (int i = 1; i < 5; ++i) {
        EXPECT_TRUE(file.user[i].present);
        EXPECT_FALSE(file.user[i].Filled()) << i;
        EXPECT_EQ(file.user[i].ShownColour(), 0xFFFFFFFFu) << i;
    }
    EXPECT_EQ(file.user[2].userData, "");
    EXPECT_EQ(file.user[4].userData, "");
    EXPECT_FALSE(file.user[5].present);
}

TEST(SwatchFileSave, RoundTripKeepsOtherMembersAndRebuildsBrokenParts) {
    TempDir dir;
    const std::string path = dir.File(profile::kSwatchFileName);
    WriteAll(path,
             R"({"coloroptioninfo":{"palletDialogcoloroption":"broken","extra":1},"other":2})");

    std::array<std::optional<uint32_t>, profile::kSwatchCount> fixed{};
    fixed[0] = 0xFFFF0000;
    fixed[19] = 0xFF00FF00;
    ASSERT_TRUE(profile::SaveFixedSwatches(path, fixed, 3));
    std::array<UserSwatch, profile::kSwatchCount> user{};
    user[2] = {true, 0xFF123456, "1"};
    ASSERT_TRUE(profile::SaveUserSwatches(path, user, 2));

    Json::Value document;
    ASSERT_EQ(profile::JsonFileStore().ParseJsonFile(path, document), profile::JsonStatus::Ok);
    EXPECT_EQ(document["other"].asInt(), 2);
    EXPECT_EQ(document["coloroptioninfo"]["extra"].asInt(), 1);
    EXPECT_EQ(document["coloroptioninfo"]["palletDialogcollectcoloroption"][2]["color"].asString(),
              "FF123456");
    const SwatchFile file = profile::ReadSwatches(document);
    EXPECT_EQ(file.fixedIndex, 3);
    EXPECT_EQ(file.fixedColours[0], 0xFFFF0000u);
    EXPECT_EQ(file.fixedColours[19], 0xFF00FF00u);
    EXPECT_FALSE(file.fixedColours[1]);
    EXPECT_EQ(file.userIndex, 2);
    EXPECT_EQ(file.user[2].ShownColour(), 0xFF123456u);
    EXPECT_FALSE(file.user[0].present);
}

TEST(SwatchFileLoad, UserCopyElseDefaultWithBrokenCopyKept) {
    TempDir dir;
    const std::string user = dir.File("user.config");
    const std::string fallback = dir.File("default.config");
    WriteAll(fallback, R"({"coloroptioninfo":{"palletDialogcoloroption_selectitem":9}})");

    // No user copy: the default is used and written as the user's copy.
    EXPECT_EQ(profile::ReadSwatches(profile::LoadSwatchDocument(user, fallback)).fixedIndex, 9);
    EXPECT_EQ(profile::ReadSwatches(profile::JsonFileStore().ParseJsonFile(user)).fixedIndex, 9);

    // A valid user copy wins.
    WriteAll(user, R"({"coloroptioninfo":{"palletDialogcoloroption_selectitem":2}})");
    EXPECT_EQ(profile::ReadSwatches(profile::LoadSwatchDocument(user, fallback)).fixedIndex, 2);
    EXPECT_FALSE(platform::FileExists(user + ".bak"));

    // A broken one is kept before the default replaces it.
    WriteAll(user, "{\"coloroptioninfo\":");
    EXPECT_EQ(profile::ReadSwatches(profile::LoadSwatchDocument(user, fallback)).fixedIndex, 9);
    EXPECT_EQ(ReadAll(user + ".bak"), "{\"coloroptioninfo\":");

    // Neither: no document, nothing written.
    const std::string none = dir.File("none.config");
    EXPECT_TRUE(profile::LoadSwatchDocument(none, dir.File("nodefault")).isNull());
    EXPECT_FALSE(platform::FileExists(none));
}

TEST(SwatchFileLoad, BrokenCopyThatCannotBeKeptIsNeverReplaced) {
    TempDir dir;
    const std::string user = dir.File("user.config");
    const std::string fallback = dir.File("default.config");
    WriteAll(fallback, R"({"coloroptioninfo":{"palletDialogcoloroption_selectitem":9}})");
    WriteAll(user, "not json");
    ASSERT_EQ(::mkdir((user + ".bak").c_str(), 0700), 0);
    WriteAll(user + ".bak/x", "x");

    // The default serves this run only; saves are refused.
    EXPECT_EQ(profile::ReadSwatches(profile::LoadSwatchDocument(user, fallback)).fixedIndex, 9);
    std::array<UserSwatch, profile::kSwatchCount> swatches{};
    swatches[0] = {true, 0xFF000000, "1"};
    EXPECT_FALSE(profile::SaveUserSwatches(user, swatches, 0));
    EXPECT_EQ(ReadAll(user), "not json");
}

TEST(SwatchFileLoad, ShippedDefaultReadsWhole) {
    const std::string path =
        std::string(QX70_SOURCE_DIR) + "/resources/DefaultData/" + profile::kSwatchFileName;
    const SwatchFile file = profile::ReadSwatches(profile::JsonFileStore().ParseJsonFile(path));
    for (int i = 0; i < profile::kSwatchCount; ++i) {
        EXPECT_TRUE(file.user[i].present) << i;
    }
}
