#include "ui/widgets/message_box.h"

#include <QMessageBox>

namespace boardcast {

namespace {

bool& recordingFlag() {
    static bool recording = false;
    return recording;
}

MessageBox::Answer& nextAnswer() {
    static MessageBox::Answer answer = MessageBox::Answer::Yes;
    return answer;
}

QList<MessageBox::Shown>& shownBoxes() {
    static QList<MessageBox::Shown> shown;
    return shown;
}

}  // namespace

void MessageBox::show(QWidget* parent, const QString& title, const QString& text, Icon icon) {
    if (recordingFlag()) {
        shownBoxes().append({title, text, icon});
        return;
    }
    QMessageBox box(icon == Icon::Warning       ? QMessageBox::Warning
                    : icon == Icon::Information ? QMessageBox::Information
                                                : QMessageBox::NoIcon,
                    title, text, QMessageBox::Ok, parent);
    // Our boxes show texts as they are: markup in a message or a page's text is not drawn.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool MessageBox::ask(QWidget* parent, const QString& title, const QString& text) {
    if (recordingFlag()) {
        shownBoxes().append({title, text, Icon::None});
        return nextAnswer() == Answer::Yes;
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

MessageBox::Answer MessageBox::askOrCancel(QWidget* parent, const QString& title,
                                           const QString& text) {
    if (recordingFlag()) {
        shownBoxes().append({title, text, Icon::None});
        return nextAnswer();
    }
    QMessageBox box(QMessageBox::Question, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

void MessageBox::setRecording(bool recording) {
    recordingFlag() = recording;
}

void MessageBox::setNextAnswer(bool yes) {
    nextAnswer() = yes ? Answer::Yes : Answer::No;
}

void MessageBox::setNextAnswer(Answer answer) {
    nextAnswer() = answer;
}

const QList<MessageBox::Shown>& MessageBox::recorded() {
    return shownBoxes();
}

void MessageBox::clearRecorded() {
    shownBoxes().clear();
}

}  // namespace boardcast
