#include "ui/main/posts_panel.h"

#include <QDateTime>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabBar>

#include "core/text/address_text.h"
#include "platform/qt_strings.h"
#include "ui/widgets/twips.h"

namespace boardcast {

namespace {

std::string timeText(std::int64_t seconds) {
    return toStdString(
        QLocale().toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat));
}

}  // namespace

PostsPanel::PostsPanel(const WatchList& posts, const PostMarks& marks, StatusPanels& status,
                       QWidget* parent)
    : QGroupBox(parent), posts_(posts), marks_(marks) {
    setObjectName(QStringLiteral("Frame3"));
    setFlat(true);
    watchButton =
        button(this, "cmdAdd", "Watch This Post", tw(60, 240, 1680, 375), "Watch the current URL");
    removeButton = button(this, "cmdDel", "Remove Watch", tw(1800, 240, 1695, 375));
    tabBar = place(new QTabBar(this), "TabStrip1", tw(60, 660, 3495, 315));
    tabBar->addTab(QStringLiteral("Show All"));
    tabBar->addTab(QStringLiteral("New Replies "));
    tabBar->setExpanding(false);
    checkButton = button(this, "cmdReplies", "Check for new replies", tw(60, 1020, 3435, 315));
    filter = filterBox(this, "postsFilter", tw(60, 1380, 3435, kFilterHeight));
    const QRect listPlace = tw(60, 1380 + kFilterShift, 3435, 1620 - kFilterShift);
    postsList = place(new TitleList(this), "lstPosts", listPlace);
    newRepliesList = place(new TitleList(this), "lstNew", listPlace);
    newRepliesList->hide();
    checkButton->hide();

    connect(filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        postsList->showOnlyMatching(text);
        newRepliesList->showOnlyMatching(text);
    });
    postsList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(postsList, &TitleList::deleteRequested, this, &PostsPanel::removeRequested);
    connect(watchButton, &QPushButton::clicked, this, &PostsPanel::watchRequested);
    connect(removeButton, &QPushButton::clicked, this, &PostsPanel::removeRequested);
    connect(checkButton, &QPushButton::clicked, this, &PostsPanel::checkRequested);
    connect(tabBar, &QTabBar::currentChanged, this, &PostsPanel::showTab);
    for (TitleList* list : {postsList, newRepliesList}) {
        connect(list, &QListWidget::itemClicked, this, [&status](QListWidgetItem* item) {
            status.setPanelText(2, withHiddenPassword(toStdString(TitleList::addressOf(item))));
        });
        connect(list, &QListWidget::itemDoubleClicked, this, [this, list](QListWidgetItem* item) {
            Q_EMIT opened(TitleList::addressOf(item), list == newRepliesList);
        });
    }
}

void PostsPanel::refresh() {
    TitleList::Entries entries;
    for (const WatchedPost& p : posts_.posts()) {
        entries.emplace_back(p.address, watchedPostEntry(posts_, p.address, marks_, timeText));
    }
    postsList->refill(entries, filter->text());
}

void PostsPanel::showPost(const std::string& address) {
    const int row = posts_.indexOfWatched(address);
    if (row < 0 || row >= postsList->count()) return;
    postsList->showEntry(postsList->item(row), watchedPostEntry(posts_, address, marks_, timeText));
}

void PostsPanel::showNewReplies(const std::vector<ThreadWithNews>& threads) {
    TitleList::Entries entries;
    for (const ThreadWithNews& t : threads) {
        entries.emplace_back(t.address,
                             newRepliesListEntry(t, posts_.detailsOf(t.address), timeText));
    }
    newRepliesList->refill(entries, filter->text());
}

void PostsPanel::setNewRepliesCount(size_t count) {
    tabBar->setTabText(1, count == 0 ? QStringLiteral("New Replies ")
                                     : QStringLiteral("New Replies (%1)").arg(count));
}

void PostsPanel::selectTab(int index) {
    if (tabBar->currentIndex() != index) {
        tabBar->setCurrentIndex(index);  // shown through currentChanged
    } else {
        showTab(index);
    }
}

void PostsPanel::showTab(int index) {
    const bool all = index == 0;
    removeButton->setVisible(all);
    watchButton->setVisible(all);
    checkButton->setVisible(!all);
    postsList->setVisible(all);
    newRepliesList->setVisible(!all);
    Q_EMIT tabShown(index);
}

std::vector<int> PostsPanel::selectedPosts() const {
    return postsList->selectedRows();
}

void PostsPanel::clearChoice() {
    postsList->clearChoice();
}

void PostsPanel::applyLayout(const MainWindowLayout& layout) {
    auto below = [](int listHeight) { return px(std::max(0, listHeight - kFilterShift)); };
    resize(width(), px(layout.frame3Height));
    postsList->resize(postsList->width(), below(layout.listPostsHeight));
    newRepliesList->resize(newRepliesList->width(), below(layout.listNewHeight));
}

}  // namespace boardcast
