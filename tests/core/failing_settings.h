#pragma once
// A settings store in memory whose writes fail, as on a full disk, while failing is set.

#include "core/storage/settings_store.h"

namespace boardcast::testing_support {

class FailingSettingsStore final : public SettingsStore {
public:
    std::string read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) const override {
        return memory_.read(section, key, defaultValue);
    }
    Status write(std::string_view section, std::string_view key, std::string_view value) override {
        if (failing) return Error{ErrorCode::Io, "Could not write the settings file."};
        return memory_.write(section, key, value);
    }

    bool failing = false;

private:
    MemorySettingsStore memory_;
};

}  // namespace boardcast::testing_support
