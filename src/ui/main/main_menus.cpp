#include "ui/main/main_menus.h"

#include <QAction>
#include <QMenuBar>
#include <functional>
#include <vector>

#include "ui/main/main_window.h"

namespace boardcast {

namespace {

struct Entry {
    const char* text;
    std::function<void()> run;
    QKeySequence key = {};  // shown in the menu
};

QMenu* addMenu(MainWindow& window, const char* title, const char* prefix,
               std::vector<Entry> entries) {
    QMenu* menu = window.menuBar()->addMenu(QLatin1String(title));
    menu->setObjectName(QLatin1String(prefix));
    int index = 0;
    for (Entry& e : entries) {
        QAction* action = menu->addAction(QLatin1String(e.text));
        action->setObjectName(QLatin1String(prefix) + QLatin1Char('_') + QString::number(index++));
        if (!e.key.isEmpty()) action->setShortcut(e.key);
        if (e.run) {
            QObject::connect(action, &QAction::triggered, &window,
                             [run = std::move(e.run)] { run(); });
        }
    }
    return menu;
}

QKeySequence keys(const char* text) {
    return QKeySequence(QLatin1String(text));
}

}  // namespace

MainMenus buildMainMenus(MainWindow& w) {
    addMenu(w, "&File", "mnuFile",
            {{"&New Message", [&w] { w.newMessage(); }, QKeySequence::New},
             {"&Save Message", [&w] { w.saveCurrentMessage(); }, QKeySequence::Save},
             {"&Load Message", [&w] { Q_EMIT w.savedMessagesRequested(); }, QKeySequence::Open},
             // Every change is on disk as it is made, so the platform's Quit may end at once.
             {"E&xit", [&w] { w.exitWithoutSaving(); }, QKeySequence::Quit}});
    // What is done for every post has a key of its own; Ctrl+Shift keeps them clear of the
    // editing keys of the message box and of the page.
    QMenu* tools =
        addMenu(w, "&Tools", "mnuTools",
                {{"&Preview", [&w] { w.preview(); }},
                 {"Auto &Insert", [&w] { w.autoInsert(); }, keys("Ctrl+Shift+I")},
                 {"&Check Replies",
                  [&w] {
                      w.selectPostsTab(1);
                      w.checkForNewReplies();
                  }},
                 {"&Options", [&w] { Q_EMIT w.templateEditorRequested(); }},
                 {"Paste &Message", [&w] { w.pasteIntoPage(3); }, keys("Ctrl+Shift+M")},
                 {"Paste Su&bject", [&w] { w.pasteIntoPage(0); }, keys("Ctrl+Shift+J")},
                 {"Paste &Username", [&w] { w.pasteIntoPage(1); }, keys("Ctrl+Shift+U")},
                 {"Paste Pass&word", [&w] { w.pasteIntoPage(2); }, keys("Ctrl+Shift+P")},
                 // Esc while a check runs; the entry is enabled only then, so Esc is free else.
                 {"S&top Check", [&w] { w.stopReplyCheck(); }, QKeySequence::Cancel},
                 {"Reply Check &Settings...", [&w] { w.openCheckOptions(); }},
                 {"Cop&y Message", [&w] { w.copyMessage(); }, keys("Ctrl+Shift+C")},
                 {"W&atch This Post", [&w] { w.watchThisPost(); }, keys("Ctrl+Shift+W")},
                 {"&Remove Watch", [&w] { w.removeWatchedPost(); }},
                 {"A&dd Current URL", [&w] { w.addCurrentForum(); }},
                 {"Remo&ve URL", [&w] { w.removeForum(); }},
                 {"Keep Passwords in the Desktop &Keyring", {}}});
    MainMenus menus{tools->actions().at(8), tools->actions().at(15)};
    menus.keyring->setCheckable(true);
    QObject::connect(menus.keyring, &QAction::triggered, &w,
                     [&w](bool on) { w.keepPasswordsInKeyring(on); });
    menus.stopCheck->setEnabled(false);
    addMenu(w, "&View", "mnuView",
            {{"&Saved Messages", [&w] { Q_EMIT w.savedMessagesRequested(); }},
             {"&All posts", [&w] { w.selectPostsTab(0); }},
             {"&Replies", [&w] { w.selectPostsTab(1); }},
             {"&Templates", [&w] { Q_EMIT w.templateEditorRequested(); }}});
    addMenu(w, "&Help", "mnuHelp",
            {{"View &Help", [&w] { Q_EMIT w.helpRequested(); }, QKeySequence::HelpContents}});
    addMenu(w, "&About", "mnuAbout",
            {{"&About this software", [&w] { Q_EMIT w.aboutRequested(); }}});
    return menus;
}

}  // namespace boardcast
