#include "ui/windows/rtf_render.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextOption>

#include <algorithm>

#include "platform/qt_strings.h"

namespace boardcast {
namespace {

// QTextDocument lengths are pixels at 96 per inch; RTF's are twips, 1440 per inch.
qreal pixels(int twips) {
    return twips / 15.0;
}

Qt::Alignment alignmentOf(RtfAlignment a) {
    switch (a) {
        case RtfAlignment::Center:
            return Qt::AlignHCenter;
        case RtfAlignment::Right:
            return Qt::AlignRight;
        case RtfAlignment::Justify:
            return Qt::AlignJustify;
        case RtfAlignment::Left:
            break;
    }
    return Qt::AlignLeft;
}

QTextBlockFormat blockFormatOf(const RtfParagraph& p) {
    QTextBlockFormat f;
    f.setAlignment(alignmentOf(p.alignment));
    const int left = std::max(p.leftIndentTwips, 0);
    f.setLeftMargin(pixels(left));
    // A first line never starts left of the page.
    f.setTextIndent(pixels(std::max(p.firstLineIndentTwips, -left)));
    f.setTopMargin(pixels(p.spaceBeforeTwips));
    f.setBottomMargin(pixels(p.spaceAfterTwips));
    if (p.outlineLevel >= 0) f.setHeadingLevel(std::min(p.outlineLevel + 1, 6));
    // A hanging indent has an implicit tab stop at the left indent, so that the text after a
    // list marker and its tab lines up with the following lines. Qt measures tab positions
    // from the start of the first line.
    if (f.textIndent() < 0)
        f.setTabPositions({QTextOption::Tab(-f.textIndent(), QTextOption::LeftTab)});
    return f;
}

QTextCharFormat charFormatOf(const RtfRun& run) {
    QTextCharFormat f;
    f.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(run.italic);
    f.setFontUnderline(run.underline);
    if (run.fontSizeHalfPoints > 0) f.setFontPointSize(run.fontSizeHalfPoints / 2.0);
    if (run.monospace) {
        f.setFontFamilies({QStringLiteral("monospace")});
        f.setFontStyleHint(QFont::TypeWriter);
        f.setFontFixedPitch(true);
    }
    return f;
}

}  // namespace

void renderRtf(const RtfDocument& rtf, QTextDocument& doc) {
    doc.clear();
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    for (size_t i = 0; i < rtf.paragraphs.size(); ++i) {
        const RtfParagraph& p = rtf.paragraphs[i];
        // The block's own character format (its height when empty, its end mark) is that of
        // its first run. The cleared document already holds the first paragraph's block.
        const QTextCharFormat blockChars =
            p.runs.empty() ? QTextCharFormat() : charFormatOf(p.runs[0]);
        if (i == 0) {
            cursor.setBlockFormat(blockFormatOf(p));
            cursor.setBlockCharFormat(blockChars);
        } else {
            cursor.insertBlock(blockFormatOf(p), blockChars);
        }
        for (const RtfRun& run : p.runs) {
            QString text = toQString(run.text);
            text.replace(QLatin1Char('\n'), QChar::LineSeparator);
            cursor.insertText(text, charFormatOf(run));
        }
    }
    cursor.endEditBlock();
}

}  // namespace boardcast
