// Start-up pieces in-process: command line, bus name, private fonts.
#include <gtest/gtest.h>

#include "app/app_test_support.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <cstdlib>

#include "app/command_line.h"
#include "app/private_fonts.h"
#include "app/single_instance.h"
#include "support/temp_dir.h"
#include "ui/framework/application.h"
#include "ui/framework/registered_messages.h"
#include "ui/main_window/app_messages.h"

namespace {

using apptest::EnsureApplication;

app::CommandLine Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "qx70-config");
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return app::ParseCommandLine(static_cast<int>(args.size()), argv.data());
}

TEST(CommandLine, KnowsItsOptionsAndLeavesQtItsOwn) {
    EXPECT_TRUE(Parse({"--simulate"}).simulate);
    EXPECT_TRUE(Parse({"--minimized"}).minimized);
    EXPECT_FALSE(Parse({"--simulate"}).minimized);
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

TEST(SingleInstance, OtherProgramsMaySendOnlyTheirOwnMessages) {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr)
        GTEST_SKIP() << "needs a session bus (run under dbus-run-session)";
    EnsureApplication();
    ui::RegisterInstanceMessage();
    ui::RegisterGuidMessages();
    for (const char* game : ui::kGameMessageNames)
        ui::RegisterWindowMessage(game);
    const uint32_t hook = ui::RegisterWindowMessage("WM_HOOK_KEY_KBMACRO_MSG");
    ASSERT_NE(hook, 0u);

    const QString busName = QStringLiteral("io.qx70.AllowListTest");
    app::SingleInstance instance(busName);
    ASSERT_EQ(instance.Acquire(), app::SingleInstance::State::First);
    std::vector<uint32_t> received;
    instance.SetReceiver([&](uint32_t m, uintptr_t, intptr_t) { received.push_back(m); });

    // Another program: its own connection to the bus.
    QDBusConnection other =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other"));
    ASSERT_TRUE(other.isConnected());
    auto send = [&](const QString& name) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            busName, QString::fromLatin1(app::kInstanceObjectPath),
            QString::fromLatin1(app::kInstanceInterface), QStringLiteral("Message"));
        call << name << static_cast<qulonglong>(256) << static_cast<qlonglong>(4096);
        QDBusPendingCall pending = other.asyncCall(call, 5000);
        QElapsedTimer clock;
        clock.start();
        while (!pending.isFinished() && clock.elapsed() < 6000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return pending.reply();
    };

    for (const char* refused : {"WM_HOOK_KEY_KBMACRO_MSG", ui::kLightStateMessageName,
                                ui::kAudioLinkMessageName, "never registered", ""}) {
        const QDBusMessage answer = send(QString::fromUtf8(refused));
        EXPECT_EQ(answer.type(), QDBusMessage::ErrorMessage) << refused;
        EXPECT_EQ(answer.errorName(), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"))
            << refused;
    }
    EXPECT_TRUE(received.empty());

    const char* accepted[] = {"Morvath QX70 MECHANICAL GAMING KEYBOARD",
                              "Game_Start",
                              "game_death",
                              ui::kLightControlMessageName,
                              ui::kVoveDodaQueryMessageName,
                              ui::kSettingsRelayMessageName};
    for (const char* name : accepted)
        EXPECT_EQ(send(QString::fromUtf8(name)).type(), QDBusMessage::ReplyMessage) << name;
    ASSERT_EQ(received.size(), std::size(accepted));
    EXPECT_EQ(received[0], ui::RegisteredAppMessages().instance);
    EXPECT_EQ(received[2], ui::FindRegisteredMessage("Game_Death"));
    EXPECT_EQ(received[5], ui::RegisteredAppMessages().settingsRelay);
    instance.Release();
    QDBusConnection::disconnectFromBus(QStringLiteral("other"));
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
