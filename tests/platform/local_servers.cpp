#include "local_servers.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

#include "platform/qt_strings.h"

namespace boardcast {

namespace {

const QString kNginx = QStringLiteral("/usr/sbin/nginx");
constexpr int kGapMs = 20;
constexpr qsizetype kServedBytes = 4321;

}  // namespace

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void runFor(int ms) {
    waitFor([] { return false; }, ms);
}

std::uint16_t freePort() {
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost, 0) ? server.serverPort() : 0;
}

std::int64_t residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

QByteArray body(qsizetype n) {
    return QByteArray(n, 'b');
}

// ---------------------------------------------------------------------------------------

QByteArray ScriptedServer::Exchange::path() const {
    const qsizetype start = request.indexOf(' ') + 1;
    return request.mid(start, request.indexOf(' ', start) - start);
}

ScriptedServer::ScriptedServer(Script script)
    : script_(std::move(script)), server_(new QTcpServer(this)) {
    QObject::connect(server_, &QTcpServer::newConnection, this, &ScriptedServer::accept);
    server_->listen(QHostAddress::LocalHost, 0);
}

std::uint16_t ScriptedServer::port() const {
    return server_->serverPort();
}

void ScriptedServer::accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        Exchange& e = *exchanges_.emplace_back(std::make_unique<Exchange>());
        e.socket = socket;
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this, &e] {
            e.request += e.socket->readAll();
            if (!e.answered && e.request.contains("\r\n\r\n")) {
                e.answered = true;
                script_(*this, e);
            }
        });
    }
}

void ScriptedServer::play(QTcpSocket* socket, const QList<QByteArray>& pieces, bool thenClose) {
    int delay = 0;
    for (const QByteArray& piece : pieces) {
        QTimer::singleShot(delay, socket, [socket, piece] { socket->write(piece); });
        delay += kGapMs;
    }
    if (thenClose) QTimer::singleShot(delay, socket, [socket] { socket->disconnectFromHost(); });
}

void ScriptedServer::stream(QTcpSocket* socket, qint64 total) {
    auto left = std::make_shared<qint64>(total);
    auto chunk = std::make_shared<QByteArray>(256 * 1024, 'x');
    auto pump = [socket, left, chunk] {
        while (*left > 0 && socket->bytesToWrite() < 4 * chunk->size()) {
            const qint64 n = std::min<qint64>(*left, chunk->size());
            socket->write(chunk->constData(), n);
            *left -= n;
        }
        if (*left == 0) {
            *left = -1;
            socket->disconnectFromHost();
        }
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, pump);
    pump();
}

void ScriptedServer::answerWithSize(ScriptedServer&, Exchange& e) {
    const qsizetype n = e.path().mid(3).toLongLong();
    play(e.socket, {"HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(n) + "\r\n\r\n",
                    body(n / 2), body(n - n / 2)});
}

// ---------------------------------------------------------------------------------------

bool LocalNginx::installed() {
    return QFile::exists(kNginx);
}

std::string LocalNginx::start() {
    if (!dir_.isValid()) return "no temporary folder";
    for (const char* sub : {"www", "tmp"}) QDir(dir_.path()).mkpath(QString::fromLatin1(sub));
    const QString both = QStringLiteral("subjectAltName=DNS:localhost,IP:127.0.0.1");
    for (const auto& [name, altNames] :
         {std::pair{QStringLiteral("trusted"), both}, std::pair{QStringLiteral("untrusted"), both},
          std::pair{QStringLiteral("othername"), QStringLiteral("subjectAltName=DNS:localhost")}}) {
        const std::string error = makeCertificate(name, altNames);
        if (!error.empty()) return error;
    }
    QFile file(servedFile());
    if (!file.open(QIODevice::WriteOnly) || file.write(body(kServedBytes)) != kServedBytes) {
        return "cannot write the served file";
    }
    file.close();

    httpPort = freePort();
    trustedPort = freePort();
    untrustedPort = freePort();
    otherNamePort = freePort();
    const std::string d = toStdString(dir_.path());
    auto tlsServer = [&](std::uint16_t port, const std::string& cert) {
        return "  server { listen 127.0.0.1:" + std::to_string(port) + " ssl; ssl_certificate " +
               d + "/" + cert + ".crt; ssl_certificate_key " + d + "/" + cert + ".key; }\n";
    };
    // Single process in the foreground, with every path nginx writes inside the folder.
    const std::string config =
        "daemon off;\nmaster_process off;\npid " + d + "/nginx.pid;\nerror_log " + d +
        "/error.log;\nevents { worker_connections 64; }\nhttp {\n" + "  access_log " + d +
        "/access.log;\n" + "  client_body_temp_path " + d + "/tmp/body;\n  proxy_temp_path " + d +
        "/tmp/proxy;\n" + "  fastcgi_temp_path " + d + "/tmp/fastcgi;\n  uwsgi_temp_path " + d +
        "/tmp/uwsgi;\n" + "  scgi_temp_path " + d + "/tmp/scgi;\n" +
        "  default_type application/octet-stream;\n  root " + d + "/www;\n" +
        // /moved: a page that moved on the same server; /secure: the page over https.
        "  server { listen 127.0.0.1:" + std::to_string(httpPort) +
        "; location = /moved { return 301 /file; } location = /secure { return 301 "
        "https://localhost:" +
        std::to_string(trustedPort) + "/file; } }\n" + tlsServer(trustedPort, "trusted") +
        tlsServer(untrustedPort, "untrusted") + tlsServer(otherNamePort, "othername") + "}\n";
    QFile conf(path(QStringLiteral("nginx.conf")));
    if (!conf.open(QIODevice::WriteOnly)) return "cannot write nginx.conf";
    conf.write(config.data(), static_cast<qint64>(config.size()));
    conf.close();

    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(kNginx,
                   {QStringLiteral("-p"), dir_.path(), QStringLiteral("-c"), conf.fileName(),
                    QStringLiteral("-e"), path(QStringLiteral("error.log"))});
    for (std::uint16_t port : {httpPort, trustedPort, untrustedPort, otherNamePort}) {
        if (!waitUntilListening(port)) {
            QFile log(path(QStringLiteral("error.log")));
            const QByteArray logText = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
            return "nginx did not start: " + process_.readAll().toStdString() +
                   logText.toStdString();
        }
    }
    return "";
}

LocalNginx::~LocalNginx() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

QString LocalNginx::certificate(const QString& name) const {
    return path(name + QStringLiteral(".crt"));
}

QString LocalNginx::servedFile() const {
    return path(QStringLiteral("www/file"));
}

std::string LocalNginx::makeCertificate(const QString& name, const QString& altNames) const {
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=localhost"), QStringLiteral("-addext"), altNames,
                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-keyout"),
                   path(name + QStringLiteral(".key")), QStringLiteral("-out"), certificate(name)});
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        return "openssl failed: " + openssl.readAll().toStdString();
    }
    return "";
}

bool LocalNginx::waitUntilListening(std::uint16_t port) {
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && process_.state() != QProcess::NotRunning) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(200)) return true;
        runFor(50);
    }
    return false;
}

}  // namespace boardcast
