#pragma once
// A list whose entries show names (a thread's title, a forum's name) and stand for an
// address, kept as the entry's data. Type-ahead finds the typed text anywhere in an entry,
// not only at its start, so a word of a title finds the thread.

#include <QElapsedTimer>
#include <QListWidget>

namespace boardcast {

class TitleList final : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

    static constexpr int kAddressRole = Qt::UserRole;
    // The address an entry stands for.
    static QString addressOf(const QListWidgetItem* item);

    // Hides the entries whose text and address both lack wanted (blanks around it ignored,
    // letter case too); an empty one shows all.
    void showOnlyMatching(const QString& wanted);

    void keyboardSearch(const QString& search) override;

private:
    QString typed_;
    QElapsedTimer sinceTyped_;
};

}  // namespace boardcast
