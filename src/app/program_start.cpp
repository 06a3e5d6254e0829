#include "app/program_start.h"

#include <QCoreApplication>
#include <iostream>

#include "core/shell/product_identity.h"
#include "core/storage/data_files.h"
#include "platform/app_folder.h"
#include "platform/qt_strings.h"

namespace boardcast {

QStringList argumentsOf(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}

std::optional<int> answerDirectly(const Result<CommandLine>& parsed) {
    if (!parsed) {
        std::cerr << "boardcast: " << parsed.error().text << "\n\n" << helpText();
        return kExitUsage;
    }
    if (parsed.value().command == Command::Help) {
        std::cout << helpText(parsed.value().helpFor);
        return 0;
    }
    if (parsed.value().command == Command::Version) {
        std::cout << versionText();
        return 0;
    }
    return std::nullopt;
}

std::string prepareStart(const CommandLine& line) {
    // The product name alone names the per-user folders (~/.local/share/Boardcast).
    QCoreApplication::setApplicationName(toQString(productIdentity().productName));
    QCoreApplication::setOrganizationName(QString());
    const std::string folder = chooseAppFolder(line.dataDir);
    if (Status prepared = prepareAppFolder(folder); !prepared) {
        std::cerr << "boardcast: " << prepared.error().text << "\n";
    }
    return folder;
}

}  // namespace boardcast
