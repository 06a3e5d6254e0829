#include "app/program_start.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <cstdlib>
#include <exception>
#include <iostream>

#include "core/shell/product_identity.h"
#include "core/storage/data_files.h"
#include "platform/app_folder.h"
#include "platform/qt_strings.h"

namespace boardcast {

namespace {

void tellUnexpected(const char* what) {
    std::cerr << "boardcast: an unexpected error ended the program: " << what << "\n";
}

void tellException(const std::exception_ptr& thrown) {
    try {
        std::rethrow_exception(thrown);
    } catch (const std::exception& e) {
        tellUnexpected(e.what());
    } catch (...) {
        tellUnexpected("an exception of unknown type");
    }
}

// Whatever ends the program through std::terminate (an exception thrown where none may be)
// says what it was first.
[[noreturn]] void terminateWithMessage() {
    if (std::exception_ptr current = std::current_exception()) {
        tellException(current);
    } else {
        tellUnexpected("terminate was called");
    }
    std::abort();
}

}  // namespace

int runGuarded(const std::function<int()>& work) {
    std::set_terminate(terminateWithMessage);
    try {
        return work();
    } catch (...) {
        tellException(std::current_exception());
    }
    return kExitFailure;
}

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
    // Everything the program writes (the data files, the browser's folders, the settings)
    // is for this user alone.
    ::umask(077);
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
