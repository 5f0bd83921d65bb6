#pragma once
// One window program per data folder: the first start on a folder listens on a local socket named for
// the folder (and the user); a later start on the same folder finds it, asks it to bring its frame to
// the front and ends. Programs on other folders have sockets of their own and run side by side.
#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QLocalServer;

namespace tarvelo::app {

// The socket's name: the same for every start on one folder by one user, whatever path leads there.
QString instanceName(const std::string& folder);

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const std::string& folder, QObject* parent = nullptr);

    // True when another program on the folder answered and was asked to raise its frame: this one ends.
    // Otherwise this program listens from now on (a socket left behind by a killed one is taken over).
    bool handedToAnother();
    // What a later start on the folder asks of this one.
    void setRaiseHandler(std::function<void()> raise) { m_raise = std::move(raise); }

private:
    void answer();

    QString m_name;
    QLocalServer* m_server = nullptr;
    std::function<void()> m_raise;
};

}  // namespace tarvelo::app
