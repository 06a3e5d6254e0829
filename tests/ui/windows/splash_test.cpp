// The splash window's start-up delay, the built-in home page and the command buttons'
// pictures, offscreen.

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include "core/shell/product_identity.h"
#include "platform/qt_strings.h"
#include "ui/icons/command_icons.h"
#include "ui/resources/resources.h"
#include "ui/windows/splash_window.h"

using namespace boardcast;
using namespace Qt::StringLiterals;

class SplashTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initUiResources(); }

    void finishesOnceAfterSeventyFiveTicks();
    void homePageIsBuiltInAndNamesTheControls();
    void homePageLoadsInTheBrowser();
    void websitePageIsBuiltInWithTheProductIdentity();
    void commandIconsAreDistinctPictures();

private:
    static QByteArray homePage();
};

QByteArray SplashTest::homePage() {
    // kHomePage is what the browser opens; its path is the resource's path.
    QFile file(u":"_s + QUrl(QString::fromLatin1(kHomePage)).path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SplashTest::finishesOnceAfterSeventyFiveTicks() {
    SplashWindow splash;
    QCOMPARE(splash.objectName(), u"frmSplash"_s);
    auto* timer = splash.findChild<QTimer*>(u"Timer2"_s);
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 2);
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));

    QSignalSpy ticks(timer, &QTimer::timeout);
    QSignalSpy finished(&splash, &SplashWindow::finished);
    // The main window is shown from finished(); the splash must still be up at that moment
    // so that the screen never goes empty in between.
    bool visibleWhenFinished = false;
    int valueWhenFinished = 0;
    connect(&splash, &SplashWindow::finished, this, [&] {
        visibleWhenFinished = splash.isVisible();
        valueWhenFinished = splash.progress;
    });

    splash.start();
    QVERIFY(splash.isVisible());
    QVERIFY(timer->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
    QCOMPARE(ticks.count(), 75);
    QCOMPARE(valueWhenFinished, 150);
    QVERIFY(visibleWhenFinished);
    QVERIFY(!timer->isActive());
    QVERIFY(splash.isHidden());

    // Nothing more happens: the splash waits, hidden, for the end of the program.
    QTest::qWait(50);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(ticks.count(), 75);
    QCOMPARE(splash.progress, 150);
}

void SplashTest::homePageIsBuiltInAndNamesTheControls() {
    QCOMPARE(QUrl(QString::fromLatin1(kHomePage)).scheme(), u"qrc"_s);
    const QString page = QString::fromUtf8(homePage());
    QVERIFY(!page.isEmpty());
    // Start-up never waits for the network: nothing on the page is fetched from elsewhere.
    static const QRegularExpression external(
        uR"((src|href)\s*=\s*["']?\s*(https?:|//|file:)|url\s*\(|@import)"_s,
        QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(!page.contains(external), qPrintable(external.match(page).captured()));

    for (const QString& caption :
         {u"Auto-Insert"_s, u"Preview"_s, u"Copy"_s, u"Save"_s, u"Load"_s, u"Options"_s,
          u"Watch This Post"_s, u"Remove Watch"_s, u"Check for new replies"_s, u"Add Current URL"_s,
          u"Remove URL"_s, u"Paste"_s, u"Paste Message"_s, u"Your Forums"_s, u"Your Posts"_s,
          u"Show All"_s, u"New Replies "_s, u"http://"_s, u"500 bytes"_s}) {
        QVERIFY2(page.contains(caption), qPrintable(caption));
    }
}

void SplashTest::homePageLoadsInTheBrowser() {
    QWebEngineView view;
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    view.load(QUrl(QString::fromLatin1(kHomePage)));
    QVERIFY(loaded.wait(20000));
    QVERIFY(loaded.first().first().toBool());
    QCOMPARE(view.title(), u"Welcome to Boardcast"_s);
}

// The website window's page presents the makers and the product with the identity's texts,
// and loads without the network.
void SplashTest::websitePageIsBuiltInWithTheProductIdentity() {
    const QUrl url(QString::fromLatin1(kWebsitePage));
    QCOMPARE(url.scheme(), u"qrc"_s);
    QFile file(u":"_s + url.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll());
    static const QRegularExpression external(
        uR"((src|href)\s*=\s*["']?\s*(https?:|//|file:)|url\s*\(|@import)"_s,
        QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(!page.contains(external), qPrintable(external.match(page).captured()));
    const ProductIdentity& identity = productIdentity();
    const QString version = QStringLiteral("%1 %2.%3")
                                .arg(toQString(identity.productName))
                                .arg(identity.versionMajor)
                                .arg(identity.versionMinor);
    for (const QString& text : {toQString(identity.productName), toQString(identity.companyName),
                                toQString(identity.webSiteText), version}) {
        QVERIFY2(page.contains(text), qPrintable(text));
    }
    QWebEngineView view;
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    view.load(url);
    QVERIFY(loaded.wait(20000));
    QVERIFY(loaded.first().first().toBool());
    QCOMPARE(view.title(), toQString(identity.companyName) + u" - makers of "_s +
                               toQString(identity.productName));
}

void SplashTest::commandIconsAreDistinctPictures() {
    const CommandIcon all[] = {CommandIcon::AutoInsert, CommandIcon::Preview, CommandIcon::Copy,
                               CommandIcon::Save,       CommandIcon::Load,    CommandIcon::Options};
    QList<QImage> seen;
    for (CommandIcon which : all) {
        const QIcon icon = commandIcon(which);
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(32, 32).toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        int covered = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) covered += qAlpha(image.pixel(x, y)) > 128;
        }
        // A picture, not a speck: at least a fifth of the square is painted.
        QVERIFY2(covered > 32 * 32 / 5, qPrintable(QString::number(covered)));
        QVERIFY(!seen.contains(image));
        seen.append(image);
    }
}

QTEST_MAIN(SplashTest)
#include "splash_test.moc"
