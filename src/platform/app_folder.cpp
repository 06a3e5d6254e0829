#include "platform/app_folder.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/qt_strings.h"

namespace boardcast {

std::string chooseAppFolder(const std::optional<std::string>& dataDir) {
    if (dataDir)
        return toStdString(QDir::cleanPath(QDir::current().absoluteFilePath(toQString(*dataDir))));
    return toStdString(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

}  // namespace boardcast
