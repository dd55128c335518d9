// Start-up pieces in-process: command line, bus name, private fonts.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFontDatabase>

#include "app/command_line.h"
#include "app/private_fonts.h"
#include "app/single_instance.h"
#include "support/temp_dir.h"
#include "ui/framework/application.h"

namespace {

// One application per process, whichever suite asks first.
void EnsureApplication() {
    if (QCoreApplication::instance() != nullptr)
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    new ui::Application(argc, argv);
}

app::CommandLine Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "qx70-config");
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return app::ParseCommandLine(static_cast<int>(args.size()), argv.data());
}

TEST(CommandLine, KnowsItsThreeOptionsAndLeavesQtItsOwn) {
    EXPECT_TRUE(Parse({"--simulate"}).simulate);
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({"--version"}).version);
    const app::CommandLine line = Parse({"-platform", "offscreen", "--bogus", "--simulate"});
    EXPECT_TRUE(line.simulate);
    ASSERT_EQ(line.unknown.size(), 1u);
    EXPECT_EQ(line.unknown[0], "--bogus");
    EXPECT_FALSE(Parse({}).simulate);
    EXPECT_NE(app::UsageText().find("--simulate"), std::string::npos);
    EXPECT_NE(app::VersionText().find("qx70-config"), std::string::npos);
}

TEST(SingleInstance, BusNameIsAValidNameDerivedFromTheTitle) {
    EXPECT_EQ(app::BusNameForTitle(QStringLiteral("Morvath QX70 MECHANICAL GAMING KEYBOARD")),
              QStringLiteral("io.qx70.Morvath_QX70_MECHANICAL_GAMING_KEYBOARD"));
    EXPECT_EQ(app::BusNameForTitle(QStringLiteral("7 x.y/é")), QStringLiteral("io.qx70._7_x_y__"));
}

TEST(PrivateFonts, MissingUnreadableAndBrokenFilesAreSkipped) {
    EnsureApplication();
    testing_support::TempDir dir;
    app::PrivateFonts fonts;
    EXPECT_EQ(fonts.LoadAll(dir.Path()), 0);  // no Font folder at all
    testing_support::WriteAll(dir.File("not_a_font.ttf"), "this is not a font");
    EXPECT_FALSE(fonts.Load(dir.File("not_a_font.ttf")));
    EXPECT_FALSE(fonts.Load(dir.Path()));  // a folder
    EXPECT_FALSE(fonts.Load(std::string(5000, 'a')));
    // The font the program ships loads.
    EXPECT_TRUE(
        fonts.Load(std::string(QX70_SOURCE_DIR) + "/resources/Font/NotoSansThai-Regular.ttf"));
    EXPECT_EQ(fonts.LoadedCount(), 1u);
    EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("Noto Sans Thai")));
    fonts.UnloadAll();
    EXPECT_EQ(fonts.LoadedCount(), 0u);
}

}  // namespace
