#pragma once
// A forum on 127.0.0.1 for tests in the real browser engine: HTTP/1.1, one request per
// connection. It serves files under /lib/ from a folder (the editors' npm packages), pages
// under /forum/ from the fixture folder, and hands every other request (every post among
// them) to the test. Posted
// forms are decoded as a forum would decode them: url-encoded, multipart or JSON.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <functional>
#include <optional>

class QTcpServer;
class QTcpSocket;

namespace boardcast {

class ForumServer final : public QObject {
public:
    struct Request {
        QByteArray method, target, contentType, body;
        QByteArray path() const { return target.split('?').value(0); }
        // The submitted fields in the order they came, by name.
        QList<QPair<QString, QString>> fields() const;
        QString field(const QString& name) const;
    };
    struct Reply {
        QByteArray status = "200 OK";
        QByteArray contentType = "text/html; charset=utf-8";
        QByteArray body;
        QByteArray extraHeaders;  // whole lines, each ended by CR LF
    };
    using Handler = std::function<std::optional<Reply>(const Request&)>;

    ForumServer(QString libraryFolder, QString pagesFolder);

    // The request at the start of what a connection sent, once all of it has arrived.
    static std::optional<Request> readRequest(const QByteArray& received);

    QString url(const QString& path) const;
    void setHandler(Handler handler) { handler_ = std::move(handler); }
    const QList<Request>& requests() const { return requests_; }
    QList<Request> posts() const;

    static Reply html(const QByteArray& body) {
        return {"200 OK", "text/html; charset=utf-8", body, {}};
    }
    static Reply redirect(const QByteArray& location) {
        return {"303 See Other", "text/html", {}, "Location: " + location + "\r\n"};
    }

private:
    void accept();
    void answer(QTcpSocket* socket, const Request& request);
    std::optional<Reply> serveFile(const QString& folder, const QByteArray& relative) const;

    QString libraryFolder_, pagesFolder_;
    Handler handler_;
    QList<Request> requests_;
    QTcpServer* server_;  // a child, with the connections it accepted
};

}  // namespace boardcast
