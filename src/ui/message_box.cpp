#include "ui/message_box.h"

#include <QMessageBox>

namespace boardcast {

namespace {

bool& recordingFlag() {
    static bool recording = false;
    return recording;
}

bool& nextAnswer() {
    static bool yes = true;
    return yes;
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
        return nextAnswer();
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

void MessageBox::setRecording(bool recording) {
    recordingFlag() = recording;
}

void MessageBox::setNextAnswer(bool yes) {
    nextAnswer() = yes;
}

const QList<MessageBox::Shown>& MessageBox::recorded() {
    return shownBoxes();
}

void MessageBox::clearRecorded() {
    shownBoxes().clear();
}

}  // namespace boardcast
