#pragma once
// The message editor of the main window (design frame Frame1): the subject and message boxes
// with their Paste buttons. The subject is stored at each change, the message a second after
// the typing stops, so that a crash loses at most that second.

#include <QGroupBox>
#include <functional>
#include <string>

#include "core/result.h"
#include "core/storage/settings_store.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace boardcast {

class MessageEditor final : public QGroupBox {
    Q_OBJECT

public:
    // settings must outlive this; storeFailed hears of each store that failed.
    MessageEditor(SettingsStore& settings, std::function<void(const Error&)> storeFailed,
                  QWidget* parent);

    // The boxes' texts, with CR LF line breaks.
    std::string messageText() const;
    void setMessageText(const std::string& text);
    std::string subjectText() const;
    void setSubjectText(const std::string& text);
    // Empties both boxes; Ctrl+Z brings the message back (in the subject box, the subject).
    void clearMessage();
    QPlainTextEdit* messageBox() const { return messageEdit; }

Q_SIGNALS:
    // A Paste button: 0 the subject, 3 the message.
    void pasteRequested(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kStoreDelayMs = 1000;

    SettingsStore& settings_;
    std::function<void(const Error&)> storeFailed_;
    QTimer* messageStore_ = nullptr;  // stores the message once the typing pauses
    QLineEdit* subjectEdit = nullptr;
    QPlainTextEdit* messageEdit = nullptr;
};

}  // namespace boardcast
