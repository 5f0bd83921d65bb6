#include "platform/dbus/dbus_notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace tarvelo::platform {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// Long enough for the bus to start a service that is activated on demand; a service that is there
// answers at once.
constexpr int kCallTimeoutMs = 5000;
// Notices the desktop keeps for ever (and never reports closed) must not grow the list without end.
constexpr std::size_t kMaxPending = 256;

// Bodies may be read as a small subset of HTML by the service.
QString escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

}  // namespace

DBusNotifications::DBusNotifications(const QString& appName, QObject* parent) : QObject(parent), m_appName(appName) {}

bool DBusNotifications::connected() {
    // The bus is reached at the first notice, not before: a scheduler that has nothing to tell (most of
    // its life) holds no connection, nor the memory of one. The signals are listened to before the first
    // notice goes out, so no answer to it is missed.
    if (m_connected) return *m_connected;
    QDBusConnection bus = QDBusConnection::sessionBus();
    m_connected = bus.isConnected();
    if (!*m_connected) return false;
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this, SLOT(onClosed(uint, uint)));
    return true;
}

bool DBusNotifications::notify(const Notification& notification) {
    if (!connected()) return false;
    QStringList actions;
    for (std::size_t i = 0; i < notification.actions.size(); ++i) {
        actions << QString::number(i) << QString::fromStdString(notification.actions[i].label);
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(kDesktopEntryName));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(notification.urgent ? 2 : 1));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << m_appName << uint(0) << QString::fromLatin1(kDesktopEntryName) << QString::fromStdString(notification.summary)
         << escaped(notification.body) << actions << hints << int(-1);
    const QDBusReply<uint> reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    if (!reply.isValid()) return false;
    if (!notification.actions.empty()) {
        if (m_pending.size() >= kMaxPending) m_pending.erase(m_pending.begin());
        m_pending[reply.value()] = notification.actions;
    }
    return true;
}

void DBusNotifications::onActionInvoked(uint id, const QString& actionKey) {
    const auto it = m_pending.find(id);
    if (it == m_pending.end()) return;  // another program's notice, or one already answered
    bool ok = false;
    const auto index = actionKey.toUInt(&ok);
    if (!ok || index >= it->second.size()) return;
    const auto invoked = it->second[index].invoked;
    m_pending.erase(it);  // one choice per notice
    if (invoked) invoked();
}

void DBusNotifications::onClosed(uint id, uint) { m_pending.erase(id); }

}  // namespace tarvelo::platform
