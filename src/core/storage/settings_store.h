#pragma once
// The per-user settings store: string values addressed by section and key, always under
// the product name as application name (the implementation knows it; callers never pass it).
// A read names its default, returned when the key is absent. A write creates or replaces the
// value and reaches the backing store at once; no key is ever deleted.

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "core/result.h"

namespace boardcast {

// A key with its section and the default a read of it names.
struct SettingKey {
    std::string_view section;
    std::string_view key;
    std::string_view defaultValue;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string read(std::string_view section, std::string_view key,
                             std::string_view defaultValue) const = 0;
    virtual Status write(std::string_view section, std::string_view key,
                         std::string_view value) = 0;
};

inline std::string readSetting(const SettingsStore& store, const SettingKey& key) {
    return store.read(key.section, key.key, key.defaultValue);
}

inline Status writeSetting(SettingsStore& store, const SettingKey& key, std::string_view value) {
    return store.write(key.section, key.key, value);
}

// Keeps the values in memory; used by tests and wherever nothing must persist.
class MemorySettingsStore final : public SettingsStore {
public:
    std::string read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) const override;
    Status write(std::string_view section, std::string_view key, std::string_view value) override;

    bool contains(std::string_view section, std::string_view key) const;

private:
    std::map<std::pair<std::string, std::string>, std::string, std::less<>> values_;
};

}  // namespace boardcast
