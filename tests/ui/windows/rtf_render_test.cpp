// Our RTF documents in a QTextDocument: formats on the right characters, paragraph
// layout, and the shipped help file.

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "core/help/rtf_reader.h"
#include "ui/resources/resources.h"
#include "ui/windows/rtf_render.h"

using namespace boardcast;
using namespace Qt::StringLiterals;

namespace {

// One fragment of a block, with the character format parts that renderRtf sets.
struct Fragment {
    QString text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    qreal pointSize = 0;  // 0: the document's default
    bool monospace = false;

    bool operator==(const Fragment&) const = default;
};

QList<Fragment> fragmentsOf(const QTextBlock& block) {
    QList<Fragment> out;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        const QTextCharFormat c = f.charFormat();
        out.append({f.text(), c.fontWeight() == QFont::Bold, c.fontItalic(), c.fontUnderline(),
                    c.hasProperty(QTextFormat::FontPointSize) ? c.fontPointSize() : 0,
                    c.fontFixedPitch()});
    }
    return out;
}

QString describe(const QList<Fragment>& fragments) {
    QStringList parts;
    for (const Fragment& f : fragments) {
        parts << u"%1[%2%3%4%5 %6]"_s
                     .arg(f.text, f.bold ? u"b"_s : QString(), f.italic ? u"i"_s : QString(),
                          f.underline ? u"u"_s : QString(), f.monospace ? u"m"_s : QString())
                     .arg(f.pointSize);
    }
    return parts.join(u' ');
}

}  // namespace

class RtfRenderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initUiResources(); }
    void formatsLandOnTheirCharacters_data();
    void formatsLandOnTheirCharacters();
    void paragraphsBecomeBlocks();
    void hangingIndentLinesUpTheText();
    void renderingAgainReplacesTheDocument();
    void shippedHelpHasHeadingsAndLists();
};

void RtfRenderTest::formatsLandOnTheirCharacters_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QList<Fragment>>("fragments");
    const QString ls(QChar::LineSeparator);
    QTest::newRow("emphasis") << "{\\rtf1 a{\\b bold}{\\i it}{\\ul u}z}"_ba
                              << QList<Fragment>{{u"a"_s},
                                                 {u"bold"_s, true},
                                                 {u"it"_s, false, true},
                                                 {u"u"_s, false, false, true},
                                                 {u"z"_s}};
    QTest::newRow("sizes") << "{\\rtf1 {\\fs36 big}{\\fs17 small}x}"_ba
                           << QList<Fragment>{{u"big"_s, false, false, false, 18},
                                              {u"small"_s, false, false, false, 8.5},
                                              {u"x"_s}};
    QTest::newRow("line break and tab")
        << "{\\rtf1 {\\b a\\line b}\\tab c}"_ba
        << QList<Fragment>{{u"a"_s + ls + u"b"_s, true}, {u"\tc"_s}};
    QTest::newRow("non-ASCII") << "{\\rtf1 Gr\\u252?\\'dfe {\\i \\u321?\\u243?d\\u378?}}"_ba
                               << QList<Fragment>{{u"Grüße "_s}, {u"Łódź"_s, false, true}};
    QTest::newRow("code") << "{\\rtf1{\\fonttbl{\\f1\\fmodern Courier;}}run {\\f1 make}}"_ba
                          << QList<Fragment>{{u"run "_s},
                                             {u"make"_s, false, false, false, 0, true}};
}

void RtfRenderTest::formatsLandOnTheirCharacters() {
    QFETCH(QByteArray, rtf);
    QFETCH(QList<Fragment>, fragments);
    QTextDocument doc;
    renderRtf(readRtf(rtf.toStdString()), doc);
    QCOMPARE(doc.blockCount(), 1);
    const QList<Fragment> actual = fragmentsOf(doc.firstBlock());
    QVERIFY2(actual == fragments, qPrintable(describe(actual)));
}

