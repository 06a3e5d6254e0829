// Boardcast: the command line decides between the desktop program and a headless command.
// Every start, desktop or headless, first creates the data files that are missing.

#include <QApplication>
#include <QCoreApplication>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/headless_commands.h"
#include "core/command_line.h"
#include "core/data_files.h"
#include "core/product_identity.h"
#include "platform/app_folder.h"
#include "platform/browser_profile.h"
#include "platform/qt_strings.h"
#include "platform/qt_settings_store.h"
#include "ui/form1.h"
#include "ui/frm_splash.h"
#include "ui/secondary_windows.h"
#include "ui/resources.h"

namespace {

using namespace boardcast;

// The makers' web site, which the website window opens.
std::string makersWebSite() {
    return "https://" + std::string(productIdentity().webSiteText) + "/";
}

// The splash opens first; when its timer has run, the main window is created, loads and
// shows, and the splash hides. The program ends when the secondary windows say so: at once
// when the main window closes, or later when the website window was still open.
int runDesktop(const std::string& folder, bool folderGiven) {
    initUiResources();
    QApplication::setQuitOnLastWindowClosed(false);
    QtSettingsStore settings;
    // Every browser of the program keeps its cookies and cache here; it goes last.
    const BrowserFolders browserData = browserFolders(folder, folderGiven);
    BrowserProfile profile(browserData.storage, browserData.cache);
    frmSplash splash;
    std::unique_ptr<Form1> form;
    std::unique_ptr<SecondaryWindows> windows;
    QObject::connect(&splash, &frmSplash::finished, &splash, [&] {
        form = std::make_unique<Form1>(folder, settings, std::string(kHomePage));
        windows = std::make_unique<SecondaryWindows>(
            *form, settings, SecondaryWindows::Places{makersWebSite(), helpFileCandidates(folder)},
            &splash);
        QObject::connect(windows.get(), &SecondaryWindows::finished, windows.get(),
                         &QCoreApplication::quit);
        form->show();
    });
    splash.start();
    const int result = QCoreApplication::exec();
    windows.reset();  // the secondary windows refer to the main window
    form.reset();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = parseCommandLine(args);
    if (!parsed) {
        std::cerr << "boardcast: " << parsed.error().text << "\n\n" << usageText();
        return kExitUsage;
    }
    const CommandLine& line = parsed.value();
    if (line.command == Command::Help) {
        std::cout << usageText();
        return 0;
    }

    std::unique_ptr<QCoreApplication> app;
    if (line.command == Command::Desktop) {
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    // The product name alone names the per-user folders (~/.local/share/Boardcast).
    QCoreApplication::setApplicationName(toQString(productIdentity().productName));
    QCoreApplication::setOrganizationName(QString());

    const std::string folder = chooseAppFolder(line.dataDir);
    if (Status prepared = prepareAppFolder(folder); !prepared) {
        std::cerr << "boardcast: " << prepared.error().text << "\n";
    }

    switch (line.command) {
        case Command::Desktop: return runDesktop(folder, line.dataDir.has_value());
        case Command::Convert: return runConvert(line);
        case Command::Watch: return runWatch(folder, line.url);
        case Command::Check: return runCheck(folder, line.jobs);
        case Command::Posts: return runPosts(folder);
        case Command::Forums: return runForums(folder);
        case Command::Help: break;
    }
    return 0;
}
