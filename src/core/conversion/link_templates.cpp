#include "core/conversion/link_templates.h"

#include <charconv>

#include "core/storage/settings_keys.h"

namespace boardcast {

namespace {

constexpr std::array<std::string_view, kTemplateSlots> kPrefixes = {
    "html", "ubb", "ez", "cust01", "cust02", "cust03", "cust04", "cust05"};

}  // namespace

std::string_view templateKeyPrefix(int slot) {
    return kPrefixes.at(static_cast<size_t>(slot));
}

std::string_view templateFieldName(TemplateField field) {
    switch (field) {
        case TemplateField::Name:
            return "Name";
        case TemplateField::LinkOpen01:
            return "LinkOpen01";
        case TemplateField::LinkOpen02:
            return "LinkOpen02";
        case TemplateField::LinkClose01:
            return "LinkClose01";
        case TemplateField::MailCall01:
            return "MailCall01";
    }
    return {};
}

std::string templateKey(int slot, TemplateField field) {
    std::string key(templateKeyPrefix(slot));
    key += templateFieldName(field);
    return key;
}

const std::string& templateField(const LinkTemplate& t, TemplateField field) {
    switch (field) {
        case TemplateField::Name:
            return t.Name;
        case TemplateField::LinkOpen01:
            return t.LinkOpen01;
        case TemplateField::LinkOpen02:
            return t.LinkOpen02;
        case TemplateField::LinkClose01:
            return t.LinkClose01;
        case TemplateField::MailCall01:
            return t.MailCall01;
    }
    return t.Name;
}

std::string& templateField(LinkTemplate& t, TemplateField field) {
    return const_cast<std::string&>(templateField(std::as_const(t), field));
}

TemplateTable defaultTemplates() {
    TemplateTable table;
    table[0] = {"html", "<a href='", "'>", "</a>", "mailto:"};
    table[1] = {"ubb", "[url=", "]", "[/url]", "mailto:"};
    table[2] = {"ezboard", "[link=", "]", "[/link]", "mailto:"};
    return table;
}

TemplateTable loadTemplates(const SettingsStore& store) {
    TemplateTable table = defaultTemplates();
    for (int slot = 0; slot < kTemplateSlots; ++slot) {
        for (TemplateField field : kTemplateFields) {
            std::string& value = templateField(table[slot], field);
            value = store.read(kDataSection, templateKey(slot, field), value);
        }
    }
    return table;
}

Status saveTemplates(SettingsStore& store, const TemplateTable& table) {
    for (int slot = 0; slot < kTemplateSlots; ++slot) {
        for (TemplateField field : kTemplateFields) {
            Status s = store.write(kDataSection, templateKey(slot, field),
                                   templateField(table[slot], field));
            if (!s) return s;
        }
    }
    return {};
}

std::vector<std::string> formatChooserEntries(const TemplateTable& table) {
    std::vector<std::string> entries{std::string(kPlainTextEntry)};
    for (const LinkTemplate& t : table) {
        if (!t.Name.empty()) entries.push_back(t.Name);
    }
    return entries;
}

int chooserIndexFromSetting(std::string_view lastConvert, int entryCount) {
    std::string_view digits = lastConvert;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    int index = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    bool whole = ec == std::errc() && end == digits.data() + digits.size() && !digits.empty();
    return whole && index >= 0 && index < entryCount ? index : 0;
}

std::optional<int> chooserIndexOfName(const std::vector<std::string>& entries,
                                      std::string_view name, int preferredIndex) {
    if (preferredIndex >= 0 && static_cast<size_t>(preferredIndex) < entries.size() &&
        entries[static_cast<size_t>(preferredIndex)] == name) {
        return preferredIndex;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == name) return static_cast<int>(i);
    }
    return std::nullopt;
}

const LinkTemplate* templateForChooserText(const TemplateTable& table,
                                           std::string_view chooserText) {
    if (chooserText.empty()) return nullptr;
    for (const LinkTemplate& t : table) {
        if (t.Name == chooserText) return &t;
    }
    return nullptr;
}

}  // namespace boardcast
