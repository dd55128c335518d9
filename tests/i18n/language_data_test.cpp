// The shipped language data: the list names the language files that exist,
// and every language file gives a text for every text id the layouts and the
// code use.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "i18n/language_list.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = QX70_SOURCE_DIR;
const fs::path kSkin = kSource / "resources" / "skin";

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// id -> text of one language file.
std::map<std::string, std::string> Texts(const fs::path& path) {
    std::map<std::string, std::string> texts;
    static const std::regex entry(R"re(<Text id="([^"]+)">([^<]*)</Text>)re");
    const std::string content = Read(path);
    for (std::sregex_iterator it(content.begin(), content.end(), entry), end; it != end; ++it)
        texts[(*it)[1]] = (*it)[2];
    return texts;
}

void Collect(const std::string& content, const std::regex& pattern,
             std::map<std::string, std::string>& ids, const std::string& where) {
    for (std::sregex_iterator it(content.begin(), content.end(), pattern), end; it != end; ++it)
        ids.emplace((*it)[1], where);
}

// id -> the first file that uses it.
std::map<std::string, std::string> UsedIds() {
    std::map<std::string, std::string> ids;
    static const std::regex layoutId(
        R"re(name="(?:textId|toolTipId)" stdset="0">\s*<string[^>]*>([^<]+)</string>)re");
    for (const auto& e : fs::recursive_directory_iterator(kSkin)) {
        if (e.path().extension() == ".ui")
            Collect(Read(e.path()), layoutId, ids, e.path().string());
    }
    // The ways the code names a text id.
    static const std::regex codeId(
        R"re((?:\bTranslate\(|\.Text\(|SetTextId\([^,()]+,\s*)(?:QStringLiteral\(|QLatin1String\(|QString::fromLatin1\()?"([A-Za-z][A-Za-z0-9_]*)")re");
    // Message texts are passed around as plain strings.
    static const std::regex messageId(R"re("(message_text_[0-9_]+)")re");
    for (const auto& e : fs::recursive_directory_iterator(kSource / "src")) {
        const auto ext = e.path().extension();
        if (ext != ".cpp" && ext != ".h")
            continue;
        const std::string content = Read(e.path());
        Collect(content, codeId, ids, e.path().string());
        Collect(content, messageId, ids, e.path().string());
    }
    // Ids the code composes: the device-bar tool tips.
    for (const char* word : {"kb", "ms", "hard_mp", "soft_mp", "hd", "hub", "unknow"})
        ids.emplace(std::string(word) + "_device_name_text", "device_option_ui.cpp");
    const i18n::LanguageList list =
        i18n::LoadLanguageList((kSource / "resources/DefaultData/Language.config").string());
    for (const i18n::LanguageEntry& entry : list.entries)
        ids.emplace(entry.textId, "Language.config");
    return ids;
}

}  // namespace

TEST(LanguageData, ListNamesTheTwoLanguageFilesChineseFirst) {
    const i18n::LanguageList list =
        i18n::LoadLanguageList((kSource / "resources/DefaultData/Language.config").string());
    ASSERT_TRUE(list.loaded);
    ASSERT_EQ(list.entries.size(), 2u);
    ASSERT_NE(list.At(0), nullptr);
    ASSERT_NE(list.At(1), nullptr);
    // Index 0 carries the Chinese face, so the Chinese file must be there.
    EXPECT_EQ(list.At(0)->file, "lan_cn.xml");
    EXPECT_EQ(list.At(1)->file, "lan_en.xml");
    EXPECT_EQ(list.At(1)->id, i18n::kDefaultLanguageId);
    for (const i18n::LanguageEntry& e : list.entries)
        EXPECT_TRUE(fs::is_regular_file(kSkin / e.file)) << e.file;
}

TEST(LanguageData, EveryUsedIdHasATextInEveryLanguage) {
    const std::map<std::string, std::string> used = UsedIds();
    // The scan itself must find the ids it is meant to find.
    ASSERT_TRUE(used.count("main_btn_close"));
    ASSERT_TRUE(used.count("message_text_27"));
    ASSERT_TRUE(used.count("Key_Set"));
    ASSERT_TRUE(used.count("message_text_37"));
    ASSERT_TRUE(used.count("software_rev_text"));
    for (const char* file : {"lan_cn.xml", "lan_en.xml"}) {
        const std::map<std::string, std::string> texts = Texts(kSkin / file);
        ASSERT_FALSE(texts.empty()) << file;
        for (const auto& [id, where] : used)
            EXPECT_TRUE(texts.count(id)) << file << " lacks \"" << id << "\" used in " << where;
        for (const auto& [id, text] : texts)
            EXPECT_FALSE(text.empty()) << file << ": " << id;
    }
}

TEST(LanguageData, BothFilesHoldTheSameIds) {
    const std::map<std::string, std::string> cn = Texts(kSkin / "lan_cn.xml");
    const std::map<std::string, std::string> en = Texts(kSkin / "lan_en.xml");
    std::set<std::string> onlyCn, onlyEn;
    for (const auto& [id, t] : cn)
        if (!en.count(id))
            onlyCn.insert(id);
    for (const auto& [id, t] : en)
        if (!cn.count(id))
            onlyEn.insert(id);
    for (const std::string& id : onlyCn)
        ADD_FAILURE() << "only in lan_cn.xml: " << id;
    for (const std::string& id : onlyEn)
        ADD_FAILURE() << "only in lan_en.xml: " << id;
}
