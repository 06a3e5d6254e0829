// Boardcast: the command line decides between the desktop program and a headless command.

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <iostream>
#include <string>
#include <vector>

#include "app/headless_commands.h"
#include "core/command_line.h"
#include "core/product_identity.h"
#include "platform/qt_strings.h"

namespace {

void setApplicationNames() {
    // The product name alone names the per-user folders (~/.local/share/Boardcast).
    QCoreApplication::setApplicationName(
        boardcast::toQString(boardcast::productIdentity().productName));
    QCoreApplication::setOrganizationName(QString());
}

int runDesktop(int argc, char** argv) {
    QApplication app(argc, argv);
    setApplicationNames();
    QLabel placeholder(QStringLiteral("Boardcast"));
    placeholder.setObjectName(QStringLiteral("placeholder"));
    placeholder.setAlignment(Qt::AlignCenter);
    placeholder.resize(480, 320);
    placeholder.setWindowTitle(QStringLiteral("Boardcast"));
    placeholder.show();
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = boardcast::parseCommandLine(args);
    if (!parsed) {
        std::cerr << "boardcast: " << parsed.error().text << "\n\n" << boardcast::usageText();
        return 2;
    }
    const boardcast::CommandLine& line = parsed.value();
    switch (line.command) {
        case boardcast::Command::Help:
            std::cout << boardcast::usageText();
            return 0;
        case boardcast::Command::Desktop:
            return runDesktop(argc, argv);
        case boardcast::Command::Convert: {
            QCoreApplication app(argc, argv);
            setApplicationNames();
            return boardcast::runConvert(line);
        }
    }
    return 0;
}
