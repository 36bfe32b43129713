#include "host/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace tolvane {

namespace {
constexpr int kConnectTimeoutMs = 500;
constexpr const char kRaiseRequest[] = "raise\n";
} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                socket->readAll();
                if (raise_) raise_();
            });
        }
    });
}

bool SingleInstance::NotifyRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(kInstanceName);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen() {
    if (server_->listen(kInstanceName)) return true;
    // Nobody answered before, so the socket file is a leftover.
    QLocalServer::removeServer(kInstanceName);
    return server_->listen(kInstanceName);
}

} // namespace tolvane
