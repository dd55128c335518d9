// The main window on D-Bus: the lighting-state broadcast, the VoveDoda
// report and logind's sleep signal.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <atomic>

#include "platform/debug_output.h"
#include "ui/framework/registered_messages.h"
#include "ui/main_window/app_messages.h"
#include "ui/main_window/bus_interfaces.h"
#include "ui/main_window/main_wnd.h"

namespace ui {
namespace {

std::atomic<bool> g_busUse{true};

}  // namespace

void SetWindowBusUse(bool use) {
    g_busUse.store(use);
}

void CMainWnd::BroadcastLightState(uintptr_t wParam, intptr_t lParam) {
    if (!g_busUse.load())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const uint32_t number = RegisteredAppMessages().lightState;
    if (!bus.isConnected() || number == 0)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kBroadcastPath),
                                                     QString::fromLatin1(kBroadcastInterface),
                                                     QStringLiteral("Message"));
    signal << QString::fromStdString(RegisteredMessageName(number))
           << static_cast<qulonglong>(wParam) << static_cast<qlonglong>(lParam);
    bus.send(signal);
}

void CMainWnd::SendVoveDodaReport() {
    if (!g_busUse.load())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr)
        return;
    const QString service = QString::fromLatin1(kVoveDodaService);
    if (!bus.interface()->isServiceRegistered(service).value())
        return;
    const std::array<int32_t, 256> report = BuildVoveDodaReport();
    QByteArray data;
    data.reserve(static_cast<int>(report.size() * 4));
    for (int32_t v : report) {
        const auto u = static_cast<uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8)
            data.append(static_cast<char>((u >> shift) & 0xFF));
    }
    QDBusMessage call = QDBusMessage::createMethodCall(service, QString::fromLatin1(kVoveDodaPath),
                                                       QString::fromLatin1(kVoveDodaInterface),
                                                       QStringLiteral("CopyData"));
    call << static_cast<qulonglong>(QCoreApplication::applicationPid())
         << static_cast<uint>(kVoveDodaDataKind) << data;
    call.setAutoStartService(false);
    // Fire and forget: a peer that does not answer must not hold the UI.
    bus.asyncCall(call);
}

void CMainWnd::ConnectSleepSignal() {
    if (!g_busUse.load())
        return;
    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected())
        return;
    system.connect(QStringLiteral("org.freedesktop.login1"),
                   QStringLiteral("/org/freedesktop/login1"),
                   QStringLiteral("org.freedesktop.login1.Manager"),
                   QStringLiteral("PrepareForSleep"), this, SLOT(OnPrepareForSleep(bool)));
}

}  // namespace ui
