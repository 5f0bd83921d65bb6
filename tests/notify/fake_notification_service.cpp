// A notification service for the tests, on the session bus of dbus-run-session: it takes the name
// org.freedesktop.Notifications, writes every notice it is sent as a JSON line to RECORD, and when
// given ACTION (a label) chooses that action of each notice at once, as a user clicking it would. RECORD.ready
// appears once the name is taken.
//   fake_notification_service RECORD [ACTION]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    FakeNotifications(QString record, QString action) : m_record(std::move(record)), m_action(std::move(action)) {}

public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int timeout) {
        const uint id = ++m_last;
        QJsonObject notice{{"id", int(id)},
                           {"app", app},
                           {"replaces", int(replaces)},
                           {"icon", icon},
                           {"summary", summary},
                           {"body", body},
                           {"actions", QJsonArray::fromStringList(actions)},
                           {"desktop-entry", hints.value(QStringLiteral("desktop-entry")).toString()},
                           {"timeout", timeout}};
        QFile out(m_record);
        if (out.open(QIODevice::Append)) out.write(QJsonDocument(notice).toJson(QJsonDocument::Compact) + '\n');
        // Actions come as key, label, key, label...; the user chooses by label, the program hears the key.
        for (qsizetype i = 0; i + 1 < actions.size(); i += 2) {
            if (actions[i + 1] != m_action) continue;
            QTimer::singleShot(100, this, [this, id, key = actions[i]] { emit ActionInvoked(id, key); });
        }
        return id;
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
    void CloseNotification(uint id) { emit NotificationClosed(id, 3); }
    QString GetServerInformation(QString& vendor, QString& version, QString& protocolVersion) {
        vendor = QStringLiteral("tests");
        version = QStringLiteral("1");
        protocolVersion = QStringLiteral("1.2");
        return QStringLiteral("fake");
    }

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    QString m_record, m_action;
    uint m_last = 0;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) return 2;
    FakeNotifications service(args[1], args.value(2));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        return 1;
    }
    QFile ready(args[1] + QStringLiteral(".ready"));
    if (!ready.open(QIODevice::WriteOnly)) return 1;
    ready.close();
    return app.exec();
}

#include "fake_notification_service.moc"
