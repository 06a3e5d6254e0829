#pragma once
// The saved-messages window (design window Form3): lists every line of messages.txt raw, previews
// the clicked record decoded, puts a double-clicked record into the main window and deletes
// records. It is a top-level, non-modal window that deletes itself when closed with its close box;
// the opener keeps a QPointer and creates a fresh one (which reads the file again) next time.
// Each row keeps its line's bytes as the file holds them: the list, the preview and the main
// window get the text decoded (UTF-8, else Windows 1252), and delete compares the bytes. The
// list is read again whenever the main window saves a message.

#include <QWidget>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace boardcast {

class MainWindow;

class SavedMessagesWindow final : public QWidget {
    Q_OBJECT

public:
    // The window's load: fills List1 from messages.txt in main.appFolder(). When the file does
    // not exist, shows "you must first save a message before you can load one" and hides;
    // showing the window afterwards shows an empty list. main must outlive the window.
    explicit SavedMessagesWindow(MainWindow& main, QWidget* parent = nullptr);

    // Single click: shows the row's record in Text1 and, when it has a subject, in txtSubject.
    // An empty line or a row outside the list changes nothing.
    void previewEntry(int row);
    // Double click anywhere in the list, with row = the selected entry: puts the record into
    // the main window's message box and, when it has a subject, its subject box (which stores
    // "lastSubject"). A blank record, or no row, shows "cannot insert a blank message" and
    // changes nothing.
    void insertEntry(int row);
    // "delete message": deletes every line equal to the selected entry (the empty string when
    // none is selected), then refills the list. A failure is shown and the list is kept.
    void deleteSelectedMessage();
    // Reads messages.txt into the list again. A failure is shown and the list is kept.
    void refillList();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int selectedRow() const;
    void fillList(const std::vector<std::string>& lines);
    void showError(const QString& text);

    MainWindow& main_;
    std::vector<std::string> rows_;  // the lines of messages.txt, byte for byte
    QLabel* titleLabel = nullptr;
    QLabel* loadHintLabel = nullptr;
    QLabel* viewHintLabel = nullptr;
    QListWidget* messagesList = nullptr;
    QLabel* subjectLabel = nullptr;
    QLineEdit* subjectEdit = nullptr;
    QPlainTextEdit* messageView = nullptr;
    QPushButton* deleteButton = nullptr;
};

}  // namespace boardcast
