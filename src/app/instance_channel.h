#pragma once
// The local socket by which a second start on a data folder reaches the desktop program
// that has it open: it asks for the main window to come to the front and for addresses to
// be opened. One line a request, in UTF-8: "raise", or "open ADDRESS".

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <string>
#include <vector>

#include "core/result.h"

namespace boardcast {

class InstanceChannel final : public QObject {
    Q_OBJECT

public:
    // What one connection may ask: longer lines end it, further addresses are ignored.
    static constexpr qint64 kMaxLineBytes = 16 * 1024;
    static constexpr int kMaxAddresses = 32;

    explicit InstanceChannel(const std::string& folder, QObject* parent = nullptr);
    // On a socket of this path (tests).
    InstanceChannel(const QString& socketPath, QObject* parent);

    // Listens for the folder, in the user's private runtime folder (see
    // privateSocketFolder) and for the user alone; a socket left by a crashed program is
    // replaced. A peer that runs as another user is cut off unheard.
    Status listen();

    // Connections refused because their peer was another user.
    int refused() const { return refused_; }

    // Hands the request to the program listening for folder: true when all of it was sent.
    // Blocks for a few seconds at most.
    static bool handOver(const std::string& folder, const std::vector<std::string>& addresses);
    // The same, to the socket at path; false also when the listener is another user.
    static bool handOverTo(const QString& path, const std::vector<std::string>& addresses);

    // Where the socket of the folder's program is; empty when there is no private folder
    // for it.
    static QString socketPath(const std::string& folder);

Q_SIGNALS:
    void raiseRequested();
    // address passed isOpenableAddress().
    void openRequested(const QString& address);

private:
    void serve(QLocalSocket* peer);

    QString path_;
    QLocalServer server_;
    int refused_ = 0;
};

}  // namespace boardcast
