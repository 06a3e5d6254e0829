#include "ui/widgets/title_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>

#include "platform/qt_strings.h"

namespace boardcast {

QString TitleList::addressOf(const QListWidgetItem* item) {
    const QVariant address = item->data(kAddressRole);
    return address.isValid() ? address.toString() : item->text();
}

void TitleList::showOnlyMatching(const QString& wanted) {
    const QString text = wanted.trimmed();
    for (int row = 0; row < count(); ++row) {
        QListWidgetItem* entry = item(row);
        entry->setHidden(!text.isEmpty() && !entry->text().contains(text, Qt::CaseInsensitive) &&
                         !addressOf(entry).contains(text, Qt::CaseInsensitive));
    }
}

void TitleList::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Delete)) {
        Q_EMIT deleteRequested();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TitleList::keyboardSearch(const QString& search) {
    if (search.isEmpty() || count() == 0) return;
    // Keys typed in quick succession make one search text, as in any list.
    const bool goesOn =
        sinceTyped_.isValid() && sinceTyped_.elapsed() < QApplication::keyboardInputInterval();
    typed_ = goesOn ? typed_ + search : search;
    sinceTyped_.restart();
    // A new search starts after the current entry, so typing the same letter again moves on.
    const int first = std::max(0, currentRow()) + (goesOn ? 0 : 1);
    for (int i = 0; i < count(); ++i) {
        QListWidgetItem* candidate = item((first + i) % count());
        if (!candidate->isHidden() && candidate->text().contains(typed_, Qt::CaseInsensitive)) {
            setCurrentItem(candidate);
            scrollToItem(candidate);
            return;
        }
    }
}

void TitleList::refill(const Entries& entries, const QString& filter, bool editable) {
    const int row = currentRow();
    const QSignalBlocker block(this);
    clear();
    for (const auto& [address, shown] : entries) {
        auto* entry = new QListWidgetItem(this);
        entry->setData(kAddressRole, toQString(address));
        if (editable) entry->setFlags(entry->flags() | Qt::ItemIsEditable);
        showEntry(entry, shown);
    }
    if (row >= 0 && row < count()) setCurrentRow(row);
    showOnlyMatching(filter);
}

void TitleList::showEntry(QListWidgetItem* item, const ListEntry& entry) {
    item->setText(toQString(entry.text));
    item->setToolTip(toQString(entry.tip));
    item->setIcon(entry.marked ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
}

std::vector<int> TitleList::selectedRows() const {
    std::vector<int> rows;
    for (QListWidgetItem* item : selectedItems()) {
        if (!item->isHidden()) rows.push_back(row(item));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TitleList::clearChoice() {
    const QSignalBlocker block(this);
    clearSelection();
    setCurrentRow(-1);
}

QLineEdit* filterBox(QWidget* parent, const char* name, QRect geometry) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setPlaceholderText(QStringLiteral("Filter"));
    box->setClearButtonEnabled(true);
    box->setToolTip(QStringLiteral("Show only the entries that contain this text"));
    return box;
}

}  // namespace boardcast
