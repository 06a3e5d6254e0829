// The saved-messages window, offscreen, beside a main window on a temporary data folder.

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <iterator>
#include <memory>

#include "core/shell/product_identity.h"
#include "core/storage/settings_keys.h"
#include "platform/qt_strings.h"
#include "ui/main/main_window.h"
#include "ui/widgets/message_box.h"
#include "ui/windows/saved_messages_window.h"

using namespace boardcast;

class Form3Test : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MemorySettingsStore> settings_;
    std::unique_ptr<MainWindow> main_;
    QPointer<SavedMessagesWindow> form_;

    QString messagesPath() const { return dir_->filePath(QStringLiteral("messages.txt")); }
    std::string readMessages() const {
        std::ifstream in(toStdString(messagesPath()), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void writeMessages(const std::string& bytes) const {
        std::ofstream(toStdString(messagesPath()), std::ios::binary) << bytes;
    }
    void replaceMessagesByFolder() const {
        QFile::remove(messagesPath());
        QVERIFY(QDir().mkdir(messagesPath()));
    }
    SavedMessagesWindow& open() {
        form_ = new SavedMessagesWindow(*main_);
        form_->show();
        return *form_;
    }
    template <class T>
    T* child(const char* name) {
        T* widget = form_->findChild<T*>(QLatin1String(name));
        if (!widget) qFatal("no control %s", name);
        return widget;
    }
    QListWidget* list() { return child<QListWidget>("List1"); }
    QStringList entries() {
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i) texts << list()->item(i)->text();
        return texts;
    }
    QPoint entryPoint(int row) { return list()->visualItemRect(list()->item(row)).center(); }
    void click(int row) {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, entryPoint(row));
    }
    void doubleClick(int row) {
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, entryPoint(row));
    }
    static QString title() { return toQString(productIdentity().productName); }