void RtfRenderTest::paragraphsBecomeBlocks() {
    QTextDocument doc;
    renderRtf(readRtf("{\\rtf1 \\outlinelevel0\\b\\fs36 Title\\par\\pard\\plain "
                      "\\qc\\sb240\\sa120 centred\\par\\pard\\qr right\\par\\pard\\qj\\li720 "
                      "wide\\par\\pard\\par last}"),
              doc);
    QCOMPARE(doc.blockCount(), 6);
    const QTextBlock title = doc.findBlockByNumber(0);
    QCOMPARE(title.text(), u"Title"_s);
    QCOMPARE(title.blockFormat().headingLevel(), 1);
    QCOMPARE(title.charFormat().fontWeight(), int(QFont::Bold));
    const QTextBlock centred = title.next();
    QCOMPARE(centred.blockFormat().headingLevel(), 0);
    QCOMPARE(centred.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(centred.blockFormat().topMargin(), 16.0);
    QCOMPARE(centred.blockFormat().bottomMargin(), 8.0);
    QCOMPARE(centred.next().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    const QTextBlock wide = doc.findBlockByNumber(3);
    QCOMPARE(wide.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    QCOMPARE(wide.blockFormat().leftMargin(), 48.0);
    QCOMPARE(doc.findBlockByNumber(4).text(), QString());
    QCOMPARE(doc.findBlockByNumber(5).text(), u"last"_s);
}

// A list item: marker, tab, text that wraps. The text after the tab and the wrapped line
// start at the same x, the marker left of it.
void RtfRenderTest::hangingIndentLinesUpTheText() {
    QTextDocument doc;
    doc.setTextWidth(200);
    const QString words = u"word "_s.repeated(40);
    renderRtf(readRtf("{\\rtf1 \\li720\\fi-360 \\bullet\\tab " + words.toStdString() + "}"), doc);
    doc.documentLayout()->documentSize();  // lays the document out
    QTextLayout* layout = doc.firstBlock().layout();
    QVERIFY(layout->lineCount() > 1);
    const QTextLine first = layout->lineAt(0);
    const QTextLine second = layout->lineAt(1);
    const qreal textX = first.cursorToX(2);  // after the marker and the tab
    QCOMPARE(textX, second.cursorToX(second.textStart()));
    QVERIFY(first.cursorToX(0) < textX);
}

void RtfRenderTest::renderingAgainReplacesTheDocument() {
    QTextDocument doc;
    renderRtf(readRtf("{\\rtf1 {\\b one}\\par two\\par three}"), doc);
    renderRtf(readRtf("{\\rtf1 only}"), doc);
    QCOMPARE(doc.toPlainText(), u"only"_s);
    QCOMPARE(doc.firstBlock().charFormat().fontWeight(), int(QFont::Normal));
    renderRtf(RtfDocument{}, doc);
    QCOMPARE(doc.toPlainText(), QString());
}

// The help file built into the program, as the help window reads it.
void RtfRenderTest::shippedHelpHasHeadingsAndLists() {
    QFile file(u":/help/Help.rtf"_s);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QTextDocument doc;
    renderRtf(readRtf(file.readAll().toStdString()), doc);

    QStringList headings;
    int listItems = 0;
    qreal bodySize = doc.defaultFont().pointSizeF();
    for (QTextBlock b = doc.firstBlock(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() > 0) {
            headings << b.text();
            const QList<Fragment> parts = fragmentsOf(b);
            QVERIFY2(!parts.isEmpty(), "an empty heading");
            for (const Fragment& f : parts) {
                QVERIFY2(f.bold && f.pointSize > bodySize, qPrintable(b.text()));
            }
        }
        if (b.text().startsWith(u"\u2022\t"_s)) ++listItems;
    }
    const QStringList sections = {u"Getting started"_s,
                                  u"Writing a message and choosing a format"_s,
                                  u"Auto-insert and the paste buttons"_s,
                                  u"Saving and loading messages"_s,
                                  u"Templates"_s,
                                  u"Your forums and logins"_s,
                                  u"Watched posts and reply checks"_s,
                                  u"The website window"_s,
                                  u"Help and About"_s,
                                  u"Closing Boardcast"_s,
                                  u"The command line"_s,
                                  u"Where your data is kept"_s};
    QCOMPARE(headings, sections);
    QVERIFY(listItems >= 10);
    const QString text = doc.toPlainText();
    for (const QString& caption :
         {u"Auto-Insert"_s, u"Watch This Post"_s, u"Check for new replies"_s, u"Save and Close"_s,
          u"Show at Startup"_s, u"Custom Message Templates"_s, u"load a saved message"_s,
          u"New Replies"_s, u"Show All"_s, u"500 bytes"_s, u"boardcast convert"_s,
          u"--data-dir"_s}) {
        QVERIFY2(text.contains(caption), qPrintable(caption));
    }
}

QTEST_MAIN(RtfRenderTest)
#include "rtf_render_test.moc"
