#include "app/instance_channel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

#include "app/command_line.h"
#include "platform/qt_strings.h"

namespace boardcast {

namespace {

constexpr int kWaitMs = 2000;

}  // namespace

QString InstanceChannel::socketPath(const std::string& folder) {
    // The same folder by any spelling (a link, "..") gives the same socket.
    const QFileInfo info(toQString(folder));
    const QString canonical = info.canonicalFilePath();
    const QByteArray key = QCryptographicHash::hash(
        (canonical.isEmpty() ? info.absoluteFilePath() : canonical).toUtf8(),
        QCryptographicHash::Sha1);
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) runtime = QDir::tempPath();
    return runtime + QStringLiteral("/boardcast-") + QString::fromLatin1(key.toHex().left(16));
}

InstanceChannel::InstanceChannel(const std::string& folder, QObject* parent)
    : QObject(parent), path_(socketPath(folder)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_.nextPendingConnection()) serve(peer);
    });
}

Status InstanceChannel::listen() {
    QLocalServer::removeServer(path_);
    if (server_.listen(path_)) return {};
    return Error{ErrorCode::Io, "A second start could not reach this program (" +
                                    toStdString(server_.errorString()) + ")."};
}

void InstanceChannel::serve(QLocalSocket* peer) {
    connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
    auto opened = std::make_shared<int>(0);
    connect(peer, &QLocalSocket::readyRead, peer, [this, peer, opened] {
        while (peer->canReadLine()) {
            QByteArray line = peer->readLine(kMaxLineBytes + 1);
            if (!line.endsWith('\n')) {  // longer than a request may be
                peer->abort();
                return;
            }
            line.chop(1);
            if (line == "raise") {
                Q_EMIT raiseRequested();
            } else if (line.startsWith("open ") && *opened < kMaxAddresses) {
                const QString address = QString::fromUtf8(line.mid(5));
                if (!isOpenableAddress(address)) continue;
                ++*opened;
                Q_EMIT openRequested(address);
            }
        }
        if (peer->bytesAvailable() > kMaxLineBytes) peer->abort();  // a line that never ends
    });
}

bool InstanceChannel::handOver(const std::string& folder,
                               const std::vector<std::string>& addresses) {
    QLocalSocket socket;
    socket.connectToServer(socketPath(folder));
    if (!socket.waitForConnected(kWaitMs)) return false;
    QByteArray request = "raise\n";
    for (const std::string& address : addresses) {
        request += "open " + QString::fromLocal8Bit(address).toUtf8() + '\n';
    }
    socket.write(request);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kWaitMs)) return false;
    }
    socket.disconnectFromServer();
    return socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(kWaitMs);
}

}  // namespace boardcast
