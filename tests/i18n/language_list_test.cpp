// The language list, the stored choice and the per-language font rule.
#include <gtest/gtest.h>

#include "i18n/language_list.h"
#include "profile/json_file_store.h"
#include "support/temp_dir.h"

using i18n::LanguageList;

namespace {

LanguageList Parse(const std::string& text) {
    Json::Value doc;
    if (!profile::ParseJsonText(text, doc))
        return {};
    return i18n::ParseLanguageList(doc);
}

constexpr const char* kThree = R"({"Language":[
  {"Language_ID":2052,"Language_name":"Chinese","Language_file":"lan_cn.xml","Language_text":"Language_Chinese"},
  {"Language_ID":520,"Language_name":"English","Language_file":"lan_en.xml","Language_text":"Language_English"},
  {"Language_ID":520,"Language_name":"English2","Language_file":"lan_en2.xml","Language_text":"Language_English"}]})";

}  // namespace

TEST(LanguageList, PositionIsIndexAndTheFirstEntryWithAnIdWins) {
    const LanguageList list = Parse(kThree);
    ASSERT_TRUE(list.loaded);
    ASSERT_EQ(list.entries.size(), 3u);
    ASSERT_NE(list.At(1), nullptr);
    EXPECT_EQ(list.At(1)->name, "English");
    EXPECT_EQ(list.At(1)->file, "lan_en.xml");
    EXPECT_EQ(list.At(1)->textId, "Language_English");
    EXPECT_EQ(list.IndexOfId(520), 1);
    EXPECT_EQ(list.IndexOfId(2052), 0);
    EXPECT_FALSE(list.IndexOfId(7).has_value());
    EXPECT_EQ(list.At(3), nullptr);
    EXPECT_EQ(list.At(-1), nullptr);
}

TEST(LanguageList, StoredChoiceFallsBackTo520ThenToTheFirstEntry) {
    const LanguageList list = Parse(kThree);
    EXPECT_EQ(i18n::StoredLanguageIndex(list, 2052), 0);
    EXPECT_EQ(i18n::StoredLanguageIndex(list, std::nullopt), 1);
    EXPECT_EQ(i18n::StoredLanguageIndex(list, 9999), 0);
    const LanguageList no520 = Parse(R"({"Language":[
      {"Language_ID":2052,"Language_name":"a","Language_file":"a.xml","Language_text":"t"},
      {"Language_ID":1028,"Language_name":"b","Language_file":"b.xml","Language_text":"t"}]})");
    EXPECT_EQ(i18n::StoredLanguageIndex(no520, std::nullopt), 0);
    EXPECT_EQ(i18n::StoredLanguageIndex(LanguageList{}, 520), 0);
}

TEST(LanguageList, BadEntriesKeepTheirPositionButAreNeverApplied) {
    const LanguageList list = Parse(R"({"Language":[
      {"Language_ID":"520","Language_name":"a","Language_file":"a.xml","Language_text":"t"},
      {"Language_ID":520,"Language_name":"b","Language_file":"../../etc/passwd","Language_text":"t"},
      {"Language_ID":520,"Language_name":"","Language_file":"c.xml","Language_text":"t"},
      {"Language_ID":4294967816,"Language_name":"d","Language_file":"d.xml","Language_text":"t"},
      7,
      {"Language_ID":520,"Language_name":"e","Language_file":"e.xml","Language_text":"t"}]})");
    ASSERT_TRUE(list.loaded);
    ASSERT_EQ(list.entries.size(), 6u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list.At(i), nullptr) << i;
    // A bad entry with the id never shadows the good one behind it.
    EXPECT_EQ(list.IndexOfId(520), 5);
}

TEST(LanguageList, MissingOrBrokenFileIsNotLoaded) {
    testing_support::TempDir dir;
    EXPECT_FALSE(i18n::LoadLanguageList(dir.File("none.config")).loaded);
    testing_support::WriteAll(dir.File("bad.config"), "{\"Language\": [");
    EXPECT_FALSE(i18n::LoadLanguageList(dir.File("bad.config")).loaded);
    testing_support::WriteAll(dir.File("obj.config"), "{\"Language\": {}}");
    EXPECT_FALSE(i18n::LoadLanguageList(dir.File("obj.config")).loaded);
    testing_support::WriteAll(dir.File("ok.config"), kThree);
    EXPECT_EQ(i18n::LoadLanguageList(dir.File("ok.config")).entries.size(), 3u);
}

TEST(LanguageFonts, RebuildOnlyWhenTheFaceCanChange) {
    EXPECT_TRUE(i18n::NeedsFontRebuild(i18n::kNoLanguage, 1));
    EXPECT_TRUE(i18n::NeedsFontRebuild(i18n::kNoLanguage, 0));
    EXPECT_TRUE(i18n::NeedsFontRebuild(0, 3));
    EXPECT_FALSE(i18n::NeedsFontRebuild(3, 4));
    EXPECT_TRUE(i18n::NeedsFontRebuild(4, 2));
    EXPECT_TRUE(i18n::NeedsFontRebuild(15, 1));
    EXPECT_TRUE(i18n::NeedsFontRebuild(1, 0));
    EXPECT_FALSE(i18n::NeedsFontRebuild(1, 1));
}
