#include "SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace ondrel {

namespace {

constexpr int kConnectMs = 1000;
const QByteArray kRestore = QByteArrayLiteral("restore\n");

} // namespace

SingleInstance::SingleInstance(const QString& title, QObject* parent)
    : QObject(parent), m_key(keyFor(title)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::keyFor(const QString& title) {
    return QStringLiteral("ondrel.%1.%2").arg(getuid()).arg(title.toLower());
}

bool SingleInstance::anotherCopyRuns() {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_key, QIODevice::WriteOnly);
    if (!socket.waitForConnected(kConnectMs)) {
        return false;
    }
    socket.write(kRestore);
    socket.waitForBytesWritten(kConnectMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::claim() {
    if (m_server != nullptr) {
        return true;
    }
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!server->listen(m_key)) {
        const bool taken = server->serverError() == QAbstractSocket::AddressInUseError;
        delete server;
        // A channel that cannot be made for another reason must not keep the program from
        // starting; it then simply runs without the one-copy check.
        return !taken;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return true;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* peer = m_server->nextPendingConnection()) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
            if (peer->readAll().contains(kRestore.trimmed())) {
                Q_EMIT restoreRequested();
            }
        });
        if (peer->bytesAvailable() > 0 && peer->readAll().contains(kRestore.trimmed())) {
            Q_EMIT restoreRequested();
        }
    }
}

} // namespace ondrel
