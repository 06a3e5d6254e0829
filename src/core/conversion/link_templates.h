#pragma once
// The template table: eight link templates in fixed slot order (three built-in dialects,
// five custom ones), read from and written to the settings, and the entries of the format
// chooser that follow from it.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "core/storage/settings_store.h"

namespace boardcast {

// A web address U becomes LinkOpen01 U LinkOpen02 U LinkClose01; an e-mail address A becomes
// LinkOpen01 MailCall01 A LinkOpen02 A LinkClose01. Any field may be empty.
struct LinkTemplate {
    std::string Name;
    std::string LinkOpen01;
    std::string LinkOpen02;
    std::string LinkClose01;
    std::string MailCall01;

    bool operator==(const LinkTemplate&) const = default;
};

// The fields in their stored order; each name is also the suffix of its settings key.
enum class TemplateField { Name, LinkOpen01, LinkOpen02, LinkClose01, MailCall01 };
inline constexpr std::array<TemplateField, 5> kTemplateFields = {
    TemplateField::Name, TemplateField::LinkOpen01, TemplateField::LinkOpen02,
    TemplateField::LinkClose01, TemplateField::MailCall01};

inline constexpr int kTemplateSlots = 8;
using TemplateTable = std::array<LinkTemplate, kTemplateSlots>;

// The chooser's first entry, which converts nothing.
inline constexpr std::string_view kPlainTextEntry = "text";

std::string_view templateKeyPrefix(int slot);             // "html", "ubb", "ez", "cust01".."cust05"
std::string_view templateFieldName(TemplateField field);  // "Name", "LinkOpen01", ...
std::string templateKey(int slot, TemplateField field);   // prefix + field name

const std::string& templateField(const LinkTemplate& t, TemplateField field);
std::string& templateField(LinkTemplate& t, TemplateField field);

// The table as it is before anything was stored.
TemplateTable defaultTemplates();

// Reads the forty keys of section "data", each with its default, in slot order and, within
// a slot, in field order. A key that exists with an empty value yields the empty string.
TemplateTable loadTemplates(const SettingsStore& store);

// Writes all forty keys in the same order. Stops at the first failed write.
Status saveTemplates(SettingsStore& store, const TemplateTable& table);

// What the format chooser lists: "text", then every non-empty Name in slot order
// (duplicates included).
std::vector<std::string> formatChooserEntries(const TemplateTable& table);

// The chooser index to select at start for a stored "lastConvert": the stored index when it
// is a decimal integer naming one of entryCount entries, otherwise 0 ("text").
int chooserIndexFromSetting(std::string_view lastConvert, int entryCount);

// Where the entry called name stands among entries: at preferredIndex when that entry has the
// name (a name may be listed twice), else its first listing; nothing when it is not listed.
std::optional<int> chooserIndexOfName(const std::vector<std::string>& entries,
                                      std::string_view name, int preferredIndex);

// The first slot whose Name equals the chooser's text exactly, or nullptr. An empty text
// matches nothing: the chooser never offers an empty name.
const LinkTemplate* templateForChooserText(const TemplateTable& table,
                                           std::string_view chooserText);

}  // namespace boardcast
