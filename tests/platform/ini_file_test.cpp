#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/file_io.h"
#include "support/temp_dir.h"

using platform::SetIniString;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

TEST(IniText, SetsOneKeyAndKeepsEverythingElse) {
    struct Case {
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        {"", "SKINIMAGE", "FLAGS", "1", "[SKINIMAGE]\r\nFLAGS=1\r\n"},
        // An existing key is replaced in place, whatever its case and blanks.
        {"; note\r\n[other]\r\nA=1\r\n[skinimage]\r\n flags = 0\r\nIMAGE=x.png\r\n", "SKINIMAGE",
         "FLAGS", "1", "; note\r\n[other]\r\nA=1\r\n[skinimage]\r\nFLAGS=1\r\nIMAGE=x.png\r\n"},
        // A missing key goes after the section's last entry, before blank lines.
        {"[SKINIMAGE]\r\nFLAGS=0\r\n\r\n[other]\nB=2\n", "SKINIMAGE", "IMAGE", "a b.png",
         "[SKINIMAGE]\r\nFLAGS=0\r\nIMAGE=a b.png\r\n\r\n[other]\nB=2\n"},
        // A missing section is appended; a last line without line end gets one.
        {"[other]\nB=2", "SKINIMAGE", "IMAGE", "common/background.png",
         "[other]\nB=2\r\n[SKINIMAGE]\r\nIMAGE=common/background.png\r\n"},
        {"[SKINIMAGE]", "SKINIMAGE", "FLAGS", "0", "[SKINIMAGE]\r\nFLAGS=0\r\n"},
        // Only the first section of that name changes; the caller's spelling is written.
        {"[S]\nK=1\n[S]\nK=2\n", "s", "k", "3", "[S]\nk=3\n[S]\nK=2\n"},
        // No value removes the key, no key the section.
        {"[S]\nK=1\nL=2\n", "S", "K", nullptr, "[S]\nL=2\n"},
        {"[A]\nX=1\n[S]\nK=1\n[B]\nY=2\n", "S", nullptr, nullptr, "[A]\nX=1\n[B]\nY=2\n"},
        {"[A]\nX=1\n", "S", "K", nullptr, "[A]\nX=1\n"},
    };
    for (const Case& c : cases) {
        const auto key = c.key ? std::optional<std::string_view>(c.key) : std::nullopt;
        const auto value = c.value ? std::optional<std::string_view>(c.value) : std::nullopt;
        EXPECT_EQ(SetIniString(c.before, c.section, key, value), std::string(c.after)) << c.before;
    }
}

TEST(IniText, RefusesInputThatWouldInjectLines) {
    EXPECT_FALSE(SetIniString("", "SKINIMAGE", "IMAGE", "a.png\r\n[X]\r\nY=1"));
    EXPECT_FALSE(SetIniString("", "SKIN]IMAGE", "IMAGE", "a"));
    EXPECT_FALSE(SetIniString("", "", "IMAGE", "a"));
    EXPECT_FALSE(SetIniString("", "S", "A=B", "a"));
    EXPECT_FALSE(SetIniString("", "S", "", "a"));
    EXPECT_FALSE(SetIniString("", "S", "K", std::string_view("a\0b", 3)));
}

TEST(IniFile, CreatesAndUpdatesAtomically) {
    TempDir dir;
    const std::string path = dir.File("main.ini");
    ASSERT_TRUE(platform::WriteIniString(path, "SKINIMAGE", "FLAGS", "1"));
    ASSERT_TRUE(platform::WriteIniString(path, "SKINIMAGE", "IMAGE", "skin/a.png"));
    ASSERT_TRUE(platform::WriteIniString(path, "SKINIMAGE", "FLAGS", "0"));
    EXPECT_EQ(ReadAll(path), "[SKINIMAGE]\r\nFLAGS=0\r\nIMAGE=skin/a.png\r\n");

    // A file that cannot be read is never replaced.
    const std::string folder = dir.File("folder.ini");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    EXPECT_FALSE(platform::WriteIniString(folder, "SKINIMAGE", "FLAGS", "1"));
    platform::InjectReadErrorForTests(path);
    EXPECT_FALSE(platform::WriteIniString(path, "SKINIMAGE", "FLAGS", "1"));
    platform::InjectReadErrorForTests("");
    EXPECT_EQ(ReadAll(path), "[SKINIMAGE]\r\nFLAGS=0\r\nIMAGE=skin/a.png\r\n");
}
