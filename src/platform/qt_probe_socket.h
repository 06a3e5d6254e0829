#pragma once
// The page probe's Socket on Qt Network: a QTcpSocket, or a QSslSocket for TLS, plus a
// single-shot QTimer. Events reach the SocketEvents on the thread that owns this object.
//
// At most one connection is live. connect() and close() detach the current QTcpSocket from
// this adapter before anything else, so a dropped connection never delivers another event;
// the events object may therefore call connect() or close() from inside any callback.
// A connection ends with exactly one onClosedByServer() or onError(), never both.

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include "net/socket.h"

class QAbstractSocket;

namespace boardcast {

class QtProbeSocket final : public QObject, public Socket {
    Q_OBJECT

public:
    explicit QtProbeSocket(QObject* parent = nullptr);
    ~QtProbeSocket() override;

    void setEvents(SocketEvents* events) override { events_ = events; }
    // TLS verifies the peer against the default CA set, for the name host.
    void connect(const std::string& host, std::uint16_t port, bool tls) override;
    void send(std::string_view bytes) override;
    void close() override;
    // The timer runs independently of the connection: close() leaves it running.
    void startIdleTimer(int milliseconds) override;
    void stopIdleTimer() override;

private:
    void dropConnection();
    void handleConnected();
    void handleBytesWritten();
    void handleReadyRead();
    void handleDisconnected();
    void handleError();
    void handleTimeout();
    // The socket's error text; for TLS with the certificate problems that caused it.
    QString errorText() const;
    // Reads everything buffered; false when a callback replaced or dropped the connection.
    bool drain();
    void finishClosed();
    void finishFailed(const QString& text);

    SocketEvents* events_ = nullptr;
    QAbstractSocket* socket_ = nullptr;
    bool tls_ = false;
    bool connected_ = false;    // onConnected() was delivered for socket_
    bool sendPending_ = false;  // a send() whose completion has not been reported yet
    bool finished_ = false;     // onClosedByServer() or onError() was delivered for socket_
    QByteArray readBuffer_;
    QTimer timer_;
};

}  // namespace boardcast
