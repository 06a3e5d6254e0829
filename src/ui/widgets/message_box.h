#pragma once
// Every message box of the program goes through here: modal, an OK button only (or Yes and
// No, or Yes, No and Cancel, for a question), its text shown as plain text, exactly. Tests switch
// to recording, so a box never blocks them and its texts can be read back.

#include <QString>
#include <QStringList>

class QWidget;

namespace boardcast {

class MessageBox {
public:
    enum class Icon { None, Warning, Information };

    static void show(QWidget* parent, const QString& title, const QString& text,
                     Icon icon = Icon::None);
    // A question with Yes and No; true for Yes. No is the default button.
    static bool ask(QWidget* parent, const QString& title, const QString& text);
    // A question with Yes, No and Cancel; Yes is the default button, Escape cancels.
    enum class Answer { Yes, No, Cancel };
    static Answer askOrCancel(QWidget* parent, const QString& title, const QString& text);

    // For tests: record instead of showing.
    static void setRecording(bool recording);
    struct Shown {
        QString title;
        QString text;
        Icon icon;
    };
    static const QList<Shown>& recorded();
    static void clearRecorded();
    // While recording: what the next questions are answered (Yes unless told otherwise).
    static void setNextAnswer(bool yes);
    static void setNextAnswer(Answer answer);
};

}  // namespace boardcast
