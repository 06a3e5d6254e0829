#pragma once
// The main window's menu bar: File, Tools, View, Help and About. Each entry runs one of the
// window's commands; its object name is the menu's design name and its place ("mnuTools_3"),
// which tests and automation use.

class QAction;

namespace boardcast {

class MainWindow;

// The entries the window changes after the build.
struct MainMenus {
    QAction* stopCheck = nullptr;  // enabled while a check runs
    QAction* keyring = nullptr;    // ticked while the passwords are in the keyring
};

MainMenus buildMainMenus(MainWindow& window);

}  // namespace boardcast
