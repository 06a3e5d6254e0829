// "Keep Passwords in the Desktop Keyring" against a real Secret Service: gnome-keyring in a
// private D-Bus session (see CMakeLists.txt), and a session with no keyring at all.

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/storage/settings_keys.h"
#include "platform/desktop_keyring.h"
#include "platform/qt_strings.h"
#include "ui/main/main_window.h"
#include "ui/resources/resources.h"
#include "ui/widgets/message_box.h"

using namespace boardcast;

class KeyringTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> start() {
        auto form =
            std::make_unique<MainWindow>(toStdString(dir_.path()), settings_, "about:blank");
        form->show();
        return form;
    }
    QByteArray forumsFile() const {
        QFile file(dir_.filePath(QStringLiteral("posts2.txt")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    static QAction* option(MainWindow& form) {
        return form.findChild<QAction*>(QStringLiteral("mnuTools_15"));
    }

    QTemporaryDir dir_;
    MemorySettingsStore settings_;
    const QByteArray withPasswords_ = "http://f/1|ann|pw1\r\n\r\nhttp://f/2|bob|p|w2\r\n\r\n";

private Q_SLOTS:
    void initTestCase() {
        MessageBox::setRecording(true);
        initUiResources();
        QFile file(dir_.filePath(QStringLiteral("posts2.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(withPasswords_) > 0);
    }

    // On: the keyring holds each login's password and posts2.txt none, also across a
    // restart, and a password typed later goes to the keyring. Off: they come back.
    void passwordsMoveBothWays() {
        {
            auto form = start();
            QAction* keep = option(*form);
            QCOMPARE(keep->text(), QStringLiteral("Keep Passwords in the Desktop &Keyring"));
            QVERIFY(!keep->isChecked());
            keep->trigger();
            QVERIFY2(
                form->passwordsInKeyring(),
                qPrintable(MessageBox::recorded().isEmpty() ? QString()
                                                            : MessageBox::recorded().back().text));
            QCOMPARE(forumsFile(), QByteArray("http://f/1|ann|\r\n\r\nhttp://f/2|bob|\r\n\r\n"));
            DesktopKeyring keyring;
            QCOMPARE(keyring.read("http://f/2", "bob").value(), std::string("p|w2"));
            form->close();
        }
        {
            auto form = start();
            QVERIFY(option(*form)->isChecked());
            auto* forums = form->findChild<QListWidget*>(QStringLiteral("lstPosts2"));
            forums->setCurrentRow(0);
            auto* password = form->findChild<QLineEdit*>(QStringLiteral("txtPassword"));
            QCOMPARE(password->text(), QStringLiteral("pw1"));
            QTest::keyClicks(password, QStringLiteral("x"));
            QCOMPARE(DesktopKeyring().read("http://f/1", "ann").value(), std::string("pw1x"));
            QCOMPARE(forumsFile(), QByteArray("http://f/1|ann|\r\n\r\nhttp://f/2|bob|\r\n\r\n"));

            option(*form)->trigger();
            QVERIFY(!form->passwordsInKeyring());
            QCOMPARE(forumsFile(),
                     QByteArray("http://f/1|ann|pw1x\r\n\r\nhttp://f/2|bob|p|w2\r\n\r\n"));
            QCOMPARE(DesktopKeyring().read("http://f/1", "ann").error().code, ErrorCode::NotFound);
            form->close();
        }
        QCOMPARE(readSetting(settings_, keys::passwordsInKeyring), std::string("0"));
    }

    // With no keyring the option says why in a box and stays off; nothing moves.
    void withoutAKeyringTheOptionStaysOff() {
        auto form = start();
        MessageBox::clearRecorded();
        option(*form)->trigger();
        QVERIFY(!form->passwordsInKeyring());
        QVERIFY(!option(*form)->isChecked());
        QCOMPARE(MessageBox::recorded().size(), 1);
        QVERIFY(MessageBox::recorded()[0].text.startsWith(
            QStringLiteral("The passwords stay in posts2.txt.")));
        QCOMPARE(forumsFile(), withPasswords_);
        QCOMPARE(readSetting(settings_, keys::passwordsInKeyring), std::string("0"));
    }
};

QTEST_MAIN(KeyringTest)
#include "keyring_test.moc"
