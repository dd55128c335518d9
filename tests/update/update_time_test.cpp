#include "update/update_time.h"

#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "support/temp_dir.h"

namespace {

using namespace update;

TEST(UpdateTimeTest, DateFormHasNoLeadingZeros) {
    EXPECT_EQ(FormatCheckDate(2025, 3, 5), "2025-3-5");
    EXPECT_EQ(FormatCheckDate(2026, 12, 31), "2026-12-31");
    EXPECT_TRUE(TodayCheckDate().size() >= 8);
}

TEST(UpdateTimeTest, RoundTripAndTheFileLayout) {
    testing_support::TempDir dir;
    const std::string path = dir.File("updatetime.config");
    EXPECT_FALSE(ReadCheckDate(path));
    ASSERT_TRUE(WriteCheckDate(path, "2025-3-5"));
    EXPECT_EQ(ReadCheckDate(path), "2025-3-5");
    std::string text;
    ASSERT_EQ(platform::ReadRegularFile(path, text), platform::ReadResult::Ok);
    EXPECT_NE(text.find("\"updatelasttime\""), std::string::npos);
    EXPECT_NE(text.find("\"value\" : \"2025-3-5\""), std::string::npos) << text;
    ASSERT_TRUE(WriteCheckDate(path, "2026-12-9"));
    EXPECT_EQ(ReadCheckDate(path), "2026-12-9");
}

TEST(UpdateTimeTest, BadValuesReadAsNothingAndABrokenFileIsKept) {
    testing_support::TempDir dir;
    const std::string path = dir.File("updatetime.config");
    for (const char* text :
         {R"({"updatelasttime":{"value":5}})", R"({"updatelasttime":{"value":"2025-03-05"}})",
          R"({"updatelasttime":{"value":"2025-3-5<b>"}})", R"({"updatelasttime":"2025-3-5"})"}) {
        ASSERT_TRUE(platform::WriteFileAtomically(path, text));
        EXPECT_FALSE(ReadCheckDate(path)) << text;
    }
    ASSERT_TRUE(platform::WriteFileAtomically(path, "{broken"));
    EXPECT_FALSE(ReadCheckDate(path));
    ASSERT_TRUE(WriteCheckDate(path, "2025-3-5"));
    std::string kept;
    ASSERT_EQ(platform::ReadRegularFile(path + ".bak", kept), platform::ReadResult::Ok);
    EXPECT_EQ(kept, "{broken");
    EXPECT_EQ(ReadCheckDate(path), "2025-3-5");
    EXPECT_FALSE(WriteCheckDate("", "2025-3-5"));
}

}  // namespace
