// Boardcast: the command line decides between the desktop program and a headless command.
// Every start, desktop or headless, first creates the data files that are missing.

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/headless_commands.h"
#include "core/command_line.h"
#include "core/data_files.h"
#include "core/measurement.h"
#include "core/product_identity.h"
#include "core/text_file.h"
#include "platform/app_folder.h"
#include "platform/qt_strings.h"
#include "ui/browser_panel.h"

namespace {

using namespace boardcast;

int runDesktop(const std::string& folder) {
    // A stand-in for the main window until it exists: the browser panel over a status bar.
    class StatusLabels final : public StatusPanels {
    public:
        explicit StatusLabels(QStatusBar* bar) {
            for (int i = 0; i < 3; ++i) {
                labels_[i] = new QLabel(bar);
                bar->addWidget(labels_[i], i == 1 ? 1 : 0);
            }
            labels_[0]->setMinimumWidth(120);
        }
        void setPanelText(int panel, const std::string& text) override {
            if (panel >= 1 && panel <= 3) labels_[panel - 1]->setText(toQString(text));
        }

    private:
        QLabel* labels_[3] = {};
    };

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Boardcast"));
    StatusLabels status(window.statusBar());
    BrowserPanel::Services services{joinPath(folder, "htmltemp.txt"),
                                    [](int) { return std::string(); }, [] {}};
    auto* panel = new BrowserPanel(status, std::move(services), &window);
    window.setCentralWidget(panel);
    window.resize(743, 599);
    panel->navigate("about:blank");
    window.show();
    const int result = QCoreApplication::exec();
    delete panel;  // before the status panels it writes to
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = parseCommandLine(args);
    if (!parsed) {
        std::cerr << "boardcast: " << parsed.error().text << "\n\n" << usageText();
        return 2;
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
        case Command::Desktop: return runDesktop(folder);
        case Command::Convert: return runConvert(line);
        case Command::Watch: return runWatch(folder, line.url);
        case Command::Check: return runCheck(folder);
        case Command::Posts: return runPosts(folder);
        case Command::Forums: return runForums(folder);
        case Command::Help: break;
    }
    return 0;
}