private Q_SLOTS:
    void initTestCase() { MessageBox::setRecording(true); }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        settings_ = std::make_unique<MemorySettingsStore>();
        main_ = std::make_unique<MainWindow>(toStdString(dir_->path()), *settings_, "about:blank");
        MessageBox::clearRecorded();
    }
    void cleanup() {
        delete form_.data();
        main_.reset();
    }

    void freshFileListsOneBlankEntry() {
        open();
        QCOMPARE(form_->windowTitle(), QStringLiteral("load a saved message"));
        QCOMPARE(entries(), QStringList{QString()});
        main_->setMessageText("kept");
        doubleClick(0);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded()[0].title, title());
        QCOMPARE(MessageBox::recorded()[0].text, QStringLiteral("cannot insert a blank message"));
        QCOMPARE(main_->messageText(), std::string("kept"));
    }

    void listShowsLinesRawInFileOrder() {
        writeMessages("a[br]b|S\r\n\r\nbare\r\nx|y|z\r\nlf\ninside\r\n");
        open();
        QCOMPARE(entries(),
                 (QStringList{QStringLiteral("a[br]b|S"), QString(), QStringLiteral("bare"),
                              QStringLiteral("x|y|z"), QStringLiteral("lf\ninside")}));
    }

    void clickShowsTheRecord_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("preview");
        QTest::addColumn<QString>("subject");
        QTest::newRow("lines and subject") << "A[br]B|S"
                                           << "A\nB"
                                           << "S";
        QTest::newRow("markers in any case") << "one[BR]two[bR]three|"
                                             << "one\ntwo\nthree"
                                             << "";
        QTest::newRow("no bar keeps subject") << "hand written"
                                              << "hand written"
                                              << "before";
        QTest::newRow("third piece ignored") << "m|s|rest"
                                             << "m"
                                             << "s";
        QTest::newRow("bar in message") << "price a|b|Real"
                                        << "price a"
                                        << "b";
        QTest::newRow("empty message") << "|only subject"
                                       << ""
                                       << "only subject";
        QTest::newRow("empty line changes nothing") << ""
                                                    << "shown before"
                                                    << "before";
    }
    void clickShowsTheRecord() {
        QFETCH(QString, line);
        QFETCH(QString, preview);
        QFETCH(QString, subject);
        writeMessages(toStdString(line) + "\r\n");
        open();
        child<QPlainTextEdit>("Text1")->setPlainText(QStringLiteral("shown before"));
        child<QLineEdit>("txtSubject")->setText(QStringLiteral("before"));
        click(0);
        QCOMPARE(child<QPlainTextEdit>("Text1")->toPlainText(), preview);
        QCOMPARE(child<QLineEdit>("txtSubject")->text(), subject);
        QVERIFY(MessageBox::recorded().isEmpty());
    }

    void entryWithoutBarKeepsTheOlderSubject() {
        writeMessages("first|Older\r\nsecond\r\n");
        open();
        click(0);
        click(1);
        QCOMPARE(child<QPlainTextEdit>("Text1")->toPlainText(), QStringLiteral("second"));
        QCOMPARE(child<QLineEdit>("txtSubject")->text(), QStringLiteral("Older"));
    }

    void doubleClickFillsTheMainWindow() {
        writeMessages("Hello[br]World|Greeting\r\nno subject here\r\n");
        open();
        main_->setSubjectText("typed");
        doubleClick(0);
        QCOMPARE(main_->messageText(), std::string("Hello\r\nWorld"));
        QCOMPARE(main_->subjectText(), std::string("Greeting"));
        QCOMPARE(readSetting(*settings_, keys::lastSubject), std::string("Greeting"));
        doubleClick(1);
        QCOMPARE(main_->messageText(), std::string("no subject here"));
        QCOMPARE(main_->subjectText(), std::string("Greeting"));
        QVERIFY(form_->isVisible());
        QVERIFY(MessageBox::recorded().isEmpty());
    }

    void blankRecordSetsNeitherBox_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("empty message, subject") << "|Subject only\r\n";
        QTest::newRow("bar alone") << "|\r\n";
    }
    void blankRecordSetsNeitherBox() {
        QFETCH(QString, file);
        writeMessages(toStdString(file));
        open();
        main_->setMessageText("mine");
        main_->setSubjectText("my subject");
        doubleClick(0);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded()[0].text, QStringLiteral("cannot insert a blank message"));
        QCOMPARE(main_->messageText(), std::string("mine"));
        QCOMPARE(main_->subjectText(), std::string("my subject"));
        QCOMPARE(readSetting(*settings_, keys::lastSubject), std::string("my subject"));
    }

    void doubleClickWithNothingSelectedIsBlank() {
        writeMessages("real|S\r\n");
        open();
        main_->setMessageText("mine");
        const QPoint below(10, list()->viewport()->height() - 5);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, below);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded()[0].text, QStringLiteral("cannot insert a blank message"));
        QCOMPARE(main_->messageText(), std::string("mine"));
    }

    void focusAloneShowsNothingAndKeysPreview() {
        writeMessages("first|One\r\nsecond|Two\r\n");
        open();
        form_->activateWindow();
        list()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(list()->hasFocus());
        QCOMPARE(child<QPlainTextEdit>("Text1")->toPlainText(), QString());
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {},
                           QPoint(10, list()->viewport()->height() - 5));
        QCOMPARE(MessageBox::recorded().size(), 1);  // nothing selected: blank

        QTest::keyClick(list(), Qt::Key_Down);
        QTest::keyClick(list(), Qt::Key_Down);
        QCOMPARE(child<QPlainTextEdit>("Text1")->toPlainText(), QStringLiteral("second"));
        QCOMPARE(child<QLineEdit>("txtSubject")->text(), QStringLiteral("Two"));
    }

    void deleteRemovesEveryEqualLineAndKeepsThePreview() {
        writeMessages("dup|1\r\nother|2\r\ndup|1\r\n");
        open();
        click(0);
        child<QPushButton>("Command1")->click();
        QCOMPARE(readMessages(), std::string("other|2\r\n\r\n"));
        QCOMPARE(entries(), (QStringList{QStringLiteral("other|2"), QString()}));
        QCOMPARE(child<QPlainTextEdit>("Text1")->toPlainText(), QStringLiteral("dup"));
        QCOMPARE(child<QLineEdit>("txtSubject")->text(), QStringLiteral("1"));

        click(0);
        child<QPushButton>("Command1")->click();
        QCOMPARE(readMessages(), std::string("\r\n\r\n"));
        QCOMPARE(entries(), (QStringList{QString(), QString()}));
        QVERIFY(MessageBox::recorded().isEmpty());
    }

    void deleteWithoutSelectionRemovesOnlyEmptyLines() {
        writeMessages("a|1\r\n\r\nb|2\r\n\r\n");
        open();
        QVERIFY(list()->selectedItems().isEmpty());
        child<QPushButton>("Command1")->click();
        QCOMPARE(readMessages(), std::string("a|1\r\nb|2\r\n\r\n"));
        QCOMPARE(entries(), (QStringList{QStringLiteral("a|1"), QStringLiteral("b|2"), QString()}));
    }

    void deleteFailureIsShownAndTheListKept() {
        writeMessages("a|1\r\nb|2\r\n");
        open();
        click(1);
        replaceMessagesByFolder();
        child<QPushButton>("Command1")->click();
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded()[0].title, title());
        QVERIFY(MessageBox::recorded()[0].text.startsWith(
            QStringLiteral("The message was not deleted.")));
        QVERIFY(MessageBox::recorded()[0].text.contains(QStringLiteral("messages.txt")));
        QCOMPARE(entries(), (QStringList{QStringLiteral("a|1"), QStringLiteral("b|2")}));
    }

    void missingFileIsReportedAndTheWindowHidden() {
        QVERIFY(QFile::remove(messagesPath()));
        form_ = new SavedMessagesWindow(*main_);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded()[0].title, title());
        QCOMPARE(MessageBox::recorded()[0].text,
                 QStringLiteral("you must first save a message before you can load one"));
        QVERIFY(!form_->isVisible());
        QVERIFY(!QFile::exists(messagesPath()));
        form_->show();  // as the main window's command does
        QCOMPARE(list()->count(), 0);
    }

    void unreadableFileIsReported() {
        replaceMessagesByFolder();
        open();
        QCOMPARE(MessageBox::recorded().size(), 1);
        QVERIFY(MessageBox::recorded()[0].text.startsWith(
            QStringLiteral("The saved messages could not be read.")));
        QCOMPARE(list()->count(), 0);
    }

    void aSaveMeanwhileShowsAtOnce() {
        writeMessages("old|O\r\n");
        open();
        main_->setMessageText("new one");
        main_->setSubjectText("N");
        main_->saveCurrentMessage();
        QCOMPARE(readMessages(), std::string("old|O\r\nnew one|N\r\n"));
        QCOMPARE(entries(), (QStringList{QStringLiteral("old|O"), QStringLiteral("new one|N")}));
        doubleClick(1);
        QCOMPARE(main_->messageText(), std::string("new one"));
    }

    // A line of an older file in Windows 1252 is shown decoded, loaded decoded, and deleted
    // by its own bytes.
    void legacyLinesAreShownLoadedAndDeleted() {
        writeMessages("caf\xE9 \x93quoted\x94[br]line|Men\xFC\r\nutf8 caf\xC3\xA9|S\r\n");
        open();
        QCOMPARE(entries(),
                 (QStringList{QStringLiteral("caf\u00e9 \u201cquoted\u201d[br]line|Men\u00fc"),
                              QStringLiteral("utf8 caf\u00e9|S")}));
        click(0);
        QCOMPARE(child<QPlainTextEdit>("Text1")->toPlainText(),
                 QStringLiteral("caf\u00e9 \u201cquoted\u201d\nline"));
        QCOMPARE(child<QLineEdit>("txtSubject")->text(), QStringLiteral("Men\u00fc"));
        doubleClick(0);
        QCOMPARE(main_->messageText(),
                 std::string("caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D\r\nline"));
        click(0);
        child<QPushButton>("Command1")->click();
        QCOMPARE(readMessages(), std::string("utf8 caf\xC3\xA9|S\r\n\r\n"));
        QVERIFY(MessageBox::recorded().isEmpty());
    }

    void keepsTheDesignPositionsAndGrowsThePreview() {
        open();
        QCOMPARE(form_->size(), QSize(7410 / 15, 5190 / 15));
        QCOMPARE(list()->geometry(), QRect(0, 64, 493, 108));
        QCOMPARE(child<QPushButton>("Command1")->geometry(), QRect(4, 312, 93, 29));
        form_->resize(700, 500);
        QCOMPARE(child<QPlainTextEdit>("Text1")->geometry(), QRect(0, 196, 493 + 206, 109 + 154));
        QCOMPARE(child<QPushButton>("Command1")->pos(), QPoint(4, 312 + 154));
    }
};

QTEST_MAIN(Form3Test)
#include "saved_messages_window_test.moc"
