#include "platform/desktop_notification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include "core/shell/product_identity.h"
#include "core/watching/reply_notice.h"

namespace boardcast {

namespace {

constexpr int kCallTimeoutMs = 5000;

QDBusMessage serviceCall(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                          QStringLiteral("/org/freedesktop/Notifications"),
                                          QStringLiteral("org.freedesktop.Notifications"), method);
}

QString fromStd(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const QString kShowAction = QStringLiteral("default");

// Hears the service's ActionInvoked signal for the last notification shown with an action.
class Clicks final : public QObject {
    Q_OBJECT
public:
    static Clicks& instance() {
        static Clicks clicks;
        return clicks;
    }
    void await(uint id, std::function<void()> clicked) {
        id_ = id;
        clicked_ = std::move(clicked);
        if (listening_) return;
        listening_ = QDBusConnection::sessionBus().connect(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"), this,
            SLOT(actionInvoked(uint, QString)));
    }

private Q_SLOTS:
    void actionInvoked(uint id, const QString& action) {
        if (id != id_ || action != kShowAction || !clicked_) return;
        const std::function<void()> clicked = std::move(clicked_);
        clicked_ = nullptr;
        clicked();
    }

private:
    uint id_ = 0;
    std::function<void()> clicked_;
    bool listening_ = false;
};

}  // namespace

Status notifyNewReplies(const std::vector<ThreadWithNews>& threads, std::function<void()> clicked) {
    if (threads.empty()) return {};
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return Error{ErrorCode::Network,
                     "there is no desktop session bus, so no notification was shown."};
    }
    // A service that reads the body as markup must get the addresses' "&" as entities; one
    // that does not would show the entities.
    const QDBusReply<QStringList> capabilities =
        bus.call(serviceCall(QStringLiteral("GetCapabilities")), QDBus::Block, kCallTimeoutMs);
    const bool markup =
        capabilities.isValid() && capabilities.value().contains(QStringLiteral("body-markup"));
    const ReplyNotice notice = replyNotice(threads, markup);

    const ProductIdentity& identity = productIdentity();
    QDBusMessage notify = serviceCall(QStringLiteral("Notify"));
    QVariantMap hints{{QStringLiteral("desktop-entry"), fromStd(identity.appId)},
                      {QStringLiteral("category"), QStringLiteral("network")}};
    // "default" is the action of a click on the notification itself.
    const QStringList actions =
        clicked ? QStringList{kShowAction, QStringLiteral("Show New Replies")} : QStringList();
    notify << fromStd(identity.productName) << uint(0) << fromStd(identity.appId)
           << QString::fromLocal8Bit(notice.summary) << QString::fromLocal8Bit(notice.body)
           << actions << hints << int(-1);
    const QDBusReply<uint> shown = bus.call(notify, QDBus::Block, kCallTimeoutMs);
    if (!shown.isValid()) {
        return Error{ErrorCode::Network, "the desktop did not show the notification: " +
                                             shown.error().message().toStdString()};
    }
    if (clicked) Clicks::instance().await(shown.value(), std::move(clicked));
    return {};
}

}  // namespace boardcast

#include "desktop_notification.moc"
