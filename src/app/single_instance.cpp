#include "app/single_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include "core/data_folder.h"

namespace tarvelo::app {
namespace {

constexpr int kAnswerWaitMs = 1000;
const QByteArray kRaise = "raise\n";

}  // namespace

QString instanceName(const std::string& folder) {
    const QByteArray key = QByteArray::number(::getuid()) + '\0' + QByteArray::fromStdString(canonicalFolder(folder));
    return QStringLiteral("tarvelo96-") +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32));
}

SingleInstance::SingleInstance(const std::string& folder, QObject* parent) : QObject(parent), m_name(instanceName(folder)) {}

bool SingleInstance::handedToAnother() {
    QLocalSocket other;
    other.connectToServer(m_name);
    if (other.waitForConnected(kAnswerWaitMs)) {
        other.write(kRaise);
        other.waitForBytesWritten(kAnswerWaitMs);
        other.disconnectFromServer();
        return true;
    }
    // Nobody answers: whatever socket file is there was left by a program that did not end cleanly.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
    m_server->listen(m_name);  // a failure leaves the program running alone, as before
    return false;
}

void SingleInstance::answer() {
    while (QLocalSocket* later = m_server->nextPendingConnection()) {
        connect(later, &QLocalSocket::disconnected, later, &QObject::deleteLater);
        connect(later, &QLocalSocket::readyRead, this, [this, later] {
            if (later->readAll().contains(kRaise.trimmed()) && m_raise) m_raise();
        });
    }
}

}  // namespace tarvelo::app
