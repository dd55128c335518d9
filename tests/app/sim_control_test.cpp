// The simulator's bus control: a fault armed for one command and the checks
// on what a caller asks for.
#include <gtest/gtest.h>

#include "app/app_test_support.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "app/sim_control.h"
#include "hid/report_channel.h"
#include "sim/simulated_devices.h"
#include "support/command_request.h"
#include "support/temp_dir.h"

namespace {

class NullSink : public sim::InputSink {
  public:
    void Deliver(const std::vector<uint8_t>&) override { ++answers; }
    int answers = 0;
};

TEST(SimulatorControl, UnplugAtCommandPullsTheUnitInThatTransfer) {
    apptest::EnsureApplication();
    testing_support::ScopedUserFolders folders;
    app::SimulatorControl control;
    sim::SimulatedDevices& devices = control.Devices();
    ASSERT_TRUE(devices.IsPlugged(sim::SimUnit::Keyboard));

    EXPECT_FALSE(control.UnplugAtCommand(QStringLiteral("toaster"), 0x09, 0));
    EXPECT_FALSE(control.UnplugAtCommand(QStringLiteral("keyboard"), 0x09, -1));
    EXPECT_FALSE(control.UnplugAtCommand(QStringLiteral("keyboard"), 0x09, 1001));
    EXPECT_EQ(devices.KeyboardInterface().Faults().Pending(), 0u) << "a refused call arms nothing";

    ASSERT_TRUE(control.UnplugAtCommand(QStringLiteral(" Keyboard "), 0x09, 0));
    NullSink sink;
    devices.KeyboardInterface().OnOutputReport(testing_support::CommandRequest(0x12), sink);
    EXPECT_EQ(sink.answers, 1);
    EXPECT_TRUE(devices.IsPlugged(sim::SimUnit::Keyboard)) << "another command passes";
    devices.KeyboardInterface().OnOutputReport(testing_support::CommandRequest(0x09), sink);
    EXPECT_EQ(sink.answers, 1);
    EXPECT_FALSE(devices.IsPlugged(sim::SimUnit::Keyboard));
    EXPECT_TRUE(control.Plug(QStringLiteral("keyboard")));
}

TEST(SimulatorControl, BusCallerLearnsWhyACallWasRefused) {
    apptest::EnsureApplication();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus";
    testing_support::ScopedUserFolders folders;
    app::SimulatorControl control;
    ASSERT_TRUE(control.Export());
    auto call = [&bus](const QString& unit, int skip) {
        QDBusMessage m = QDBusMessage::createMethodCall(
            bus.baseService(), QString::fromLatin1(app::kSimulatorObjectPath),
            QString::fromLatin1(app::kSimulatorInterface), QStringLiteral("UnplugAtCommand"));
        m << unit << QVariant::fromValue(uchar{0x09}) << skip;
        return bus.call(m);
    };
    const QDBusMessage refused = call(QStringLiteral("keyboard"), 5000);
    EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(refused.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    const QDBusMessage armed = call(QStringLiteral("keyboard"), 2);
    ASSERT_EQ(armed.type(), QDBusMessage::ReplyMessage) << armed.errorMessage().toStdString();
    EXPECT_TRUE(armed.arguments().value(0).toBool());
}

}  // namespace
