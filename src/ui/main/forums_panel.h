#pragma once
// "Your Forums" in the main window (design frame Frame4): the forums with their names, the
// selected forum's login with its Paste buttons, and Add Current URL / Remove URL. The
// panel edits the forum accounts it is given; its owner stores them when told.

#include <QGroupBox>
#include <vector>

#include "core/forums/forum_accounts.h"
#include "core/shell/main_window_layout.h"
#include "core/watching/measurement.h"

class QLineEdit;
class QListWidgetItem;

namespace boardcast {

class TitleList;

class ForumsPanel final : public QGroupBox {
    Q_OBJECT

public:
    // forums and status (whose panel 2 names the chosen forum) must outlive this.
    ForumsPanel(ForumAccounts& forums, StatusPanels& status, QWidget* parent);

    // Fills the list anew from the accounts.
    void refresh();
    // "Add Current URL": adds the page at address, named after its title (none when the page
    // has no title but its address), and shows it chosen; false when it was listed already
    // or the list is full.
    bool add(const std::string& address, const std::string& title);
    // The rows the user selected that the filter shows.
    std::vector<int> selectedRows() const;
    void clearChoice();
    void applyLayout(const MainWindowLayout& layout);

Q_SIGNALS:
    void addRequested();
    void removeRequested();
    void pasteRequested(int index);  // 1 the username, 2 the password
    // A login or a name changed in the accounts: they are to be stored.
    void changed();
    void openRequested(const QString& address);

private:
    // Shows the accounts' selected forum as chosen: in the list, the status bar and the
    // login fields.
    void showChosen();
    void choose(int row);
    void showSelected();
    void rename(QListWidgetItem* item);
    void usernameTyped(const QString& text);

    ForumAccounts& forums_;
    StatusPanels& status_;
    bool syncingFields_ = false;  // the fields are being set from the accounts
    QLineEdit* usernameEdit = nullptr;
    QLineEdit* passwordEdit = nullptr;
    QLineEdit* filter = nullptr;
    TitleList* list = nullptr;
};

}  // namespace boardcast
