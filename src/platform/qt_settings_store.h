#pragma once
// The settings store over QSettings: an INI file per user, with the product name as both
// organization and application name (so ~/.config/Boardcast/Boardcast.ini on Linux).
// Every write is synced at once; QSettings rewrites the file atomically.

#include <QSettings>

#include "core/storage/settings_store.h"

namespace boardcast {

class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();

    std::string read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) const override;
    Status write(std::string_view section, std::string_view key, std::string_view value) override;

    QString fileName() const { return settings_.fileName(); }

private:
    mutable QSettings settings_;
};

}  // namespace boardcast
