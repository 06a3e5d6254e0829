#pragma once
// The connection a page probe drives, and the timer it uses to give up on a silent server.
// Implementations deliver their events to a SocketEvents on the same thread; after close()
// they deliver nothing more for the connection they closed.

#include <cstdint>
#include <string>
#include <string_view>

namespace boardcast {

class SocketEvents {
public:
    virtual ~SocketEvents() = default;
    virtual void onConnected() = 0;     // the connection stands (TLS: handshake done)
    virtual void onSendProgress() = 0;  // part of the request went out
    virtual void onSendComplete() = 0;  // all of it went out
    virtual void onDataArrival(std::string_view bytes) = 0;
    virtual void onClosedByServer() = 0;                // not sent for close() by the program
    virtual void onError(const std::string& text) = 0;  // host not found, refused, reset, TLS
    virtual void onTimeout() = 0;                       // the timer ran out
};

class Socket {
public:
    virtual ~Socket() = default;
    virtual void setEvents(SocketEvents* events) = 0;
    // tls: encrypt, verifying the server's certificate for host.
    virtual void connect(const std::string& host, std::uint16_t port, bool tls) = 0;
    virtual void send(std::string_view bytes) = 0;
    // Drops the connection, if any; no events follow for it.
    virtual void close() = 0;
    // (Re)starts the timer: onTimeout() after milliseconds unless restarted or stopped first.
    virtual void startIdleTimer(int milliseconds) = 0;
    virtual void stopIdleTimer() = 0;
};

}  // namespace boardcast
