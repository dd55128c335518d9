#include "app/single_instance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include "platform/debug_output.h"
#include "ui/framework/registered_messages.h"
#include "ui/main_window/app_messages.h"

namespace app {
namespace {

constexpr int kCallTimeoutMs = 2000;
constexpr size_t kMaxPending = 64;

}  // namespace

QString BusNameForTitle(const QString& title) {
    QString element;
    for (QChar c : title) {
        const bool ok = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                        (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                        (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_');
        element += ok ? c : QLatin1Char('_');
    }
    if (element.isEmpty() || element.front().isDigit())
        element.prepend(QLatin1Char('_'));
    return QStringLiteral("io.qx70.") + element.left(200);
}

SingleInstance::SingleInstance(QString busName)
    : busName_(std::move(busName)), bus_(QDBusConnection::sessionBus()) {}

SingleInstance::~SingleInstance() {
    Release();
}

SingleInstance::State SingleInstance::Acquire() {
    if (!bus_.isConnected()) {
        platform::DebugOutput("no session bus: running as the only instance");
        return State::Alone;
    }
    // The object is in place before the name is ours, so a copy that finds
    // the name taken can always reach it.
    objectRegistered_ = bus_.registerObject(QString::fromLatin1(kInstanceObjectPath), this,
                                            QDBusConnection::ExportScriptableSlots);
    QDBusConnectionInterface* bus = bus_.interface();
    if (bus == nullptr)
        return State::Alone;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus->registerService(busName_, QDBusConnectionInterface::DontQueueService,
                             QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        platform::DebugOutputF("session bus refused %s: running as the only instance",
                               qPrintable(busName_));
        return State::Alone;
    }
    if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        ownsName_ = true;
        return State::First;
    }
    return State::Second;
}

bool SingleInstance::SendToFirst(const QString& name, uintptr_t wParam, intptr_t lParam) {
    if (!bus_.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        busName_, QString::fromLatin1(kInstanceObjectPath), QString::fromLatin1(kInstanceInterface),
        QStringLiteral("Message"));
    call << name << static_cast<qulonglong>(wParam) << static_cast<qlonglong>(lParam);
    call.setAutoStartService(false);
    // The first copy only queues the message before it answers, so this
    // returns at once; the bound covers a first copy that hangs.
    const QDBusMessage answer = bus_.call(call, QDBus::Block, kCallTimeoutMs);
    return answer.type() == QDBusMessage::ReplyMessage;
}

void SingleInstance::SetReceiver(Receiver receiver) {
    receiver_ = std::move(receiver);
    if (!receiver_)
        return;
    std::vector<Pending> pending;
    pending.swap(pending_);
    for (const Pending& p : pending)
        receiver_(p.message, p.wParam, p.lParam);
}

void SingleInstance::Message(const QString& name, qulonglong wParam, qlonglong lParam) {
    const std::string text = name.toStdString();
    const uint32_t number =
        ui::AcceptedFromOtherPrograms(text) ? ui::FindRegisteredMessage(text) : 0;
    if (number == 0) {
        // Hook and internal messages carry in-process meaning; nothing from
        // outside may inject them.
        if (calledFromDBus())
            sendErrorReply(QDBusError::AccessDenied,
                           QStringLiteral("message not accepted: ") + name.left(100));
        return;
    }
    const auto w = static_cast<uintptr_t>(wParam);
    const auto l = static_cast<intptr_t>(lParam);
    if (receiver_) {
        receiver_(number, w, l);
    } else if (pending_.size() < kMaxPending) {
        pending_.push_back(Pending{number, w, l});
    }
}

void SingleInstance::Release() {
    if (ownsName_ && bus_.isConnected() && bus_.interface() != nullptr)
        bus_.interface()->unregisterService(busName_);
    ownsName_ = false;
    if (objectRegistered_)
        bus_.unregisterObject(QString::fromLatin1(kInstanceObjectPath));
    objectRegistered_ = false;
    receiver_ = nullptr;
}

}  // namespace app
