#pragma once
// A list whose entries show names (a thread's title, a forum's name) and stand for an
// address, kept as the entry's data. Type-ahead finds the typed text anywhere in an entry,
// not only at its start, so a word of a title finds the thread.

#include <QElapsedTimer>
#include <QListWidget>
#include <string>
#include <utility>
#include <vector>

#include "core/shell/list_entries.h"

class QLineEdit;

namespace boardcast {

// The filter box above a list, in twips, and how far down it moves the list.
inline constexpr int kFilterHeight = 285;
inline constexpr int kFilterShift = kFilterHeight + 45;

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

    // Fills the list anew, an entry for each address, keeping the current row where it can
    // and the filter; editable entries can be renamed in place. No signal is sent.
    using Entries = std::vector<std::pair<std::string, ListEntry>>;
    void refill(const Entries& entries, const QString& filter, bool editable = false);
    // Shows an entry's text, tip and mark.
    void showEntry(QListWidgetItem* item, const ListEntry& entry);
    // The rows the user selected that the filter shows, in list order.
    std::vector<int> selectedRows() const;
    // Nothing selected and no current row, without a signal.
    void clearChoice();

Q_SIGNALS:
    // The Delete key: the selected entries are to go, as their Remove button takes them.
    void deleteRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString typed_;
    QElapsedTimer sinceTyped_;
};

// A box whose text narrows a list to the entries that hold it (TitleList::showOnlyMatching).
QLineEdit* filterBox(QWidget* parent, const char* name, QRect geometry);

}  // namespace boardcast
