#include "app/instance_channel.h"

#include <sys/socket.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

#include "app/command_line.h"
#include "core/storage/private_folder.h"
#include "platform/qt_strings.h"

namespace boardcast {

namespace {

constexpr int kWaitMs = 2000;

// Whether the other end of a connected local socket runs as this user.
bool peerIsThisUser(qintptr fd) {
    struct ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return isSameUser(peer.uid, ::geteuid());
}

}  // namespace

QString InstanceChannel::socketPath(const std::string& folder) {
    // The same folder by any spelling (a link, "..") gives the same socket.
    const QFileInfo info(toQString(folder));
    const QString canonical = info.canonicalFilePath();
    const QByteArray key = QCryptographicHash::hash(
        (canonical.isEmpty() ? info.absoluteFilePath() : canonical).toUtf8(),
        QCryptographicHash::Sha1);
    // Never a shared folder such as /tmp, where another user could be listening first.
    const Result<std::string> runtime = privateSocketFolder();
    if (!runtime) return {};
    return toQString(runtime.value()) + QStringLiteral("/boardcast-") +
           QString::fromLatin1(key.toHex().left(16));
}

InstanceChannel::InstanceChannel(const std::string& folder, QObject* parent)
    : InstanceChannel(socketPath(folder), parent) {}

InstanceChannel::InstanceChannel(const QString& socketPath, QObject* parent)
    : QObject(parent), path_(socketPath) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_.nextPendingConnection()) serve(peer);
    });
}

Status InstanceChannel::listen() {
    if (path_.isEmpty()) {
        const Result<std::string> runtime = privateSocketFolder();
        return Error{ErrorCode::Io, "A second start cannot reach this program: " +
                                        (runtime ? std::string() : runtime.error().text)};
    }
    QLocalServer::removeServer(path_);
    if (server_.listen(path_)) return {};
    return Error{ErrorCode::Io, "A second start could not reach this program (" +
                                    toStdString(server_.errorString()) + ")."};
}

void InstanceChannel::serve(QLocalSocket* peer) {
    connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
    if (!peerIsThisUser(peer->socketDescriptor())) {
        ++refused_;
        peer->abort();
        peer->deleteLater();
        return;
    }
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
    return handOverTo(socketPath(folder), addresses);
}

bool InstanceChannel::handOverTo(const QString& path, const std::vector<std::string>& addresses) {
    if (path.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kWaitMs)) return false;
    // The addresses go to this user's program only.
    if (!peerIsThisUser(socket.socketDescriptor())) return false;
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
