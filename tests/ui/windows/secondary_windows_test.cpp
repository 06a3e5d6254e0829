// The windows beside the main window, opened through its entries, offscreen: help, About,
// the website window, saved messages and the template editor, and how the program ends
// when the main window closes.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QWebEngineView>
#include <fstream>
#include <memory>

#include "core/shell/main_window_layout.h"
#include "core/shell/website_layout.h"
#include "core/storage/settings_keys.h"
#include "platform/qt_strings.h"
#include "platform/webengine_browser.h"
#include "ui/main/main_window.h"
#include "ui/resources/resources.h"
#include "ui/widgets/message_box.h"
#include "ui/windows/about_window.h"
#include "ui/windows/help_window.h"
#include "ui/windows/saved_messages_window.h"
#include "ui/windows/secondary_windows.h"
#include "ui/windows/template_editor.h"
#include "ui/windows/website_window.h"

using namespace boardcast;
using namespace Qt::StringLiterals;

namespace {

template <class T>
T* child(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QLatin1String(name));
    if (!found) qFatal("no control %s", name);
    return found;
}

QString panel(QWidget& window, int n) {
    return child<QLabel>(window, QStringLiteral("StatusPanel%1").arg(n).toLatin1().constData())
        ->text();
}

const char* const kRtf = R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 {\b %1}\par Second line\par})";

}  // namespace

class SecondaryWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MemorySettingsStore> settings_;
    std::unique_ptr<MainWindow> form_;
    std::unique_ptr<SecondaryWindows> windows_;

    QString path(const QString& name) const { return dir_->filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void writeHelp(const QString& name, const QString& heading) const {
        writeFile(name, QString::fromLatin1(kRtf).arg(heading).toLatin1());
    }
    // A page of the makers' site, as a file the browser can open.
    QString page(const QString& name, const QString& title) const {
        writeFile(name,
                  u"<html><head><title>%1</title></head><body><p>%1</p></body></html>"_s.arg(title)
                      .toUtf8());
        return QUrl::fromLocalFile(path(name)).toString();
    }
    void start(QStringList helpFiles, const QString& website = u"about:blank"_s) {
        form_ = std::make_unique<MainWindow>(toStdString(dir_->path()), *settings_, "about:blank");
        windows_ = std::make_unique<SecondaryWindows>(
            *form_, *settings_,
            SecondaryWindows::Places{toStdString(website), std::move(helpFiles)});
        form_->show();
    }
    QStringList folderHelpOnly() const { return {path(u"Help.rtf"_s), path(u"none/Help.rtf"_s)}; }
    static QString helpText(HelpWindow& help) {
        return child<QTextBrowser>(help, "rtf1")->toPlainText();
    }
    static void waitForLoad(WebsiteWindow& site) {
        QSignalSpy loaded(site.webEngine().view(), &QWebEngineView::loadFinished);
        QVERIFY(loaded.wait(20000));
    }

private Q_SLOTS:
    void initTestCase() {
        MessageBox::setRecording(true);
        initUiResources();
    }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        settings_ = std::make_unique<MemorySettingsStore>();
        MessageBox::clearRecorded();
    }
    void cleanup() {
        windows_.reset();
        form_.reset();
    }

    void helpFileIsLookedUpInTheFolderFirst_data() {
        QTest::addColumn<bool>("inFolder");
        QTest::addColumn<bool>("inFallback");
        QTest::addColumn<QString>("shown");
        QTest::newRow("folder wins") << true << true << u"From the folder"_s;
        QTest::newRow("fallback") << false << true << u"Built in"_s;
        QTest::newRow("folder only") << true << false << u"From the folder"_s;
        QTest::newRow("none") << false << false << QString();
    }
    void helpFileIsLookedUpInTheFolderFirst() {
        QFETCH(bool, inFolder);
        QFETCH(bool, inFallback);
        QFETCH(QString, shown);
        if (inFolder) writeHelp(u"Help.rtf"_s, u"From the folder"_s);
        QDir(dir_->path()).mkdir(u"fallback"_s);
        if (inFallback) writeHelp(u"fallback/Help.rtf"_s, u"Built in"_s);
        start({path(u"Help.rtf"_s), path(u"fallback/Help.rtf"_s)});
        QCoreApplication::processEvents();  // the help window asked for at start

        if (shown.isEmpty()) {
            QVERIFY(!windows_->help());
            windows_->showHelpWindow();  // "View &Help"
            QVERIFY(!windows_->help());
            for (QWidget* w : QApplication::topLevelWidgets())
                QVERIFY(!qobject_cast<HelpWindow*>(w));
            return;
        }
        QVERIFY(windows_->help());
        QVERIFY(windows_->help()->isVisible());
        QVERIFY(helpText(*windows_->help()).startsWith(shown));
        QCOMPARE(windows_->help()->windowTitle(), u"Readme/Help"_s);
        QVERIFY(windows_->help()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    // At the first start the help window leaves the main window's command row free, on a
    // wide screen and on a narrow one.
    void helpAtStartLeavesTheButtonsFree() {
        writeHelp(u"Help.rtf"_s, u"Help"_s);
        for (const QPoint corner : {QPoint(0, 0), QPoint(400, 0)}) {
            start(folderHelpOnly());
            form_->move(corner);
            windows_->showHelpWindow();
            QVERIFY(windows_->help());
            const QRect buttons(form_->mapToGlobal(QPoint(0, 0)),
                                QSize(form_->width(), form_->commandRowBottom()));
            QVERIFY2(!windows_->help()->frameGeometry().intersects(buttons),
                     qPrintable(QStringLiteral("%1,%2 %3x%4")
                                    .arg(windows_->help()->x())
                                    .arg(windows_->help()->y())
                                    .arg(windows_->help()->width())
                                    .arg(windows_->help()->height())));
            cleanup();
            settings_ = std::make_unique<MemorySettingsStore>();
        }
    }

    void unreadableHelpFileShowsNoWindow() {
        QDir(dir_->path()).mkdir(u"Help.rtf"_s);  // a folder where the file should be
        start(folderHelpOnly());
        windows_->showHelpWindow();
        QVERIFY(!windows_->help());
        QVERIFY(MessageBox::recorded().isEmpty());
    }

    void showAtStartupIsStoredAtOnce() {
        writeHelp(u"Help.rtf"_s, u"Help"_s);
        start(folderHelpOnly());
        QCoreApplication::processEvents();
        QPointer<HelpWindow> help = windows_->help();
        QVERIFY(help);
        auto* box = child<QCheckBox>(*help, "Check1");
        QCOMPARE(box->text(), u"Show at Startup"_s);
        QVERIFY(box->isChecked());  // "showHelp" defaults to "1"
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(readSetting(*settings_, keys::showHelp), std::string("0"));

        // A second opening brings up the same window.
        windows_->showHelpWindow();
        QCOMPARE(windows_->help(), help.data());
        help->close();
        QTRY_VERIFY(!help);

        // Restart: no help at start, but "View &Help" opens it with the box clear.
        cleanup();
        start(folderHelpOnly());
        QCoreApplication::processEvents();
        QVERIFY(!windows_->help());
        windows_->showHelpWindow();
        QVERIFY(windows_->help());
        QVERIFY(!child<QCheckBox>(*windows_->help(), "Check1")->isChecked());
        QTest::mouseClick(child<QCheckBox>(*windows_->help(), "Check1"), Qt::LeftButton);
        QCOMPARE(readSetting(*settings_, keys::showHelp), std::string("1"));
    }

    void showHelpValuesSetTheBox_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("checked");
        QTest::newRow("one") << u"1"_s << true;
        QTest::newRow("zero") << u"0"_s << false;
        QTest::newRow("garbage") << u"often"_s << false;
        QTest::newRow("two") << u"2"_s << false;
    }
    void showHelpValuesSetTheBox() {
        QFETCH(QString, stored);
        QFETCH(bool, checked);
        writeHelp(u"Help.rtf"_s, u"Help"_s);
        (void)writeSetting(*settings_, keys::showHelp, toStdString(stored));
        HelpWindow help(*settings_, folderHelpOnly());
        QVERIFY(help.loaded());
        QCOMPARE(child<QCheckBox>(help, "Check1")->isChecked(), checked);
        QCOMPARE(readSetting(*settings_, keys::showHelp), toStdString(stored));  // not rewritten
    }

    void builtInHelpIsReal() {
        HelpWindow help(*settings_, {QString::fromLatin1(kBuiltInHelpFile)});
        QVERIFY(help.loaded());
        const QString text = helpText(help);
        for (const char* caption : {"Auto-Insert", "Watch This Post", "Save and Close",
                                    "Show at Startup", "Check for new replies"}) {
            QVERIFY2(text.contains(QLatin1String(caption)), caption);
        }
        // It opens at the top of the text.
        help.show();
        QScrollBar* bar = child<QTextBrowser>(help, "rtf1")->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), 0);
    }

    void aboutShowsTheIdentity() {
        start(folderHelpOnly());
        windows_->openAbout();
        QPointer<AboutWindow> about = windows_->about();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), u"About Boardcast"_s);
        QCOMPARE(child<QLabel>(*about, "lblTitle")->text(), u"Boardcast"_s);
        QCOMPARE(child<QLabel>(*about, "lblVersion")->text(), u"2.0"_s);
        QCOMPARE(child<QLabel>(*about, "lblCompany")->text(), u"Quillfen"_s);
        QCOMPARE(child<QLabel>(*about, "lblWebsite")->text(), u"www.quillfen.example"_s);
        QVERIFY(!child<QLabel>(*about, "Image1")->pixmap().isNull());
        windows_->openAbout();
        QCOMPARE(windows_->about(), about.data());
    }

    void aboutsWebsiteLineOpensTheWebsite() {
        const QString site = page(u"site.html"_s, u"Makers"_s);
        start(folderHelpOnly(), site);
        windows_->openAbout();
        QVERIFY(!windows_->website());
        QTest::mouseClick(child<QLabel>(*windows_->about(), "lblWebsite"), Qt::LeftButton);
        QVERIFY(windows_->website());
        QVERIFY(windows_->website()->isVisible());
    }

    void websiteWindowFollowsItsPages() {
        const QString site = page(u"site.html"_s, u"Makers"_s);
        const QString other = page(u"other.html"_s, u"Other page"_s);
        start(folderHelpOnly(), site);
        windows_->openWebsite();
        QPointer<WebsiteWindow> w = windows_->website();
        QVERIFY(w);
        QVERIFY(w->isMaximized());
        QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(w->windowTitle(), u"www.quillfen.example"_s);
        QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle(), u"Makers"_s, 20000);
        QCOMPARE(child<QLineEdit>(*w, "Text1")->text(), site);
        QCOMPARE(panel(*w, 2), "Completed "_L1 + site);

        // Enter in the address box opens the typed address.
        auto* text1 = child<QLineEdit>(*w, "Text1");
        text1->setText(other);
        QSignalSpy loaded(w->webEngine().view(), &QWebEngineView::loadFinished);
        QTest::keyClick(text1, Qt::Key_Return);
        QVERIFY(loaded.wait(20000));
        QTRY_COMPARE(w->windowTitle(), u"Other page"_s);
        QCOMPARE(text1->text(), other);
        QCOMPARE(panel(*w, 2), "Completed "_L1 + other);

        // Opening it again only brings it up; it does not go back to the makers' site.
        windows_->openWebsite();
        QCOMPARE(windows_->website(), w.data());
        QCoreApplication::processEvents();
        QCOMPARE(toQString(w->webEngine().locationUrl()), other);

        // Closed, it is created afresh and goes to the site again.
        w->close();
        QTRY_VERIFY(!w);
        windows_->openWebsite();
        QVERIFY(windows_->website());
        QTRY_COMPARE_WITH_TIMEOUT(windows_->website()->windowTitle(), u"Makers"_s, 20000);
    }

    void websiteLayoutSurvivesTinySizes_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("normal") << QSize(900, 640);
        QTest::newRow("below the margins") << QSize(40, 30);
    }
    void websiteLayoutSurvivesTinySizes() {
        QFETCH(QSize, size);
        WebsiteWindow w("about:blank");
        w.show();
        w.resize(size);
        QCoreApplication::processEvents();
        const QRect outer = w.frameGeometry();
        const WebsiteLayout l =
            layoutWebsiteWindow(outer.width() * kTwipsPerPixel, outer.height() * kTwipsPerPixel,
                                child<QWidget>(w, "StatusBar1")->height() * kTwipsPerPixel);
        QCOMPARE(w.webEngine().view()->width(), l.browserWidth / kTwipsPerPixel);
        QCOMPARE(w.webEngine().view()->height(), l.browserHeight / kTwipsPerPixel);
        QCOMPARE(child<QLineEdit>(w, "Text1")->width(), l.addressWidth / kTwipsPerPixel);
        QCOMPARE(child<QWidget>(w, "frmBrowser")->width(), l.frameWidth / kTwipsPerPixel);
    }

    void closingTheMainWindowWhileTheWebsiteIsOpen() {
        writeHelp(u"Help.rtf"_s, u"Help"_s);
        start(folderHelpOnly(), page(u"site.html"_s, u"Makers"_s));
        QCoreApplication::processEvents();
        windows_->openWebsite();
        windows_->openTemplateEditor();
        windows_->openSavedMessages();
        QPointer<QWidget> help = windows_->help();
        QPointer<QWidget> editor = windows_->templateEditor();
        QPointer<QWidget> saved = windows_->savedMessages();
        QPointer<WebsiteWindow> site = windows_->website();
        QVERIFY(help && editor && saved && site);
        QFile::remove(path(u"posts.txt"_s));
        QSignalSpy finished(windows_.get(), &SecondaryWindows::finished);

        form_->close();
        QVERIFY(QFile::exists(path(u"posts.txt"_s)));  // the lists were written at once
        QVERIFY(!help && !editor && !saved);
        QVERIFY(windows_->exitPending());
        QCOMPARE(finished.count(), 0);
        QVERIFY(site && site->isVisible());

        site->close();
        QCOMPARE(finished.count(), 1);
    }

    void closingTheMainWindowAloneEndsTheProgram() {
        start(folderHelpOnly(), u"about:blank"_s);
        windows_->openAbout();
        windows_->openWebsite();
        windows_->website()->close();  // opened and closed again before the main window
        QSignalSpy finished(windows_.get(), &SecondaryWindows::finished);
        form_->close();
        QCOMPARE(finished.count(), 1);
        QVERIFY(!windows_->exitPending());
    }

    void savedMessagesOpensOnceAndAfreshAfterItsCloseBox() {
        start(folderHelpOnly());
        QFile::remove(path(u"messages.txt"_s));
        windows_->openSavedMessages();
        QPointer<SavedMessagesWindow> saved = windows_->savedMessages();
        QVERIFY(saved && saved->isVisible());  // shown with an empty list after the message
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().front().text,
                 u"you must first save a message before you can load one"_s);
        QCOMPARE(child<QListWidget>(*saved, "List1")->count(), 0);

        writeFile(u"messages.txt"_s, "hello[br]there|Greeting\r\n");
        windows_->openSavedMessages();  // already loaded: the file is not read again
        QCOMPARE(windows_->savedMessages(), saved.data());
        QCOMPARE(child<QListWidget>(*saved, "List1")->count(), 0);

        saved->close();
        QTRY_VERIFY(!saved);
        windows_->openSavedMessages();
        QCOMPARE(child<QListWidget>(*windows_->savedMessages(), "List1")->count(), 1);
    }

    void templateEditorKeepsItsStateUntilItsCloseBox() {
        start(folderHelpOnly());
        windows_->openTemplateEditor();
        QPointer<TemplateEditor> editor = windows_->templateEditor();
        QVERIFY(editor && editor->isVisible());
        child<QLineEdit>(*editor, "txtName_3")->setText(u"mine"_s);
        QTest::mouseClick(child<QPushButton>(*editor, "Command1"), Qt::LeftButton);
        QVERIFY(!editor->isVisible());
        windows_->openTemplateEditor();
        QCOMPARE(windows_->templateEditor(), editor.data());
        QVERIFY(editor->isVisible());

        child<QLineEdit>(*editor, "txtName_3")->setText(u"edited, not saved"_s);
        editor->close();
        QTRY_VERIFY(!editor);
        windows_->openTemplateEditor();
        QCOMPARE(child<QLineEdit>(*windows_->templateEditor(), "txtName_3")->text(), u"mine"_s);
    }

    void windowsKeepThePlainLookWithoutSkinning() {
        writeHelp(u"Help.rtf"_s, u"Help"_s);
        start(folderHelpOnly());
        QCoreApplication::processEvents();
        windows_->openAbout();
        windows_->openWebsite();
        windows_->openTemplateEditor();
        windows_->openSavedMessages();
        const QList<QWidget*> windows = {
            form_.get(),         windows_->help(),           windows_->about(),
            windows_->website(), windows_->templateEditor(), windows_->savedMessages()};
        const QRegularExpression mirrored(u"^SkinLabel\\d+_\\d+$"_s);
        for (QWidget* window : windows) {
            QVERIFY(window);
            for (QWidget* w : window->findChildren<QWidget*>()) {
                // Element 0 of an array may exist; copies are named SkinLabelN_M.
                QVERIFY2(!mirrored.match(w->objectName()).hasMatch(), qPrintable(w->objectName()));
                QVERIFY2(!w->testAttribute(Qt::WA_SetPalette), qPrintable(w->objectName()));
            }
        }
    }
};

QTEST_MAIN(SecondaryWindowsTest)
#include "secondary_windows_test.moc"
