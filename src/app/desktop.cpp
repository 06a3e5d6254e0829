#include "app/desktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <iostream>
#include <memory>

#include "app/command_line.h"
#include "app/headless_commands.h"
#include "app/instance_channel.h"
#include "core/shell/product_identity.h"
#include "core/storage/data_files.h"
#include "core/storage/folder_lock.h"
#include "platform/browser_profile.h"
#include "platform/qt_settings_store.h"
#include "platform/qt_strings.h"
#include "ui/icons/emblem.h"
#include "ui/main/browser_panel.h"
#include "ui/main/main_window.h"
#include "ui/resources/resources.h"
#include "ui/widgets/message_box.h"
#include "ui/windows/secondary_windows.h"
#include "ui/windows/splash_window.h"

namespace boardcast {

namespace {

// What the website window opens: the makers' page built into the program.
std::string makersWebSite() {
    return std::string(kWebsitePage);
}

// Opens each address in a browser window of its own, as a page's new window opens.
void openInNewWindows(MainWindow& form, const std::vector<std::string>& addresses) {
    for (const std::string& address : addresses) form.browserPanel().openInNewWindow(address);
}

void bringToFront(MainWindow& form) {
    form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
    form.show();
    form.raise();
    form.activateWindow();
}

}  // namespace

// The splash opens first; when its timer has run, the main window is created, loads and
// shows, and the splash hides. The program ends when the secondary windows say so: at once
// when the main window closes, or later when the website window was still open.
// The first address given opens in the main window, further ones in windows of their own.
int runDesktop(const std::string& folder, bool folderGiven,
               const std::vector<std::string>& addresses) {
    initUiResources();
    QGuiApplication::setDesktopFileName(toQString(productIdentity().appId));
    QApplication::setWindowIcon(programIcon(toQString(productIdentity().appId)));
    QApplication::setQuitOnLastWindowClosed(false);
    // One desktop program per data folder; a command that is changing it is waited for.
    auto lock = FolderLock::take(folder, FolderHolder::desktop(), kFolderWaitMs);
    if (!lock) {
        if (lock.error().reason == FolderRefusal::Reason::DesktopOpen) {
            std::cerr << "boardcast: Boardcast is already open on the data folder " << folder
                      << ".\n";
            if (InstanceChannel::handOver(folder, addresses)) return 0;
            std::cerr << "boardcast: it could not be reached to take over.\n";
            MessageBox::show(nullptr, toQString(productIdentity().productName),
                             QStringLiteral("Boardcast is already open on this data folder, but "
                                            "it could not be reached. Switch to its window."),
                             MessageBox::Icon::Information);
        } else {
            std::cerr << "boardcast: " << lock.error().text << "\n";
            MessageBox::show(nullptr, toQString(productIdentity().productName),
                             toQString(lock.error().text), MessageBox::Icon::Warning);
        }
        // In use: busy. A folder that cannot be locked (read-only, not a folder) is a failure.
        return exitStatusFor(lock.error());
    }
    // A second start hands its addresses over from now on. The first opens in the main
    // window's browser, where Auto-Insert and the Paste buttons reach it, further ones in
    // windows of their own; the main window comes forward.
    std::unique_ptr<MainWindow> form;
    std::vector<std::string> waiting;  // addresses handed over before the main window exists
    int handedOver = 0;                // addresses of the current request so far
    InstanceChannel channel(folder);
    QObject::connect(&channel, &InstanceChannel::raiseRequested, &channel, [&form] {
        if (form) bringToFront(*form);
    });
    QObject::connect(&channel, &InstanceChannel::raiseRequested, &channel,
                     [&handedOver] { handedOver = 0; });
    QObject::connect(&channel, &InstanceChannel::openRequested, &channel,
                     [&form, &waiting, &handedOver](const QString& address) {
                         const std::string one = toStdString(address);
                         if (!form) {
                             waiting.push_back(one);
                         } else if (handedOver++ == 0) {
                             form->browserPanel().navigate(one);
                             bringToFront(*form);
                         } else {
                             openInNewWindows(*form, {one});
                         }
                     });
    if (Status listening = channel.listen(); !listening) {
        std::cerr << "boardcast: " << listening.error().text << "\n";
        MessageBox::show(nullptr, toQString(productIdentity().productName),
                         toQString(listening.error().text) +
                             QStringLiteral(" Boardcast works, but starting it again will not "
                                            "bring this window forward."),
                         MessageBox::Icon::Warning);
    }

    if (Status s = recoverDataFolder(folder); !s)
        std::cerr << "boardcast: " << s.error().text << "\n";
    QtSettingsStore settings;
    // Every browser of the program keeps its cookies and cache here; it goes last.
    const BrowserFolders browserData = browserFolders(folder, folderGiven);
    BrowserProfile profile(browserData.storage, browserData.cache);
    SplashWindow splash;
    std::unique_ptr<SecondaryWindows> windows;
    QObject::connect(&splash, &SplashWindow::finished, &splash, [&] {
        form = std::make_unique<MainWindow>(
            folder, settings, addresses.empty() ? std::string(kHomePage) : addresses[0]);
        windows = std::make_unique<SecondaryWindows>(
            *form, settings, SecondaryWindows::Places{makersWebSite(), helpFileCandidates(folder)},
            &splash);
        QObject::connect(windows.get(), &SecondaryWindows::finished, windows.get(),
                         &QCoreApplication::quit);
        form->show();
        if (addresses.size() > 1)
            waiting.insert(waiting.begin(), addresses.begin() + 1, addresses.end());
        openInNewWindows(*form, waiting);
        waiting.clear();
    });
    splash.start();
    const int result = QCoreApplication::exec();
    channel.disconnect();  // nothing handed over reaches the windows as they go
    windows.reset();       // the secondary windows refer to the main window
    form.reset();
    return result;
}

}  // namespace boardcast
