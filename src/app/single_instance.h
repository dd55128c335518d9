// One copy per desktop session: the first copy owns a D-Bus name derived from
// the product title on the session bus; a later copy hands the instance
// message to it and quits. Without a session bus every copy runs alone.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

namespace app {

// "io.qx70." + the title with every character outside [A-Za-z0-9_] as '_'.
QString BusNameForTitle(const QString& title);

inline constexpr const char* kInstanceObjectPath = "/io/qx70/Instance";
inline constexpr const char* kInstanceInterface = "io.qx70.Instance";

class SingleInstance : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.qx70.Instance")
  public:
    enum class State { Alone, First, Second };
    // Receives a registered message another program sent (by its number here).
    using Receiver = std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

    explicit SingleInstance(QString busName);
    ~SingleInstance() override;

    // Alone: no session bus (or the bus refused us); First: the name is ours;
    // Second: another copy owns it.
    State Acquire();
    // Second copy: hands the registered message `name` to the first copy.
    bool SendToFirst(const QString& name, uintptr_t wParam, intptr_t lParam);
    // Messages that arrived before a receiver was set are delivered to it now.
    void SetReceiver(Receiver receiver);
    void Release();

  public slots:
    // Only the messages other programs may send are accepted (see
    // ui::AcceptedFromOtherPrograms); the rest, and names this program never
    // registered, are refused with a D-Bus error.
    Q_SCRIPTABLE void Message(const QString& name, qulonglong wParam, qlonglong lParam);

  private:
    struct Pending {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    QString busName_;
    QDBusConnection bus_;
    bool ownsName_ = false;
    bool objectRegistered_ = false;
    Receiver receiver_;
    std::vector<Pending> pending_;
};

}  // namespace app
