// The desktop program killed without warning keeps what the user did: a watched post and a
// forum with its login, written as they were made. The program runs in a child process (this
// test run with --child FOLDER), which is killed with SIGKILL once it has done its part.

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include <csignal>
#include <cstdio>
#include <memory>

#include "core/storage/settings_store.h"
#include "platform/qt_strings.h"
#include "platform/webengine_browser.h"
#include "ui/main/browser_panel.h"
#include "ui/main/main_window.h"
#include "ui/widgets/message_box.h"

using namespace boardcast;
using namespace Qt::StringLiterals;

namespace {

constexpr int kTimeoutMs = 30000;

// The child: a page, "Watch This Post", "Add Current URL", a password typed; then it waits
// to be killed.
int child(const QString& folder) {
    MessageBox::setRecording(true);
    MemorySettingsStore settings;
    MainWindow form(toStdString(folder), settings, "about:blank");
    form.show();
    QWebEngineView* view = form.browserPanel().webEngine().view();
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    view->setHtml(u"<p>thread</p>"_s, QUrl(u"http://127.0.0.1:1/t/7"_s));
    if (!loaded.wait(kTimeoutMs)) return 3;
    form.watchThisPost();
    form.findChild<QPushButton*>(u"cmdAdd2"_s)->click();
    QTest::keyClicks(form.findChild<QLineEdit*>(u"txtPassword"_s), u"s|cret"_s);
    std::printf("ready\n");
    std::fflush(stdout);
    QTest::qWait(60000);
    return 0;
}

}  // namespace

class CrashRestartTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedProgramKeepsWhatWasDone() {
        QTemporaryDir folder;
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(), {u"--child"_s, folder.path()});
        QVERIFY(QTest::qWaitFor(
            [&] {
                return process.readAllStandardOutput().contains("ready") ||
                       process.state() == QProcess::NotRunning;
            },
            kTimeoutMs));
        QCOMPARE(process.state(), QProcess::Running);
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        QVERIFY(process.waitForFinished(kTimeoutMs));

        MessageBox::setRecording(true);
        MemorySettingsStore settings;
        MainWindow again(toStdString(folder.path()), settings, "about:blank");
        QCOMPARE(again.lists().posts.count(), 1);
        QCOMPARE(again.lists().posts.at(0).address, std::string("http://127.0.0.1:1/t/7"));
        QCOMPARE(again.lists().forums.count(), 1);
        QCOMPARE(again.lists().forums.at(0).login, std::string("Enter Username|s|cret"));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == u"--child") return child(args[2]);
    CrashRestartTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "crash_restart_test.moc"
