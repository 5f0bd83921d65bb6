#pragma once
// The desktop's notices through the freedesktop notification service on the session bus
// (org.freedesktop.Notifications), for both programs: Qt D-Bus needs an event loop but no widgets. An
// action the user chooses comes back as the service's ActionInvoked signal, handled on this thread by
// the event loop, perhaps long after notify() returned.
#include <QObject>
#include <QString>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace tarvelo::platform {

// The desktop entry the notices name: their icon, and the program the desktop groups them under.
inline constexpr const char* kDesktopEntryName = "io.github.tarvelo96";

class DBusNotifications : public QObject, public NotificationPort {
    Q_OBJECT
public:
    // appName: what the desktop shows as the sender ("Tarvelo '96").
    explicit DBusNotifications(const QString& appName, QObject* parent = nullptr);

    // False when there is no session bus or nobody on it shows notices (nor can be started to).
    bool notify(const Notification& notification) override;

private slots:
    void onActionInvoked(uint id, const QString& actionKey);
    void onClosed(uint id, uint reason);

private:
    // Connects to the session bus on first use; whether it could.
    bool connected();

    QString m_appName;
    std::optional<bool> m_connected;  // nothing until the first notice
    // The actions of the notices still on the desktop, by the service's id of each.
    std::map<uint, std::vector<NotificationAction>> m_pending;
};

}  // namespace tarvelo::platform
