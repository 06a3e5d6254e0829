#include "forum_server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>
#include <memory>

namespace boardcast {

namespace {

QByteArray mimeType(const QString& file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == u"js" || suffix == u"mjs") return "text/javascript; charset=utf-8";
    if (suffix == u"css") return "text/css; charset=utf-8";
    if (suffix == u"html") return "text/html; charset=utf-8";
    if (suffix == u"svg") return "image/svg+xml";
    if (suffix == u"png") return "image/png";
    if (suffix == u"gif") return "image/gif";
    if (suffix == u"json") return "application/json";
    if (suffix == u"woff") return "font/woff";
    if (suffix == u"woff2") return "font/woff2";
    return "application/octet-stream";
}

QList<QPair<QString, QString>> urlEncodedFields(QByteArray body) {
    body.replace('+', ' ');
    QList<QPair<QString, QString>> fields;
    for (const QByteArray& pair : body.split('&')) {
        if (pair.isEmpty()) continue;
        const qsizetype eq = pair.indexOf('=');
        fields.append({QUrl::fromPercentEncoding(pair.left(eq)),
                       eq < 0 ? QString() : QUrl::fromPercentEncoding(pair.mid(eq + 1))});
    }
    return fields;
}

// Parts of a multipart/form-data body; file parts keep their bytes as text.
QList<QPair<QString, QString>> multipartFields(const QByteArray& body, const QByteArray& type) {
    QList<QPair<QString, QString>> fields;
    const qsizetype at = type.indexOf("boundary=");
    if (at < 0) return fields;
    const QByteArray boundary = "--" + type.mid(at + 9).split(';').value(0).trimmed();
    qsizetype pos = body.indexOf(boundary);
    while (pos >= 0) {
        pos += boundary.size();
        if (body.mid(pos, 2) == "--") break;
        const qsizetype headEnd = body.indexOf("\r\n\r\n", pos);
        const qsizetype next = body.indexOf(boundary, pos);
        if (headEnd < 0 || next < 0) break;
        const QByteArray head = body.mid(pos, headEnd - pos);
        const qsizetype nameAt = head.indexOf("name=\"");
        const QByteArray name = head.mid(nameAt + 6, head.indexOf('"', nameAt + 6) - nameAt - 6);
        // The part's content ends with the CR LF before the next boundary.
        fields.append({QString::fromUtf8(name),
                       QString::fromUtf8(body.mid(headEnd + 4, next - headEnd - 4 - 2))});
        pos = next;
    }
    return fields;
}

}  // namespace

QList<QPair<QString, QString>> ForumServer::Request::fields() const {
    if (contentType.startsWith("multipart/form-data")) return multipartFields(body, contentType);
    if (contentType.startsWith("application/json")) {
        QList<QPair<QString, QString>> fields;
        const QJsonObject object = QJsonDocument::fromJson(body).object();
        for (auto it = object.begin(); it != object.end(); ++it) {
            fields.append({it.key(), it.value().toVariant().toString()});
        }
        return fields;
    }
    return urlEncodedFields(body);
}

QString ForumServer::Request::field(const QString& name) const {
    for (const auto& [key, value] : fields()) {
        if (key == name) return value;
    }
    return {};
}

ForumServer::ForumServer(QString libraryFolder, QString pagesFolder)
    : libraryFolder_(std::move(libraryFolder)),
      pagesFolder_(std::move(pagesFolder)),
      server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &ForumServer::accept);
    server_->listen(QHostAddress::LocalHost, 0);
}

QString ForumServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_->serverPort()).arg(path);
}

QList<ForumServer::Request> ForumServer::posts() const {
    QList<Request> posted;
    for (const Request& r : requests_) {
        if (r.method == "POST") posted.append(r);
    }
    return posted;
}

std::optional<ForumServer::Request> ForumServer::readRequest(const QByteArray& received) {
    const qsizetype headerEnd = received.indexOf("\r\n\r\n");
    if (headerEnd < 0) return std::nullopt;
    Request request;
    qsizetype length = 0;
    const QList<QByteArray> lines = received.left(headerEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") length = value.toLongLong();
        if (name == "content-type") request.contentType = value;
    }
    if (received.size() < headerEnd + 4 + length) return std::nullopt;
    request.body = received.mid(headerEnd + 4, length);
    return request;
}

void ForumServer::accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        auto answered = std::make_shared<bool>(false);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer, answered] {
            buffer->append(socket->readAll());
            if (*answered) return;
            const std::optional<Request> request = readRequest(*buffer);
            if (!request) return;
            *answered = true;
            requests_.append(*request);
            answer(socket, *request);
        });
    }
}

void ForumServer::answer(QTcpSocket* socket, const Request& request) {
    std::optional<Reply> reply;
    const QByteArray path = request.path();
    const bool get = request.method == "GET";
    if (get && path.startsWith("/lib/")) {
        reply = serveFile(libraryFolder_, path.mid(5));
    } else if (get && path.startsWith("/forum/")) {
        reply = serveFile(pagesFolder_, path.mid(7));
    } else if (handler_) {
        reply = handler_(request);
    }
    if (!reply)
        reply = Reply{"404 Not Found", "text/html", "<html><body>Not found</body></html>", {}};
    socket->write("HTTP/1.1 " + reply->status + "\r\nContent-Type: " + reply->contentType +
                  "\r\nContent-Length: " + QByteArray::number(reply->body.size()) +
                  "\r\nCache-Control: no-store\r\nConnection: close\r\n" + reply->extraHeaders +
                  "\r\n" + reply->body);
    socket->disconnectFromHost();
}

std::optional<ForumServer::Reply> ForumServer::serveFile(const QString& folder,
                                                         const QByteArray& relative) const {
    const QString name = QUrl::fromPercentEncoding(relative);
    if (name.contains(u"..")) return std::nullopt;
    QFile file(QDir(folder).filePath(name));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return Reply{"200 OK", mimeType(name), file.readAll(), {}};
}

}  // namespace boardcast
