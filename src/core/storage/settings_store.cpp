#include "core/storage/settings_store.h"

namespace boardcast {

std::string MemorySettingsStore::read(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
    auto it = values_.find(std::pair{std::string(section), std::string(key)});
    return it == values_.end() ? std::string(defaultValue) : it->second;
}

Status MemorySettingsStore::write(std::string_view section, std::string_view key,
                                  std::string_view value) {
    values_[std::pair{std::string(section), std::string(key)}] = std::string(value);
    return {};
}

bool MemorySettingsStore::contains(std::string_view section, std::string_view key) const {
    return values_.count(std::pair{std::string(section), std::string(key)}) != 0;
}

}  // namespace boardcast
