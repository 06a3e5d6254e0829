#include "platform/qt_settings_store.h"

#include <QStringList>
#include <QVariant>

#include "core/shell/product_identity.h"
#include "platform/qt_strings.h"

namespace boardcast {

namespace {

QString settingPath(std::string_view section, std::string_view key) {
    return toQString(section) + QLatin1Char('/') + toQString(key);
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(QSettings::IniFormat, QSettings::UserScope,
                toQString(productIdentity().productName),
                toQString(productIdentity().productName)) {}

std::string QtSettingsStore::read(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const {
    QVariant value = settings_.value(settingPath(section, key));
    if (!value.isValid()) return std::string(defaultValue);
    // A hand-edited file may hold an unquoted value with commas, which QSettings reads as a
    // list; give it back as the text it was.
    if (value.typeId() == QMetaType::QStringList) {
        return toStdString(value.toStringList().join(QStringLiteral(", ")));
    }
    return toStdString(value.toString());
}

Status QtSettingsStore::write(std::string_view section, std::string_view key,
                              std::string_view value) {
    settings_.setValue(settingPath(section, key), toQString(value));
    settings_.sync();
    // FormatError only says that the file read at start was damaged; the write still went
    // through. AccessError means it did not.
    if (settings_.status() == QSettings::AccessError) {
        return Error{ErrorCode::Io,
                     "Could not save the settings to " + toStdString(settings_.fileName()) + "."};
    }
    return {};
}

}  // namespace boardcast
