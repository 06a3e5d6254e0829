#pragma once
// "Your Posts" in the main window (design frame Frame3): the watched posts and, on the tab
// "New Replies", the threads the last check found with new replies, with Watch This Post,
// Remove Watch and "Check for new replies". It shows the watch list it is given; its owner
// carries out the commands.

#include <QGroupBox>
#include <vector>

#include "core/shell/list_entries.h"
#include "core/shell/main_window_layout.h"
#include "core/watching/measurement.h"
#include "core/watching/reply_notice.h"
#include "core/watching/watch_lists.h"
#include "ui/widgets/title_list.h"

class QLineEdit;
class QPushButton;
class QTabBar;

namespace boardcast {

class PostsPanel final : public QGroupBox {
    Q_OBJECT

public:
    // posts, marks and status (whose panel 2 shows a clicked entry's address) must outlive
    // this.
    PostsPanel(const WatchList& posts, const PostMarks& marks, StatusPanels& status,
               QWidget* parent);

    // Fills the list of watched posts anew.
    void refresh();
    // Shows one post's entry anew, so that a check of thousands of posts does not refill
    // the list at each answer.
    void showPost(const std::string& address);
    void showNewReplies(const std::vector<ThreadWithNews>& threads);
    // The New Replies tab's caption counts the threads found.
    void setNewRepliesCount(size_t count);
    // 0 "Show All", 1 "New Replies ".
    void selectTab(int index);
    // The watched posts the user selected that the filter shows.
    std::vector<int> selectedPosts() const;
    void clearChoice();
    void applyLayout(const MainWindowLayout& layout);

Q_SIGNALS:
    void watchRequested();
    void removeRequested();
    void checkRequested();
    void tabShown(int index);
    // An entry was opened; newReplies: from the New Replies list.
    void opened(const QString& address, bool newReplies);

private:
    void showTab(int index);

    const WatchList& posts_;
    const PostMarks& marks_;
    QPushButton* watchButton = nullptr;
    QPushButton* removeButton = nullptr;
    QPushButton* checkButton = nullptr;
    QTabBar* tabBar = nullptr;
    QLineEdit* filter = nullptr;
    TitleList* postsList = nullptr;
    TitleList* newRepliesList = nullptr;
};

}  // namespace boardcast
