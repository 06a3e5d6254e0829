#include "ui/main/message_editor.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "core/conversion/message_output.h"
#include "platform/qt_strings.h"
#include "ui/widgets/twips.h"

namespace boardcast {

MessageEditor::MessageEditor(SettingsStore& settings, std::function<void(const Error&)> storeFailed,
                             QWidget* parent)
    : QGroupBox(QStringLiteral("Message Editor"), parent),
      settings_(settings),
      storeFailed_(std::move(storeFailed)) {
    setObjectName(QStringLiteral("Frame1"));
    label(this, "Subject:", 120, 360);
    subjectEdit = place(new QLineEdit(this), "txtSubject", tw(900, 300, 1995, 285));
    auto* pasteSubject = button(this, "cmdPaste0", "Paste", tw(2940, 300, 675, 315),
                                "Click within the Subject field on the form you want to paste "
                                "into, then click here.");
    label(this, "Message:", 120, 660);
    messageEdit = place(new QPlainTextEdit(this), "txtMessage", tw(120, 900, 3495, 1755));
    auto* pasteMessage = button(this, "cmdPaste3", "Paste Message", tw(120, 2700, 3495, 375),
                                "Click within the message area on the form you want to paste "
                                "into, then click here.");
    setMessageText(std::string(kIntroductoryMessage));

    connect(subjectEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (Status s = storeSubject(settings_, toStdString(text)); !s) storeFailed_(s.error());
    });
    messageStore_ = new QTimer(this);
    messageStore_->setSingleShot(true);
    messageStore_->setInterval(kStoreDelayMs);
    connect(messageStore_, &QTimer::timeout, this, [this] {
        if (Status s = storeMessage(settings_, messageText()); !s) storeFailed_(s.error());
    });
    connect(messageEdit, &QPlainTextEdit::textChanged, messageStore_, qOverload<>(&QTimer::start));
    messageEdit->installEventFilter(this);
    messageEdit->setTabChangesFocus(true);
    connect(pasteSubject, &QPushButton::clicked, this, [this] { Q_EMIT pasteRequested(0); });
    connect(pasteMessage, &QPushButton::clicked, this, [this] { Q_EMIT pasteRequested(3); });
}

// The box's raw text keeps what toPlainText() would change (a no-break space turns into a
// space there). Its own paragraph separators are the line breaks, CR LF; a line separator
// stands for a lone CR that was put into it.
std::string MessageEditor::messageText() const {
    QString text = messageEdit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QLatin1Char('\r'));
    return toStdString(text);
}

void MessageEditor::setMessageText(const std::string& text) {
    // CR LF is a line break of the box; a lone CR would become one too and come back as
    // CR LF, so it goes in as a line separator, shown as a break within the paragraph.
    QString shown = toQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QChar::LineSeparator);
    messageEdit->setPlainText(shown);
}

std::string MessageEditor::subjectText() const {
    return toStdString(subjectEdit->text());
}

void MessageEditor::setSubjectText(const std::string& text) {
    subjectEdit->setText(toQString(text));
}

void MessageEditor::clearMessage() {
    QTextCursor all(messageEdit->document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    subjectEdit->clear();  // stored at once, as every change of the subject
    messageEdit->setFocus();
}

// Shift+Return would put a line separator into the box, which the message keeps as a lone
// CR; it breaks the line as Return does. Ctrl+Tab types a tab; Tab moves on.
bool MessageEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == messageEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool isReturn = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (isReturn && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
            QTextCursor cursor = messageEdit->textCursor();
            cursor.insertText(QStringLiteral("\n"));  // a block break; replaces a selection
            messageEdit->setTextCursor(cursor);
            return true;
        }
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            messageEdit->insertPlainText(QStringLiteral("\t"));
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

}  // namespace boardcast
