// The main window, offscreen, with a temporary data folder and fresh settings per test.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>
#include <fstream>
#include <iterator>
#include <memory>

#include "core/conversion/link_templates.h"
#include "core/conversion/message_output.h"
#include "core/storage/settings_keys.h"
#include "core/storage/text_file.h"
#include "platform/qt_strings.h"
#include "platform/watching_service.h"
#include "platform/webengine_browser.h"
#include "ui/main/browser_panel.h"
#include "ui/main/main_window.h"
#include "ui/widgets/message_box.h"
#include "ui/windows/check_options_dialog.h"

using namespace boardcast;

class Form1Test : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MemorySettingsStore> settings_;

    std::string folder() const { return toStdString(dir_->path()); }
    std::string readFile(const char* name) const {
        std::ifstream in(folder() + "/" + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void writeFile(const char* name, const std::string& bytes) const {
        std::ofstream(folder() + "/" + name, std::ios::binary) << bytes;
    }
    std::unique_ptr<MainWindow> start() {
        auto form = std::make_unique<MainWindow>(folder(), *settings_, "about:blank");
        form->show();
        return form;
    }
    static QAction* action(MainWindow& form, const char* name) {
        return form.findChild<QAction*>(QLatin1String(name));
    }
    template <class T>
    static T* child(MainWindow& form, const char* name) {
        T* widget = form.findChild<T*>(QLatin1String(name));
        if (!widget) qFatal("no control %s", name);
        return widget;
    }
    static QString panel(MainWindow& form, int n) {
        return child<QLabel>(form, QStringLiteral("StatusPanel%1").arg(n).toLatin1().constData())
            ->text();
    }
    // Loads a page into the window's browser and waits for it.
    static void loadPage(MainWindow& form, const QString& html, const QString& url) {
        QWebEngineView* view = form.browserPanel().webEngine().view();
        QSignalSpy loaded(view, &QWebEngineView::loadFinished);
        view->setHtml(html, QUrl(url));
        QVERIFY(loaded.wait(20000));
    }

private Q_SLOTS:
    void initTestCase() { MessageBox::setRecording(true); }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        settings_ = std::make_unique<MemorySettingsStore>();
        MessageBox::clearRecorded();
    }

    void firstRun() {
        auto form = start();
        for (const char* name :
             {"htmltemp.txt", "messages.txt", "posts.txt", "posts2.txt", "sizes.txt"}) {
            QCOMPARE(readFile(name), std::string("\r\n"));
        }
        QCOMPARE(form->windowTitle(), QStringLiteral("Boardcast by Quillfen"));
        QCOMPARE(child<QPushButton>(*form, "Command1")->text(),
                 QStringLiteral("Visit the Quillfen Affiliate Training Center"));
        auto* chooser = child<QComboBox>(*form, "cmbConvert");
        QStringList entries;
        for (int i = 0; i < chooser->count(); ++i) entries << chooser->itemText(i);
        QCOMPARE(entries, (QStringList{QStringLiteral("text"), QStringLiteral("html"),
                                       QStringLiteral("ubb"), QStringLiteral("ezboard")}));
        QCOMPARE(chooser->currentIndex(), 0);
        QCOMPARE(child<QLineEdit>(*form, "txtSubject")->text(),
                 QStringLiteral("Type Subject Here"));
        QCOMPARE(form->messageText(), std::string(kIntroductoryMessage));
        QCOMPARE(child<QTabBar>(*form, "TabStrip2Tabs")->currentIndex(), 0);
        QVERIFY(child<QGroupBox>(*form, "Frame4")->isVisible());
        QVERIFY(!child<QGroupBox>(*form, "Frame3")->isVisible());
        QVERIFY(!child<QLineEdit>(*form, "txtUsername")->isEnabled());
        QVERIFY(MessageBox::recorded().isEmpty());
    }

    void helpIsAskedForAtStartOnlyWhenShowHelpIsOne() {
        for (const char* value : {"1", "0", "yes"}) {
            settings_ = std::make_unique<MemorySettingsStore>();
            (void)writeSetting(*settings_, keys::showHelp, value);
            auto form = start();
            QSignalSpy help(form.get(), &MainWindow::helpRequested);
            QTest::qWait(20);
            QCOMPARE(help.count(), std::string(value) == "1" ? 1 : 0);
        }
    }

    void restoresMessageSubjectAndChoice() {
        {
            auto form = start();
            auto* subject = child<QLineEdit>(*form, "txtSubject");
            subject->clear();
            QTest::keyClicks(subject, QStringLiteral("Hello forum"));
            QCOMPARE(readSetting(*settings_, keys::lastSubject), std::string("Hello forum"));
            form->setMessageText("line one\r\nline two");
            child<QComboBox>(*form, "cmbConvert")->setCurrentIndex(2);
            form->close();
        }
        QCOMPARE(readSetting(*settings_, keys::lastMessage), std::string("line one\r\nline two"));
        auto again = start();
        QCOMPARE(child<QLineEdit>(*again, "txtSubject")->text(), QStringLiteral("Hello forum"));
        QCOMPARE(again->messageText(), std::string("line one\r\nline two"));
        QCOMPARE(child<QComboBox>(*again, "cmbConvert")->currentText(), QStringLiteral("ubb"));
    }

    void newMessageStoresAnEmptySubjectAtOnce() {
        auto form = start();
        form->setMessageText("Keep this");
        action(*form, "mnuFile_0")->trigger();
        QCOMPARE(readSetting(*settings_, keys::lastSubject), std::string());
        QCOMPARE(form->messageText(), std::string());
        // Undone with Ctrl+Z.
        QTest::keyClick(child<QPlainTextEdit>(*form, "txtMessage"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->messageText(), std::string("Keep this"));
    }

    // The window opens where it was closed.
    void placeKeptAcrossARestart() {
        QRect place;
        {
            auto form = start();
            form->setGeometry(QRect(40, 50, 900, 700));
            place = form->geometry();
            form->close();
        }
        auto again = start();
        QCOMPARE(again->geometry(), place);
    }

    void closeThenRestartKeepsListsInOrder() {
        writeFile("posts.txt", "http://a/1\r\n\r\nhttp://b/2\r\n\r\n");
        writeFile("sizes.txt", "100\r\n\r\n200\r\n\r\n");
        writeFile("posts2.txt", "http://f/1|ann|pw1\r\n\r\nhttp://f/2|bob|pw2\r\n\r\n");
        {
            auto form = start();
            auto* forums = child<QListWidget>(*form, "lstPosts2");
            QCOMPARE(forums->count(), 2);
            forums->setCurrentRow(1);
            QCOMPARE(child<QLineEdit>(*form, "txtUsername")->text(), QStringLiteral("bob"));
            QCOMPARE(child<QLineEdit>(*form, "txtPassword")->text(), QStringLiteral("pw2"));
            QCOMPARE(panel(*form, 2), QStringLiteral("http://f/2"));
            QTest::keyClicks(child<QLineEdit>(*form, "txtPassword"), QStringLiteral("x"));
            form->close();
        }
        QCOMPARE(readFile("posts.txt"), std::string("http://a/1\r\n\r\nhttp://b/2\r\n\r\n"));
        QCOMPARE(readFile("sizes.txt"), std::string("100\r\n\r\n200\r\n\r\n"));
        QCOMPARE(readFile("posts2.txt"),
                 std::string("http://f/1|ann|pw1\r\n\r\nhttp://f/2|bob|pw2x\r\n\r\n"));
        auto again = start();
        QCOMPARE(child<QListWidget>(*again, "lstPosts")->item(1)->text(),
                 QStringLiteral("http://b/2"));
    }

    void addAndRemoveForumsAndPosts() {
        auto form = start();
        loadPage(*form, QStringLiteral("<title>t</title><p>forum</p>"),
                 QStringLiteral("http://127.0.0.1/forum/"));
        child<QPushButton>(*form, "cmdAdd2")->click();
        auto* forums = child<QListWidget>(*form, "lstPosts2");
        QCOMPARE(forums->count(), 1);
        // Named after the page's title, renamed in place, and kept.
        QCOMPARE(forums->item(0)->text(), QStringLiteral("t"));
        QCOMPARE(forums->item(0)->toolTip(), QStringLiteral("http://127.0.0.1/forum/"));
        forums->item(0)->setText(QStringLiteral("My\tforum"));
        QCOMPARE(readFile("forum-names.txt"), std::string("http://127.0.0.1/forum/\tMy forum\r\n"));
        QCOMPARE(forums->item(0)->text(), QStringLiteral("My forum"));
        QCOMPARE(child<QLineEdit>(*form, "txtUsername")->text(), QStringLiteral("Enter Username"));
        QCOMPARE(form->lists().forums.at(0).login, std::string("Enter Username|"));
        child<QPushButton>(*form, "cmdAdd2")->click();  // already listed
        QCOMPARE(forums->count(), 1);
        child<QPushButton>(*form, "cmdDel2")->click();
        QCOMPARE(forums->count(), 0);

        child<QTabBar>(*form, "TabStrip2Tabs")->setCurrentIndex(1);
        QVERIFY(child<QGroupBox>(*form, "Frame3")->isVisible());
        child<QPushButton>(*form, "cmdAdd")->click();
        auto* posts = child<QListWidget>(*form, "lstPosts");
        QCOMPARE(posts->count(), 1);
        QCOMPARE(form->lists().posts.at(0).size, std::string("not measured"));
        posts->setCurrentRow(0);
        child<QPushButton>(*form, "cmdDel")->click();
        QCOMPARE(posts->count(), 0);
    }

    // The filter narrows a list as the user types; several posts go at once after one
    // question naming how many; the Delete key removes the selection too.
    void filterAndRemoveMany() {
        writeFile("posts.txt",
                  "http://a/1\r\n\r\nhttp://b/2\r\n\r\nhttp://a/3\r\n\r\nhttp://c/4\r\n\r\n");
        writeFile("sizes.txt", "1\r\n\r\n2\r\n\r\n3\r\n\r\n4\r\n\r\n");
        writeFile("post-details.txt", "http://b/2\tBlue widgets\r\nhttp://c/4\tRed gadgets\r\n");
        auto form = start();
        child<QTabBar>(*form, "TabStrip2Tabs")->setCurrentIndex(1);
        auto* posts = child<QListWidget>(*form, "lstPosts");
        auto visible = [posts] {
            QStringList shown;
            for (int i = 0; i < posts->count(); ++i) {
                if (!posts->item(i)->isHidden()) shown << posts->item(i)->text();
            }
            return shown;
        };
        QTest::keyClicks(child<QLineEdit>(*form, "postsFilter"), QStringLiteral("A/"));
        QCOMPARE(visible(),
                 (QStringList{QStringLiteral("http://a/1"), QStringLiteral("http://a/3")}));

        posts->selectAll();  // the hidden entries are not taken
        MessageBox::setNextAnswer(false);
        child<QPushButton>(*form, "cmdDel")->click();
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded()[0].text,
                 QStringLiteral("Remove the 2 selected watched posts?"));
        QCOMPARE(form->lists().posts.count(), 4);
        MessageBox::setNextAnswer(true);
        posts->selectAll();
        child<QPushButton>(*form, "cmdDel")->click();
        QCOMPARE(readFile("posts.txt"), std::string("http://b/2\r\n\r\nhttp://c/4\r\n\r\n"));
        QCOMPARE(readFile("sizes.txt"), std::string("2\r\n\r\n4\r\n\r\n"));
        QVERIFY(visible().isEmpty());

        // Titles are matched as well as addresses, by the filter and by type-ahead.
        auto* filter = child<QLineEdit>(*form, "postsFilter");
        filter->setText(QStringLiteral("GADG"));
        QCOMPARE(visible(), QStringList{QStringLiteral("Red gadgets")});
        filter->clear();
        QCOMPARE(visible(),
                 (QStringList{QStringLiteral("Blue widgets"), QStringLiteral("Red gadgets")}));
        QTest::keyClicks(posts, QStringLiteral("gad"));
        QCOMPARE(posts->currentRow(), 1);
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(posts, QStringLiteral("widg"));
        QCOMPARE(posts->currentRow(), 0);
        posts->clearSelection();
        posts->item(1)->setSelected(true);
        QTest::keyClick(posts, Qt::Key_Delete);
        QCOMPARE(readFile("posts.txt"), std::string("http://b/2\r\n\r\n"));
        QCOMPARE(MessageBox::recorded().size(), 2);  // one entry goes without a question
    }

    // Watch This Post on a full list says why nothing was added, in the status bar and a box.
    void fullWatchListSaysSo() {
        std::string posts, sizes;
        for (int i = 0; i < kMaxListEntries; ++i) {
            posts += "http://a/" + std::to_string(i) + "\r\n\r\n";
            sizes += "1\r\n\r\n";
        }
        writeFile("posts.txt", posts);
        writeFile("sizes.txt", sizes);
        auto form = start();
        loadPage(*form, QStringLiteral("<p>thread</p>"), QStringLiteral("http://127.0.0.1/t/new"));
        child<QTabBar>(*form, "TabStrip2Tabs")->setCurrentIndex(1);
        child<QPushButton>(*form, "cmdAdd")->click();
        QCOMPARE(form->lists().posts.count(), kMaxListEntries);
        QVERIFY2(panel(*form, 2).contains(QStringLiteral("is full")), qPrintable(panel(*form, 2)));
        QCOMPARE(MessageBox::recorded().size(), 1);
        QVERIFY(MessageBox::recorded()[0].text.startsWith(QStringLiteral(
            "Could not watch http://127.0.0.1/t/new: the list of watched posts is full")));
    }

    // A write that fails shows one box naming the file and why; the same failure again
    // within the minute only the status bar.
    void aFailedWriteIsToldOnce() {
        auto form = start();
        const QString posts = dir_->filePath(QStringLiteral("posts.txt"));
        QVERIFY(QFile::remove(posts) && QDir().mkdir(posts));  // in the way of every rewrite
        child<QTabBar>(*form, "TabStrip2Tabs")->setCurrentIndex(1);
        for (const char* address : {"http://127.0.0.1/t/1", "http://127.0.0.1/t/2"}) {
            loadPage(*form, QStringLiteral("<p>thread</p>"), QString::fromLatin1(address));
            child<QPushButton>(*form, "cmdAdd")->click();
        }
        QCOMPARE(MessageBox::recorded().size(), 1);
        QVERIFY(MessageBox::recorded()[0].text.startsWith(
            QStringLiteral("A change could not be saved. ")));
        QVERIFY(MessageBox::recorded()[0].text.contains(posts));
        QVERIFY(panel(*form, 2).contains(posts));
    }

    // A post that could not be fetched is marked in the list, with the reason as its tip, and
    // the check's end says how many could not be checked; a later successful fetch clears
    // the mark.
    void unreachablePostsAreMarked() {
        // One server answers every request with the same small page.
        QTcpServer server;
        connect(&server, &QTcpServer::newConnection, &server, [&server] {
            QTcpSocket* socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc");
                socket->disconnectFromHost();
            });
        });
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const quint16 port = server.serverPort();
        server.close();  // refused until it listens again
        QTcpServer live;
        QVERIFY(live.listen(QHostAddress::LocalHost, 0));
        const QString flaky = QStringLiteral("http://127.0.0.1:%1/t/1").arg(port);
        const QString other = QStringLiteral("http://127.0.0.1:%1/t/2").arg(live.serverPort());
        bool gone = false;  // the second thread deleted: its forum answers 404
        connect(&live, &QTcpServer::newConnection, &live, [&live, &gone] {
            QTcpSocket* socket = live.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [socket, &gone] {
                socket->write(gone ? "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nabc"
                                   : "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc");
                socket->disconnectFromHost();
            });
        });
        writeFile("posts.txt", toStdString(flaky + QStringLiteral("\r\n\r\n") + other +
                                           QStringLiteral("\r\n\r\n")));
        writeFile("sizes.txt", "3\r\n\r\n3\r\n\r\n");
        auto form = start();
        auto* posts = child<QListWidget>(*form, "lstPosts");
        QCOMPARE(posts->count(), 2);
        QVERIFY(posts->item(0)->icon().isNull());
        // The browser's start page shares panel 1; it has loaded first.
        QTRY_COMPARE_WITH_TIMEOUT(panel(*form, 1), QStringLiteral("Complete"), 20000);

        child<QPushButton>(*form, "cmdReplies")->click();
        QTRY_VERIFY_WITH_TIMEOUT(panel(*form, 1).startsWith(QStringLiteral("finished")), 20000);
        QCOMPARE(panel(*form, 1),
                 QStringLiteral("finished - 0 new replies found (1 could not be checked)"));
        QVERIFY(panel(*form, 2).startsWith(QStringLiteral("Could not reach ") + flaky));
        QCOMPARE(posts->item(0)->text(), flaky);  // the entry is still the address
        QVERIFY(!posts->item(0)->icon().isNull());
        QVERIFY(posts->item(0)->toolTip().contains(QStringLiteral("refused")));
        QVERIFY(posts->item(1)->icon().isNull());

        // The page answers again: the mark goes.
        QVERIFY(server.listen(QHostAddress::LocalHost, port));
        child<QPushButton>(*form, "cmdReplies")->click();
        QTRY_COMPARE_WITH_TIMEOUT(panel(*form, 1), QStringLiteral("finished - 0 new replies found"),
                                  20000);
        QCOMPARE(panel(*form, 2), QString());
        QVERIFY(posts->item(0)->icon().isNull());
        QVERIFY(!posts->item(0)->toolTip().contains(QStringLiteral("Could not be fetched")));

        // A page that answers, but not with the thread, is marked as such.
        gone = true;
        child<QPushButton>(*form, "cmdReplies")->click();
        QTRY_COMPARE_WITH_TIMEOUT(
            panel(*form, 1),
            QStringLiteral("finished - 0 new replies found (1 could not be checked)"), 20000);
        QVERIFY(!posts->item(1)->icon().isNull());
        QVERIFY(posts->item(1)->toolTip().contains(
            QStringLiteral("\nNot the thread: the forum answered 404 Not Found")));
    }

    // The check runs several pages at once, a few from one host, shows "checking N of M",
    // and Esc (or Tools > Stop Check, enabled only while a check runs) stops it.
    void replyCheckShowsProgressAndStops() {
        QTcpServer silent;  // takes connections and never answers
        QList<QTcpSocket*> held;
        connect(&silent, &QTcpServer::newConnection, &silent,
                [&] { held << silent.nextPendingConnection(); });
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        std::string posts, sizes;
        for (int i = 0; i < 20; ++i) {
            posts += "http://127.0.0.1:" + std::to_string(silent.serverPort()) + "/t/" +
                     std::to_string(i) + "\r\n\r\n";
            sizes += "3\r\n\r\n";
        }
        writeFile("posts.txt", posts);
        writeFile("sizes.txt", sizes);
        auto form = start();
        QTRY_COMPARE_WITH_TIMEOUT(panel(*form, 1), QStringLiteral("Complete"), 20000);
        QAction* stop = action(*form, "mnuTools_8");
        QCOMPARE(stop->text(), QStringLiteral("S&top Check"));
        QVERIFY(!stop->isEnabled());

        child<QPushButton>(*form, "cmdReplies")->click();
        QVERIFY(stop->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(panel(*form, 1), QStringLiteral("checking 6 of 20"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(held.size(), 6, 10000);  // six from the one host
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QCOMPARE(panel(*form, 1), QStringLiteral("check stopped - 0 new replies found"));
        QVERIFY(!stop->isEnabled());
        QTest::qWait(300);  // a progress text held back must not come after the stop
        QCOMPARE(panel(*form, 1), QStringLiteral("check stopped - 0 new replies found"));
    }

    // A thread captured from MyBB: the check names who answered and what they said, the
    // user's own posts (by the forum's username) are no replies, and opening the entry goes
    // to the first new post and marks the thread's posts seen.
    void newRepliesNameWhoAnswered() {
        bool replied = false;
        QTcpServer server;
        QByteArray origin;
        QList<QByteArray> paths;
        connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket* socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                const QByteArray request = socket->readAll();
                paths << request.split(' ').value(1);
                QFile page(QStringLiteral(BOARDCAST_TEST_DATA "/forums/mybb/a-page3-%1.html")
                               .arg(replied ? QStringLiteral("after") : QStringLiteral("before")));
                QVERIFY(page.open(QIODevice::ReadOnly));
                const QByteArray body = page.readAll().replace("http://127.0.0.1:8081", origin);
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        });
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        origin = "http://127.0.0.1:" + QByteArray::number(server.serverPort());
        const std::string thread = origin.toStdString() + "/showthread.php?tid=2&page=3";
        writeFile("posts2.txt", origin.toStdString() + "/|admin|secret\r\n\r\n");
        auto form = start();
        QWebEngineView* view = form->browserPanel().webEngine().view();
        QSignalSpy loaded(view, &QWebEngineView::loadFinished);
        view->load(QUrl(toQString(thread)));
        QVERIFY(loaded.wait(20000));
        child<QPushButton>(*form, "cmdAdd")->click();
        QTRY_VERIFY_WITH_TIMEOUT(
            readFile("post-details.txt").find("\t26\tadmin\t5") != std::string::npos, 10000);

        replied = true;
        form->selectPostsTab(1);
        child<QPushButton>(*form, "cmdReplies")->click();
        QTRY_COMPARE_WITH_TIMEOUT(panel(*form, 1), QStringLiteral("finished - 1 new replies found"),
                                  10000);
        QCOMPARE(panel(*form, 3), QString());  // no download count stays behind
        auto* list = child<QListWidget>(*form, "lstNew");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Thread A grows in place (1 new: member2)"));
        QVERIFY(list->item(0)->toolTip().contains(
            QStringLiteral("member2: Post 26 of thread A. A reply by a second member.")));

        const QRect entry = list->visualItemRect(list->item(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
        loaded.clear();
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, entry.center());
        QTRY_VERIFY_WITH_TIMEOUT(paths.contains("/showthread.php?tid=2&pid=47"), 20000);
        QVERIFY(readFile("post-details.txt").find("\t47\tmember2\t5") != std::string::npos);
        // The opened page loads (its own "Complete" shows now, not over the check's end) and
        // is measured again, as a watched post opened from a list is; then the check runs.
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(panel(*form, 2) == QStringLiteral("Response completed") ||
                                     panel(*form, 2).startsWith(QStringLiteral("This thread")),
                                 20000);
        // Seen now: the next check finds nothing new.
        child<QPushButton>(*form, "cmdReplies")->click();
        QTRY_COMPARE_WITH_TIMEOUT(panel(*form, 1), QStringLiteral("finished - 0 new replies found"),
                                  10000);
    }

    // A forum's login cookie in the embedded browser goes with the window's check, is kept
    // in the data folder for the user alone, and goes with the commands' check afterwards.
    void checkAsksAsTheLoggedInUser() {
        QTcpServer server;
        QList<QByteArray> cookies;
        connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket* socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                const QByteArray request = socket->readAll();
                QByteArray cookie;
                for (const QByteArray& line : request.split('\n')) {
                    if (line.startsWith("Cookie:")) cookie = line.mid(7).trimmed();
                }
                cookies << cookie;
                const QByteArray body = "<html><title>Members</title><body>page</body></html>";
                socket->write(
                    "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nSet-Cookie: "
                    "login=member2; Max-Age=3600; Path=/\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        });
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const std::string thread =
            "http://127.0.0.1:" + std::to_string(server.serverPort()) + "/t/1";
        writeFile("posts.txt", thread + "\r\n");
        writeFile("sizes.txt", "10\r\n");
        {
            auto form = start();
            QWebEngineView* view = form->browserPanel().webEngine().view();
            QSignalSpy loaded(view, &QWebEngineView::loadFinished);
            view->load(QUrl(toQString(thread)));
            QVERIFY(loaded.wait(20000));
            cookies.clear();
            QTest::qWait(300);  // the browser tells of its new cookie
            child<QPushButton>(*form, "cmdReplies")->click();
            QTRY_COMPARE_WITH_TIMEOUT(cookies.size(), 1, 10000);
            QCOMPARE(cookies.front(), QByteArray("login=member2"));
            // Off, the check asks as a guest.
            CheckSettings guest = form->checkSettings();
            guest.asLoggedInUser = false;
            form->setCheckSettings(guest);
            QTRY_VERIFY_WITH_TIMEOUT(child<QPushButton>(*form, "cmdReplies")->isEnabled(), 10000);
            child<QPushButton>(*form, "cmdReplies")->click();
            QTRY_COMPARE_WITH_TIMEOUT(cookies.size(), 2, 10000);
            QCOMPARE(cookies.back(), QByteArray());
        }
        const QFileInfo file(dir_->filePath(QStringLiteral("cookies.txt")));
        QVERIFY(file.exists());
        QCOMPARE(file.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        struct : StatusPanels {
            void setPanelText(int, const std::string&) override {}
        } quiet;
        WatchingService commands(quiet, quiet, 1, 1);
        commands.loadCookies(folder());
        WatchList posts;
        posts.append(thread, "10");
        bool done = false;
        commands.check().start(posts, [&done] { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
        QCOMPARE(cookies.back(), QByteArray("login=member2"));
    }

    // A check on the timer the user set: it finds the grown thread, the New Replies tab
    // counts it, and the window, not in use, shows a notification naming it.
    void timerChecksAndNotifies() {
        QTcpServer server;  // a page of 2,000 bytes: grown from its baseline of 3
        connect(&server, &QTcpServer::newConnection, &server, [&server] {
            QTcpSocket* socket = server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                const QByteArray title = "<title>Thread &amp; one</title>";
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n\r\n" + title +
                              QByteArray(2000 - title.size(), 'x'));
                socket->disconnectFromHost();
            });
        });
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const std::string address =
            "http://127.0.0.1:" + std::to_string(server.serverPort()) + "/t/1";
        writeFile("posts.txt", address + "\r\n\r\n");
        writeFile("sizes.txt", "3\r\n\r\n");
        auto form = start();
        std::vector<std::vector<std::string>> notified;
        std::function<void()> click;
        form->setReplyNotifier(
            [&](const std::vector<ThreadWithNews>& threads, std::function<void()> clicked) {
                std::vector<std::string> names;
                for (const ThreadWithNews& t : threads) names.push_back(t.name);
                notified.push_back(names);
                click = std::move(clicked);
                return Status{};
            });
        form->setCheckSettings({4, 2, 20, true});
        QCOMPARE(readSetting(*settings_, keys::checkEveryMinutes), std::string("20"));
        QCOMPARE(readSetting(*settings_, keys::checkJobs), std::string("4"));
        auto* timer = form->findChild<QTimer*>(QStringLiteral("checkTimer"));
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 20 * 60 * 1000);
        QWidget elsewhere;  // the window the user is in
        elsewhere.show();
        elsewhere.activateWindow();
        QTRY_VERIFY(!form->isActiveWindow());
        timer->setInterval(50);  // rather than wait twenty minutes

        QTRY_VERIFY_WITH_TIMEOUT(!notified.empty(), 10000);  // more may follow, every 50 ms
        QCOMPARE(notified[0], std::vector<std::string>{"Thread & one"});
        QCOMPARE(child<QTabBar>(*form, "TabStrip1")->tabText(1), QStringLiteral("New Replies (1)"));
        form->setCheckSettings(
            {4, 2, 0, true});  // off again; a check under way ends with its finds
        QVERIFY(!timer->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(child<QListWidget>(*form, "lstNew")->count(), 1, 10000);
        // Named by the thread's title, with the growth; the address in the tip.
        auto* found = child<QListWidget>(*form, "lstNew")->item(0);
        QCOMPARE(found->text(),
                 QStringLiteral("Thread & one (+%1 bytes)").arg(QLocale().toString(1997)));
        // The tip names the forum, says the page was judged by its size, and when.
        const QString host = QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
        QVERIFY(found->toolTip().startsWith(host + u'\n' + toQString(address) +
                                            QStringLiteral("\nThe page grew by 1,997 bytes")));
        QVERIFY(found->toolTip().contains(QStringLiteral("\nFound: ")));
        form->stopReplyCheck();
        // A click on the notification brings the window forward on New Replies.
        child<QTabBar>(*form, "TabStrip2Tabs")->setCurrentIndex(0);
        child<QTabBar>(*form, "TabStrip1")->setCurrentIndex(0);
        click();
        QTRY_VERIFY(form->isActiveWindow());
        QCOMPARE(child<QTabBar>(*form, "TabStrip1")->currentIndex(), 1);
        QVERIFY(child<QListWidget>(*form, "lstNew")->isVisible());
        form->close();
        // The title and the times are kept across a restart.
        auto again = start();
        auto* post = child<QListWidget>(*again, "lstPosts")->item(0);
        QCOMPARE(post->text(), QStringLiteral("Thread & one"));
        QVERIFY(post->toolTip().contains(QStringLiteral("\nLast checked: ")));
        QVERIFY(post->toolTip().contains(QStringLiteral("\nLast grew: ")));
    }

    // The settings dialog (Tools > Reply Check Settings...) edits the three values.
    void checkSettingsDialog() {
        auto form = start();
        QCOMPARE(action(*form, "mnuTools_9")->text(), QStringLiteral("Reply Check &Settings..."));
        CheckOptionsDialog dialog(form->checkSettings());
        auto* onTimer = dialog.findChild<QCheckBox*>(QStringLiteral("checkOnTimer"));
        auto* minutes = dialog.findChild<QSpinBox*>(QStringLiteral("checkMinutes"));
        QVERIFY(!onTimer->isChecked() && !minutes->isEnabled());
        QCOMPARE(dialog.settings(), (CheckSettings{8, 6, 0, true}));
        dialog.findChild<QSpinBox*>(QStringLiteral("checkJobs"))->setValue(12);
        onTimer->setChecked(true);
        QVERIFY(minutes->isEnabled());
        minutes->setValue(5);  // below the least allowed
        QCOMPARE(dialog.settings(), (CheckSettings{12, 6, 15, true}));
    }

    void layoutKeepsItsMinimumAndSurvivesMinimizing() {
        auto form = start();
        form->resize(900, 700);
        QTest::qWait(0);
        auto* browser = child<BrowserPanel>(*form, "Frame2");
        const QSize before = browser->size();
        QVERIFY(before.width() > 500);
        form->resize(100, 100);
        QVERIFY(form->width() >= 7000 / 15 && form->height() >= 5000 / 15);
        form->resize(900, 700);
        form->showMinimized();
        form->showNormal();
        QTRY_COMPARE(browser->size(), before);
    }

    void previewCopyAndSave() {
        auto form = start();
        form->setMessageText("See http://a.com.");
        child<QComboBox>(*form, "cmbConvert")->setCurrentIndex(1);  // html
        child<QLineEdit>(*form, "txtSubject")->setText(QStringLiteral("S"));
        child<QToolButton>(*form, "cmdPreview")->click();
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded()[0].title, QStringLiteral("message preview"));
        const QString outgoing =
            QStringLiteral("See <a href='http://a.com'>http://a.com</a>.\r\n\r\n");
        QCOMPARE(MessageBox::recorded()[0].text, outgoing);

        child<QToolButton>(*form, "cmdCopy")->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), outgoing);

        child<QToolButton>(*form, "cmdSave")->click();
        QCOMPARE(readFile("messages.txt"), std::string("See http://a.com.|S\r\n"));
        QCOMPARE(panel(*form, 1), QStringLiteral("MESSAGE SAVED"));
    }

    // The preview box shows the outgoing text as it is, markup included, for every format:
    // read from the real box on screen, not from the text handed to it.
    void previewShowsTheTextItself_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("text") << 0;
        QTest::newRow("html, an address on the first line") << 1;
        QTest::newRow("ubb") << 2;
    }
    void previewShowsTheTextItself() {
        QFETCH(int, format);
        auto form = start();
        form->setMessageText("http://a.com/x <b>bold</b> &amp;\r\nsecond line");
        child<QComboBox>(*form, "cmbConvert")->setCurrentIndex(format);
        const QString outgoing = toQString(outgoingText(
            form->messageText(), toStdString(child<QComboBox>(*form, "cmbConvert")->currentText()),
            defaultTemplates()));
        MessageBox::setRecording(false);
        QString shown;
        Qt::TextFormat textFormat = Qt::AutoText;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label);
            shown = label->text();
            textFormat = label->textFormat();
            box->accept();
        });
        child<QToolButton>(*form, "cmdPreview")->click();
        MessageBox::setRecording(true);
        QCOMPARE(textFormat, Qt::PlainText);
        QCOMPARE(shown, outgoing);
    }

    void statusPanelsShowMarkupAsText() {
        auto form = start();
        form->setPanelText(2, "<b>x</b> &amp;");
        auto* label = child<QLabel>(*form, "StatusPanel2");
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->text(), QStringLiteral("<b>x</b> &amp;"));
    }

    // What goes into the message box comes back exactly; only its own line breaks are CR LF.
    void messageBoxKeepsTheTextExactly() {
        auto form = start();
        const std::string texts[] = {
            "no\xC2\xA0"
            "break space",
            "lone\rcr",
            "cr lf\r\nand\r\n\r\nblank",
            "",
            "tab\there \xE2\x80\x8B"
            " zero width",
            "ends with a break\r\n",
        };
        for (const std::string& text : texts) {
            form->setMessageText(text);
            QVERIFY2(form->messageText() == text,
                     (QByteArray::fromStdString(form->messageText()).toHex(' ') + " / " +
                      QByteArray::fromStdString(text).toHex(' '))
                         .constData());
        }
        // Typed text: Enter gives CR LF.
        auto* box = child<QPlainTextEdit>(*form, "txtMessage");
        box->clear();
        QTest::keyClicks(box, QStringLiteral("a"));
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, QStringLiteral("b"));
        QCOMPARE(form->messageText(), std::string("a\r\nb"));
    }

    // Shift+Return breaks the line as Return does: one record, whose message holds CR LF.
    void shiftReturnSavesOneRecord() {
        auto form = start();
        auto* box = child<QPlainTextEdit>(*form, "txtMessage");
        box->clear();
        QTest::keyClicks(box, QStringLiteral("one"));
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(box, QStringLiteral("two"));
        child<QLineEdit>(*form, "txtSubject")->setText(QStringLiteral("S"));
        child<QToolButton>(*form, "cmdSave")->click();
        QCOMPARE(readFile("messages.txt"), std::string("one[br]two|S\r\n"));
    }

    // Typing starts in the message; the menus offer the platform's shortcuts.
    void focusAndShortcuts() {
        auto form = start();
        QCOMPARE(form->focusWidget(), child<QPlainTextEdit>(*form, "txtMessage"));
        QCOMPARE(action(*form, "mnuFile_0")->shortcut(), QKeySequence(QKeySequence::New));
        QCOMPARE(action(*form, "mnuFile_1")->shortcut(), QKeySequence(QKeySequence::Save));
        QCOMPARE(action(*form, "mnuFile_2")->shortcut(), QKeySequence(QKeySequence::Open));
        QCOMPARE(action(*form, "mnuFile_3")->shortcut(), QKeySequence(QKeySequence::Quit));
        QCOMPARE(action(*form, "mnuHelp_0")->shortcut(), QKeySequence(QKeySequence::HelpContents));
        QCOMPARE(child<QToolButton>(*form, "Command4")->shortcut(),
                 QKeySequence(QKeySequence::Back));
        QCOMPARE(child<QToolButton>(*form, "Command7")->shortcut(),
                 QKeySequence(QKeySequence::Refresh));
    }

    // Tab leaves the message box (Ctrl+Tab types a tab); the keys of what is done for every
    // post fire their entries; a login pasted with no forum chosen changes nothing.
    void keyboardWork() {
        auto form = start();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        auto* box = child<QPlainTextEdit>(*form, "txtMessage");
        box->setFocus();
        box->clear();
        QTest::keyClick(box, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), QStringLiteral("\t"));
        QTest::keyClick(box, Qt::Key_Tab);
        QVERIFY(!box->hasFocus());
        QCOMPARE(box->toPlainText(), QStringLiteral("\t"));

        loadPage(*form, QStringLiteral("<p>thread</p>"), QStringLiteral("http://127.0.0.1/t/9"));
        const std::pair<const char*, const char*> keys[] = {
            {"mnuTools_1", "Ctrl+Shift+I"},  {"mnuTools_4", "Ctrl+Shift+M"},
            {"mnuTools_5", "Ctrl+Shift+J"},  {"mnuTools_6", "Ctrl+Shift+U"},
            {"mnuTools_7", "Ctrl+Shift+P"},  {"mnuTools_10", "Ctrl+Shift+C"},
            {"mnuTools_11", "Ctrl+Shift+W"},
        };
        for (const auto& [name, key] : keys) {
            QAction* entry = action(*form, name);
            QCOMPARE(entry->shortcut(), QKeySequence(QString::fromLatin1(key)));
            QSignalSpy fired(entry, &QAction::triggered);
            box->setFocus();
            QTest::keySequence(form.get(), QKeySequence(QString::fromLatin1(key)));
            QCOMPARE(fired.size(), 1);
        }
        QCOMPARE(form->lists().posts.count(), 1);  // Watch This Post
        QTest::keySequence(form.get(), QKeySequence(QStringLiteral("Ctrl+Shift+U")));
        QCOMPARE(panel(*form, 2),
                 QStringLiteral("Select a forum in Your Forums first; no username was pasted."));
        // Every entry of every menu can be reached by a letter.
        for (QAction* top : form->menuBar()->actions()) {
            QMenu* menu = top->menu();
            QVERIFY2(menu && menu->title().contains(u'&'), qPrintable(top->text()));
            for (QAction* entry : menu->actions())
                QVERIFY2(entry->isSeparator() || entry->text().contains(u'&'),
                         qPrintable(entry->text()));
        }
    }

    // The browser panel by the window's rules 10 and 12, worked out by hand in twips (15 to a
    // pixel; offscreen windows have no frame, so the outer size is the window's size), and
    // nothing of it under the status bar.
    void browserPanelFollowsTheRules_data() {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<int>("browserWidth");
        QTest::addColumn<int>("browserHeightPlusStatusBar");  // -1: whatever fits the frame
        QTest::addColumn<int>("addressWidth");
        QTest::addColumn<int>("goLeft");
        // W 12000, H 9000: Frame2 width 12000-3840-240 = 7920; browser 7920-240 = 7680 (512);
        // browser height 900+4155+(9000-sb-6150)-1140-1000 = 5765-sb (384-sb); address box
        // 7920-540-795-200 = 6385 (425); go button 7920-795-100 = 7025 (468).
        QTest::newRow("800 by 600") << QSize(800, 600) << 512 << 384 << 425 << 468;
        // W 19200, H 12000: 15120; 14880 (992); 8765-sb (584-sb); 13585 (905); 14225 (948).
        QTest::newRow("1280 by 800") << QSize(1280, 800) << 992 << 584 << 905 << 948;
        // The smallest window: 466 by 333 inside, 470 by 337 with the offscreen frame, so W
        // 7050 and H 5055: 2970; 2730 (182); the height rules take absolute values and ask
        // for more than the window has, so the browser ends inside its frame; 1435 (95);
        // 2075 (138).
        QTest::newRow("the minimum") << QSize(470, 337) << 182 << -1 << 95 << 138;
    }
    void browserPanelFollowsTheRules() {
        QFETCH(QSize, window);
        QFETCH(int, browserWidth);
        QFETCH(int, browserHeightPlusStatusBar);
        QFETCH(int, addressWidth);
        QFETCH(int, goLeft);
        auto form = start();
        // The rules measure the outer size, frame included.
        form->resize(window - (form->frameGeometry().size() - form->size()));
        QTRY_COMPARE(form->frameGeometry().size(), window);
        auto* view = child<QWebEngineView>(*form, "WebBrowser1");
        const int statusBar = form->statusBar()->height();
        QCOMPARE(view->width(), browserWidth);
        if (browserHeightPlusStatusBar >= 0) {
            QCOMPARE(view->height(), browserHeightPlusStatusBar - statusBar);
        }
        QCOMPARE(child<QLineEdit>(*form, "Text5")->width(), addressWidth);
        QCOMPARE(child<QToolButton>(*form, "Command3")->x(), goLeft);
        const int statusTop = form->statusBar()->mapTo(form.get(), QPoint(0, 0)).y();
        auto* frame = child<QGroupBox>(*form, "Frame2");
        QVERIFY(frame->mapTo(form.get(), QPoint(0, frame->height())).y() <= statusTop);
        QVERIFY(view->mapTo(form.get(), QPoint(0, view->height())).y() <= statusTop);
    }

    // Each forum keeps the format last used on it, and the chooser follows the browser; a
    // format with tags asks before it goes into a Markdown composer (NodeBB's, captured).
    void formatFollowsTheForum() {
        writeFile("posts2.txt", "http://forum-b.example/|bob|pw\r\n\r\n");
        auto form = start();
        auto* chooser = child<QComboBox>(*form, "cmbConvert");
        const QString page =
            QStringLiteral("<html><body><form><textarea></textarea></form></body></html>");
        loadPage(*form, page, QStringLiteral("http://forum-a.example/t/1"));
        chooser->setCurrentText(QStringLiteral("ubb"));
        child<QToolButton>(*form, "cmdCopy")->click();
        QCOMPARE(settings_->read("formats", "forum-a.example", ""), "ubb");
        loadPage(*form, page, QStringLiteral("http://forum-b.example/t/2"));
        QCOMPARE(chooser->currentText(), QStringLiteral("ubb"));  // nothing kept there yet
        chooser->setCurrentText(QStringLiteral("html"));
        form->pasteIntoPage(3);
        // A listed forum keeps it with the forum.
        QCOMPARE(readFile("forum-formats.txt"), "http://forum-b.example/\thtml\r\n");
        QCOMPARE(settings_->read("formats", "forum-b.example", ""), "");
        for (const char* host : {"forum-a.example", "forum-b.example", "forum-a.example"}) {
            loadPage(*form, page, QStringLiteral("http://%1/t/3").arg(QLatin1String(host)));
            const QString format = host[6] == 'a' ? QStringLiteral("ubb") : QStringLiteral("html");
            QCOMPARE(chooser->currentText(), format);
            QCOMPARE(panel(*form, 2),
                     format + QStringLiteral(", as last used on ") + QLatin1String(host));
        }

        QFile composer(QStringLiteral(BOARDCAST_FORUM_PAGES_DIR "/nodebb_composer.html"));
        QVERIFY(composer.open(QIODevice::ReadOnly));
        loadPage(*form,
                 QStringLiteral("<html><body>%1</body></html>")
                     .arg(QString::fromUtf8(composer.readAll())),
                 QStringLiteral("http://forum-a.example/topic/7/thread-d"));
        form->setMessageText("See https://shop.example/deals now\r\n");
        auto composerText = [&form] {
            auto held = std::make_shared<QString>();
            form->browserPanel().webEngine().view()->page()->runJavaScript(
                QStringLiteral("document.querySelector('textarea.write').value"),
                [held](const QVariant& v) { *held = v.toString() + QLatin1Char('.'); });
            (void)QTest::qWaitFor([&] { return !held->isEmpty(); }, 10000);
            return held->chopped(1);
        };
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        form->autoInsert();
        QTRY_COMPARE_WITH_TIMEOUT(composerText().trimmed(),
                                  QStringLiteral("See https://shop.example/deals now"), 10000);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().front().text,
                 QStringLiteral("This forum writes Markdown: [url] tags would show as text. Insert "
                                "the message as text instead?"));
        QCOMPARE(chooser->currentText(), QStringLiteral("text"));
        QCOMPARE(settings_->read("formats", "forum-a.example", ""), "text");
        // "text" goes in without asking.
        form->setMessageText("Second try\r\n");
        form->autoInsert();
        QTRY_COMPARE_WITH_TIMEOUT(composerText().trimmed(), QStringLiteral("Second try"), 10000);
        QCOMPARE(MessageBox::recorded().size(), 1);
    }

    void saveFailureIsShown() {
        auto form = start();
        QFile::remove(dir_->filePath(QStringLiteral("messages.txt")));
        QDir().mkdir(dir_->filePath(QStringLiteral("messages.txt")));
        child<QToolButton>(*form, "cmdSave")->click();
        QCOMPARE(MessageBox::recorded().size(), 1);
        QVERIFY(MessageBox::recorded()[0].text.contains(QStringLiteral("messages.txt")));
        QVERIFY(panel(*form, 1) != QStringLiteral("MESSAGE SAVED"));
    }

    void tabStrips() {
        auto form = start();
        action(*form, "mnuView_2")->trigger();  // &Replies
        QCOMPARE(child<QTabBar>(*form, "TabStrip1")->currentIndex(), 1);
        QVERIFY(child<QListWidget>(*form, "lstNew")->isVisible());
        QVERIFY(child<QPushButton>(*form, "cmdReplies")->isVisible());
        QVERIFY(!child<QPushButton>(*form, "cmdAdd")->isVisible());
        QVERIFY(!child<QListWidget>(*form, "lstPosts")->isVisible());
        action(*form, "mnuView_1")->trigger();  // &All posts
        QVERIFY(child<QListWidget>(*form, "lstPosts")->isVisible());
        QVERIFY(!child<QPushButton>(*form, "cmdReplies")->isVisible());
        QVERIFY(child<QPushButton>(*form, "cmdDel")->isVisible());
    }

    void menuEntriesReachTheirCommands() {
        auto form = start();
        QSignalSpy saved(form.get(), &MainWindow::savedMessagesRequested);
        QSignalSpy templates(form.get(), &MainWindow::templateEditorRequested);
        QSignalSpy help(form.get(), &MainWindow::helpRequested);
        QSignalSpy about(form.get(), &MainWindow::aboutRequested);
        action(*form, "mnuFile_1")->trigger();
        QCOMPARE(panel(*form, 1), QStringLiteral("MESSAGE SAVED"));
        action(*form, "mnuFile_2")->trigger();
        action(*form, "mnuView_0")->trigger();
        QCOMPARE(saved.count(), 2);
        action(*form, "mnuTools_3")->trigger();
        action(*form, "mnuView_3")->trigger();
        QCOMPARE(templates.count(), 2);
        action(*form, "mnuHelp_0")->trigger();
        QCOMPARE(help.count(), 1);
        action(*form, "mnuAbout_0")->trigger();
        QCOMPARE(about.count(), 1);
        action(*form, "mnuTools_0")->trigger();
        QCOMPARE(MessageBox::recorded().last().title, QStringLiteral("message preview"));
        action(*form, "mnuTools_2")->trigger();  // &Check Replies on an empty list
        QCOMPARE(child<QTabBar>(*form, "TabStrip1")->currentIndex(), 1);
        QCOMPARE(panel(*form, 1), QStringLiteral("finished - 0 new replies found"));
        action(*form, "mnuTools_1")->trigger();  // Auto &Insert on a page without a form
        QTRY_COMPARE(MessageBox::recorded().last().title, QStringLiteral("Auto-Insert Error"));

        // The paste entries: each puts its text into the focused field of the page.
        loadPage(*form,
                 QStringLiteral(
                     "<input id=f autofocus><script>document.getElementById('f').focus()</script>"),
                 QStringLiteral("http://127.0.0.1/p"));
        child<QLineEdit>(*form, "txtSubject")->setText(QStringLiteral("SUBJ"));
        form->setMessageText("MSG");
        QWebEngineView* view = form->browserPanel().webEngine().view();
        auto fieldValue = [view] {
            QVariant result;
            bool done = false;
            view->page()->runJavaScript(QStringLiteral("document.getElementById('f').value"),
                                        [&](const QVariant& v) {
                                            result = v;
                                            done = true;
                                        });
            (void)QTest::qWaitFor([&done] { return done; }, 5000);
            return result.toString();
        };
        action(*form, "mnuTools_5")->trigger();  // Paste Subject
        QTRY_COMPARE(fieldValue(), QStringLiteral("SUBJ"));
        action(*form, "mnuTools_4")->trigger();  // Paste Message, converted, no line breaks
        QTRY_COMPARE(fieldValue(), QStringLiteral("SUBJMSG"));
    }

    // Last: the exit request stays pending in this process, which has no running event loop.
    // Every change is on disk when it is made: "E&xit" writes nothing more, and loses nothing.
    void changesAreStoredAsTheyAreMade() {
        {
            auto form = start();
            loadPage(*form, QStringLiteral("<p>x</p>"), QStringLiteral("http://127.0.0.1/t/9"));
            form->watchThisPost();
            QCOMPARE(readFile("posts.txt"), std::string("http://127.0.0.1/t/9\r\n\r\n"));
            child<QPushButton>(*form, "cmdAdd2")->click();
            auto* password = child<QLineEdit>(*form, "txtPassword");
            QTest::keyClicks(password, QStringLiteral("p|w"));
            QCOMPARE(readFile("posts2.txt"),
                     std::string("http://127.0.0.1/t/9|Enter Username|p|w\r\n\r\n"));
            // A username cannot hold "|": the key is refused.
            auto* username = child<QLineEdit>(*form, "txtUsername");
            username->clear();
            QTest::keyClicks(username, QStringLiteral("a|n"));
            QCOMPARE(username->text(), QStringLiteral("an"));
            QCOMPARE(readFile("posts2.txt"), std::string("http://127.0.0.1/t/9|an|p|w\r\n\r\n"));
            // The message a moment after the typing stops.
            auto* message = child<QPlainTextEdit>(*form, "txtMessage");
            message->setPlainText(QStringLiteral("draft one"));
            QTRY_COMPARE_WITH_TIMEOUT(readSetting(*settings_, keys::lastMessage),
                                      std::string("draft one"), 5000);
            action(*form, "mnuFile_3")->trigger();  // E&xit
        }
        auto again = start();
        QCOMPARE(again->lists().posts.count(), 1);
        QCOMPARE(again->lists().forums.at(0).login, std::string("an|p|w"));
    }

    // Remove acts on the entry the user selected, never on a row made current by tabbing.
    void removeTakesOnlyTheSelectedEntry() {
        writeFile("posts.txt", "http://a/1\r\n\r\nhttp://a/2\r\n\r\n");
        writeFile("sizes.txt", "1\r\n\r\n2\r\n\r\n");
        auto form = start();
        child<QTabBar>(*form, "TabStrip2Tabs")->setCurrentIndex(1);
        auto* posts = child<QListWidget>(*form, "lstPosts");
        posts->setCurrentRow(0, QItemSelectionModel::NoUpdate);  // as tabbing in does
        child<QPushButton>(*form, "cmdDel")->click();
        QCOMPARE(posts->count(), 2);
        posts->setCurrentRow(1);
        child<QPushButton>(*form, "cmdDel")->click();
        QCOMPARE(posts->count(), 1);
        QCOMPARE(posts->item(0)->text(), QStringLiteral("http://a/1"));
        QVERIFY(posts->selectedItems().isEmpty());
        child<QPushButton>(*form, "cmdDel")->click();  // nothing selected: nothing removed
        QCOMPARE(posts->count(), 1);
        QCOMPARE(readFile("posts.txt"), std::string("http://a/1\r\n\r\n"));
        QCOMPARE(readFile("sizes.txt"), std::string("1\r\n\r\n"));
    }
};

QTEST_MAIN(Form1Test)
#include "main_window_test.moc"
