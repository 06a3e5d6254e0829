#include "platform/qt_probe_socket.h"

#include <QSslError>
#include <QSslSocket>
#include <QStringList>
#include <QTcpSocket>

#include "platform/qt_strings.h"

namespace boardcast {

namespace {

// Received bytes are handed on in pieces of this size, so nothing grows with the response.
constexpr qsizetype kReadChunk = 64 * 1024;

}  // namespace

QtProbeSocket::QtProbeSocket(QObject* parent) : QObject(parent), readBuffer_(kReadChunk, '\0') {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, this, &QtProbeSocket::handleTimeout);
}

QtProbeSocket::~QtProbeSocket() {
    dropConnection();
}

void QtProbeSocket::connect(const std::string& host, std::uint16_t port, bool tls) {
    dropConnection();
    tls_ = tls;
    connected_ = false;
    sendPending_ = false;
    finished_ = false;

    QAbstractSocket* socket = nullptr;
    if (tls) {
        auto* ssl = new QSslSocket(this);
        ssl->setPeerVerifyMode(QSslSocket::VerifyPeer);
        QObject::connect(ssl, &QSslSocket::encrypted, this, &QtProbeSocket::handleConnected);
        QObject::connect(ssl, &QSslSocket::encryptedBytesWritten, this,
                         &QtProbeSocket::handleBytesWritten);
        socket = ssl;
    } else {
        socket = new QTcpSocket(this);
        QObject::connect(socket, &QAbstractSocket::connected, this,
                         &QtProbeSocket::handleConnected);
        QObject::connect(socket, &QAbstractSocket::bytesWritten, this,
                         &QtProbeSocket::handleBytesWritten);
    }
    socket->setReadBufferSize(0);  // drained on every readyRead
    QObject::connect(socket, &QAbstractSocket::readyRead, this, &QtProbeSocket::handleReadyRead);
    QObject::connect(socket, &QAbstractSocket::disconnected, this,
                     &QtProbeSocket::handleDisconnected);
    QObject::connect(socket, &QAbstractSocket::errorOccurred, this, &QtProbeSocket::handleError);
    socket_ = socket;

    if (tls) {
        static_cast<QSslSocket*>(socket)->connectToHostEncrypted(toQString(host), port);
    } else {
        socket->connectToHost(toQString(host), port);
    }
}

void QtProbeSocket::send(std::string_view bytes) {
    if (!socket_ || finished_ || bytes.empty()) return;
    sendPending_ = true;
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void QtProbeSocket::close() {
    dropConnection();
}

void QtProbeSocket::startIdleTimer(int milliseconds) {
    timer_.start(milliseconds);
}

void QtProbeSocket::stopIdleTimer() {
    timer_.stop();
}

void QtProbeSocket::handleTimeout() {
    if (events_) events_->onTimeout();
}

void QtProbeSocket::dropConnection() {
    if (!socket_) return;
    QAbstractSocket* old = socket_;
    socket_ = nullptr;
    // Detached first: abort() emits disconnected, and the connection is no longer ours.
    old->disconnect(this);
    old->abort();
    // Possibly inside one of its own signals, so it must outlive the current call stack.
    old->deleteLater();
}

void QtProbeSocket::handleConnected() {
    if (finished_ || connected_ || !events_) return;
    connected_ = true;
    events_->onConnected();
}

void QtProbeSocket::handleBytesWritten() {
    // A TLS handshake also reports written bytes; only the request's progress is of interest.
    if (finished_ || !sendPending_ || !events_) return;
    QAbstractSocket* socket = socket_;
    events_->onSendProgress();
    if (socket_ != socket || finished_) return;
    qint64 left = socket->bytesToWrite();
    if (tls_) left += static_cast<QSslSocket*>(socket)->encryptedBytesToWrite();
    if (left == 0) {
        sendPending_ = false;
        events_->onSendComplete();
    }
}

void QtProbeSocket::handleReadyRead() {
    if (finished_ || !events_) return;
    drain();
}

bool QtProbeSocket::drain() {
    QAbstractSocket* socket = socket_;
    while (socket->bytesAvailable() > 0) {
        const qint64 n = socket->read(readBuffer_.data(), readBuffer_.size());
        if (n <= 0) break;
        events_->onDataArrival(
            std::string_view(readBuffer_.constData(), static_cast<std::size_t>(n)));
        if (socket_ != socket || finished_) return false;
    }
    return true;
}

void QtProbeSocket::handleDisconnected() {
    if (finished_ || !events_) return;
    if (connected_) {
        finishClosed();
    } else {
        finishFailed(errorText());
    }
}

void QtProbeSocket::handleError() {
    if (finished_ || !events_) return;
    // A close before the connection stood (a TLS handshake the server broke off) is a
    // failure, not an empty response.
    if (socket_->error() == QAbstractSocket::RemoteHostClosedError && connected_) {
        finishClosed();
        return;
    }
    finishFailed(errorText());
}

QString QtProbeSocket::errorText() const {
    QString text = socket_->errorString();
    if (tls_) {
        QStringList details;
        for (const QSslError& e : static_cast<QSslSocket*>(socket_)->sslHandshakeErrors()) {
            const QString detail = e.errorString();
            if (!text.contains(detail) && !details.contains(detail)) details << detail;
        }
        if (!details.isEmpty()) {
            text += QStringLiteral(" (") + details.join(QStringLiteral("; ")) + QLatin1Char(')');
        }
    }
    return text;
}

void QtProbeSocket::finishClosed() {
    // Bytes still buffered belong to the response and come before the close.
    if (!drain()) return;
    finished_ = true;
    events_->onClosedByServer();
}

void QtProbeSocket::finishFailed(const QString& text) {
    finished_ = true;
    events_->onError(toStdString(text));
}

}  // namespace boardcast
