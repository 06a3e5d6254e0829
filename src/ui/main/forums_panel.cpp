#include "ui/main/forums_panel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>

#include "core/shell/list_entries.h"
#include "core/text/address_text.h"
#include "platform/qt_strings.h"
#include "ui/widgets/title_list.h"
#include "ui/widgets/twips.h"

namespace boardcast {

ForumsPanel::ForumsPanel(ForumAccounts& forums, StatusPanels& status, QWidget* parent)
    : QGroupBox(parent), forums_(forums), status_(status) {
    setObjectName(QStringLiteral("Frame4"));
    setFlat(true);
    auto* add =
        button(this, "cmdAdd2", "Add Current URL", tw(60, 180, 1680, 315), "Watch the current URL");
    auto* remove = button(this, "cmdDel2", "Remove URL", tw(1800, 180, 1695, 315));
    label(this, "Username:", 60, 540);
    usernameEdit = place(new QLineEdit(this), "txtUsername", tw(1080, 510, 1695, 285));
    auto* pasteUsername = button(this, "cmdPaste1", "Paste", tw(2820, 510, 675, 285),
                                 "Click within the Username field on the form you want to "
                                 "paste into, then click here.");
    label(this, "Password:", 60, 855);
    passwordEdit = place(new QLineEdit(this), "txtPassword", tw(1080, 825, 1695, 285));
    passwordEdit->setEchoMode(QLineEdit::Password);
    auto* pastePassword = button(this, "cmdPaste2", "Paste", tw(2820, 825, 675, 285),
                                 "Click within the Password field on the form you want to "
                                 "paste into, then click here.");
    filter = filterBox(this, "forumsFilter", tw(60, 1140, 3435, kFilterHeight));
    list = place(new TitleList(this), "lstPosts2",
                 tw(60, 1140 + kFilterShift, 3435, 1425 - kFilterShift));
    usernameEdit->setEnabled(false);
    passwordEdit->setEnabled(false);

    connect(filter, &QLineEdit::textChanged, list, &TitleList::showOnlyMatching);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(list, &TitleList::deleteRequested, this, &ForumsPanel::removeRequested);
    connect(add, &QPushButton::clicked, this, &ForumsPanel::addRequested);
    connect(remove, &QPushButton::clicked, this, &ForumsPanel::removeRequested);
    connect(pasteUsername, &QPushButton::clicked, this, [this] { Q_EMIT pasteRequested(1); });
    connect(pastePassword, &QPushButton::clicked, this, [this] { Q_EMIT pasteRequested(2); });
    // A forum counts as chosen when the user selects it, not when tabbing makes it current.
    connect(list, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = list->selectedItems();
        if (!selected.isEmpty()) choose(list->row(selected.front()));
    });
    connect(list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Q_EMIT openRequested(TitleList::addressOf(item)); });
    // A forum's name is edited in place: F2, or a click on the selected entry.
    list->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    connect(list, &QListWidget::itemChanged, this, &ForumsPanel::rename);
    connect(usernameEdit, &QLineEdit::textChanged, this, &ForumsPanel::usernameTyped);
    connect(passwordEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (syncingFields_) return;
        forums_.setPasswordField(toStdString(text));
        Q_EMIT changed();
    });
}

void ForumsPanel::usernameTyped(const QString& text) {
    if (syncingFields_) return;
    if (forums_.setUsernameField(toStdString(text))) {
        Q_EMIT changed();
        return;
    }
    // The first "|" of a login ends the username, so a username cannot hold one.
    const QSignalBlocker block(usernameEdit);
    const int cursor = usernameEdit->cursorPosition();
    usernameEdit->setText(toQString(forums_.usernameField()));
    usernameEdit->setCursorPosition(std::max(0, cursor - 1));
    QToolTip::showText(usernameEdit->mapToGlobal(QPoint(0, usernameEdit->height())),
                       QStringLiteral("A username cannot contain \"|\"."), usernameEdit);
}

void ForumsPanel::refresh() {
    TitleList::Entries entries;
    for (const Forum& f : forums_.forums()) entries.emplace_back(f.address, forumEntry(forums_, f));
    list->refill(entries, filter->text(), true);
}

bool ForumsPanel::add(const std::string& address, const std::string& title) {
    if (!forums_.addCurrentForum(address)) return false;
    if (title != address) forums_.setName(address, title);
    refresh();
    showChosen();
    return true;
}

void ForumsPanel::showChosen() {
    {
        const QSignalBlocker block(list);
        list->setCurrentRow(forums_.selectedIndex());
    }
    showSelected();
}

void ForumsPanel::choose(int row) {
    if (row < 0) return;
    forums_.selectForum(row);
    showSelected();
}

// Shows the selected forum's address in the status bar and its login in the fields, as the
// accounts hold it; they have stored the login already.
void ForumsPanel::showSelected() {
    status_.setPanelText(2, withHiddenPassword(forums_.at(forums_.selectedIndex()).address));
    syncingFields_ = true;
    usernameEdit->setEnabled(forums_.fieldsEnabled());
    passwordEdit->setEnabled(forums_.fieldsEnabled());
    if (usernameEdit->text() != toQString(forums_.usernameField())) {
        usernameEdit->setText(toQString(forums_.usernameField()));
    }
    if (passwordEdit->text() != toQString(forums_.passwordField())) {
        passwordEdit->setText(toQString(forums_.passwordField()));
    }
    syncingFields_ = false;
}

void ForumsPanel::rename(QListWidgetItem* item) {
    const std::string address = toStdString(TitleList::addressOf(item));
    forums_.setName(address, editedForumName(address, toStdString(item->text().trimmed())));
    {
        const QSignalBlocker block(list);
        item->setText(toQString(forumEntry(forums_, {address, {}}).text));
    }
    Q_EMIT changed();
}

std::vector<int> ForumsPanel::selectedRows() const {
    return list->selectedRows();
}

void ForumsPanel::clearChoice() {
    list->clearChoice();
}

void ForumsPanel::applyLayout(const MainWindowLayout& layout) {
    resize(width(), px(layout.frame4Height));
    list->resize(list->width(), px(std::max(0, layout.listForumsHeight - kFilterShift)));
}

}  // namespace boardcast
