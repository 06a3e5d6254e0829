// A notification service for the tests: owns org.freedesktop.Notifications on the session
// bus and writes each Notify call it receives to a log file, one "key=value" line per
// argument (line breaks in values as "\n"), then "end". Usage:
//   fake_notifications LOG READY-FILE [--no-markup]
// READY-FILE is created once the name is owned.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QStringList>
#include <QVariantMap>
#include <cstdio>

namespace {

class Service : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    Service(QString logPath, bool markup) : logPath_(std::move(logPath)), markup_(markup) {}

public Q_SLOTS:
    QStringList GetCapabilities() {
        QStringList caps{QStringLiteral("body")};
        if (markup_) caps << QStringLiteral("body-markup");
        return caps;
    }

    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout) {
        QString record;
        auto add = [&record](const QString& key, QString value) {
            record += key + u'=' + value.replace(u'\n', QStringLiteral("\\n")) + u'\n';
        };
        add(QStringLiteral("app_name"), appName);
        add(QStringLiteral("replaces_id"), QString::number(replacesId));
        add(QStringLiteral("app_icon"), appIcon);
        add(QStringLiteral("summary"), summary);
        add(QStringLiteral("body"), body);
        add(QStringLiteral("actions"), actions.join(u','));
        for (auto it = hints.begin(); it != hints.end(); ++it) {
            add(QStringLiteral("hint ") + it.key(), it.value().toString());
        }
        add(QStringLiteral("expire_timeout"), QString::number(expireTimeout));
        record += QStringLiteral("end\n");
        QFile log(logPath_);
        if (log.open(QIODevice::Append)) log.write(record.toUtf8());
        return ++lastId_;
    }

    void GetServerInformation() {}

private:
    QString logPath_;
    bool markup_;
    uint lastId_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fputs("usage: fake_notifications LOG READY-FILE [--no-markup]\n", stderr);
        return 2;
    }
    Service service(args[1], !args.contains(QStringLiteral("--no-markup")));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fputs("fake_notifications: could not take the name on the session bus\n", stderr);
        return 1;
    }
    QFile ready(args[2]);
    if (!ready.open(QIODevice::WriteOnly)) return 1;
    ready.close();
    return app.exec();
}

#include "fake_notifications.moc"
