#pragma once
// Servers on 127.0.0.1 for the probe's integration tests, and bounded waits on the event
// loop. Everything here runs on the test's thread; nothing waits without a time limit.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace boardcast {

// Runs the event loop until done() holds; false if it still does not after timeoutMs.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);

// Lets events run for ms, to show that nothing more arrives.
void runFor(int ms);

// A port on 127.0.0.1 that nothing listens on (bound for a moment, then released).
std::uint16_t freePort();

// The process's resident memory, from /proc/self/status.
std::int64_t residentKb();

QByteArray body(qsizetype n);

// A server that hands each connection's request, once its blank line is in, to a script.
// Connections stay open until the script closes them or the server goes.
class ScriptedServer final : public QObject {
public:
    struct Exchange {
        QTcpSocket* socket = nullptr;
        QByteArray request;
        bool answered = false;
        QByteArray path() const;  // the request line's target
    };
    using Script = std::function<void(ScriptedServer&, Exchange&)>;

    explicit ScriptedServer(Script script);
    std::uint16_t port() const;
    std::vector<std::unique_ptr<Exchange>>& exchanges() { return exchanges_; }

    // Writes the pieces 20 ms apart, so that they arrive apart, then closes unless told not to.
    static void play(QTcpSocket* socket, const QList<QByteArray>& pieces, bool thenClose = true);
    // Writes total body bytes, refilling only as the kernel takes them, then closes.
    static void stream(QTcpSocket* socket, qint64 total);
    // Answers "/n/N" with a Content-Length header and N body bytes in two pieces.
    static void answerWithSize(ScriptedServer&, Exchange& e);

private:
    void accept();

    Script script_;
    std::vector<std::unique_ptr<Exchange>> exchanges_;
    QTcpServer* server_;  // a child: its sockets go after the slots above are cut
};

// nginx serving one file from a temporary folder: over http on one port, and over https on
// three, with certificates "trusted" and "untrusted" (localhost and 127.0.0.1) and
// "othername" (localhost only). Over http, /moved answers 301 to /file and /secure 301 to
// the file over https on the trusted port. Which of them the process trusts is the caller's choice.
// The destructor kills it.
class LocalNginx {
public:
    static bool installed();
    // An empty text, or what went wrong.
    std::string start();
    ~LocalNginx();

    QString certificate(const QString& name) const;
    QString servedFile() const;

    std::uint16_t httpPort = 0, trustedPort = 0, untrustedPort = 0, otherNamePort = 0;

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    std::string makeCertificate(const QString& name, const QString& altNames) const;
    bool waitUntilListening(std::uint16_t port);

    QTemporaryDir dir_;
    QProcess process_;
};

}  // namespace boardcast
