#include "ui/widgets/title_list.h"

#include <QApplication>

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

}  // namespace boardcast
