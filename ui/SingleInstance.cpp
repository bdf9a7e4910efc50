#include "ui/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

#include <unistd.h>

namespace zelvorin::ui {

namespace {

constexpr qint64 kMaxMessageBytes = 64 * 1024;  // a callback URL is a few hundred bytes

}  // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
}

QString SingleInstance::socketPathFor(const std::filesystem::path& applicationSupport) {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
    const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(applicationSupport.string()),
                                                     QCryptographicHash::Sha256)
                                .toHex()
                                .left(16);
    return folder + "/zelvorin-" + QString::number(::getuid()) + "-" + QString::fromLatin1(hash) + ".sock";
}

bool SingleInstance::listen() {
    // Asked first: with access options set, Qt binds in a private folder and renames the socket
    // into place, which would silently take the path from a running instance.
    QLocalSocket probe;
    probe.connectToServer(socketPath_);
    if (probe.waitForConnected(1000)) return false;  // somebody answers: that one is the instance
    QLocalServer::removeServer(socketPath_);         // a socket left by a crash
    return server_.listen(socketPath_);
}

bool SingleInstance::sendToRunning(const QString& message, int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(message.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    }
    return socket.readLine().trimmed() == "ok";
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() > kMaxMessageBytes) {
                socket->abort();
                return;
            }
            if (!socket->canReadLine()) return;
            const QString message = QString::fromUtf8(socket->readLine()).trimmed();
            socket->write("ok\n");
            socket->flush();
            emit messageReceived(message);
        });
    }
}

}  // namespace zelvorin::ui
