#include "core/message_output.h"

#include <string>

#include "core/settings_keys.h"
#include "core/url_encode.h"

namespace boardcast {

std::string convertMessage(std::string_view text, std::string_view chooserText,
                           const TemplateTable& table) {
    const LinkTemplate* t = templateForChooserText(table, chooserText);
    if (t == nullptr) return std::string(text);
    return urlEncode(text, {t->LinkOpen01, t->LinkOpen02, t->LinkClose01, t->MailCall01});
}

bool templateWritesHtml(std::string_view chooserText, const TemplateTable& table) {
    const std::string link = linkMarkupOf(chooserText, table);
    const size_t start = link.find_first_not_of(" \t");
    return start != std::string::npos && link[start] == '<';
}

std::string linkMarkupOf(std::string_view chooserText, const TemplateTable& table) {
    const LinkTemplate* t = templateForChooserText(table, chooserText);
    return t == nullptr ? std::string() : t->LinkOpen01;
}

std::string outgoingText(std::string_view message, std::string_view chooserText,
                         const TemplateTable& table) {
    std::string text(message);
    text += "\r\n\r\n";
    return convertMessage(text, chooserText, table);
}

std::string bareMessageText(std::string_view message, std::string_view chooserText,
                            const TemplateTable& table) {
    return convertMessage(message, chooserText, table);
}

std::string restoredSubject(const SettingsStore& store) {
    return readSetting(store, keys::lastSubject);
}

Status storeSubject(SettingsStore& store, std::string_view subject) {
    return writeSetting(store, keys::lastSubject, subject);
}

std::optional<std::string> restoredMessage(const SettingsStore& store) {
    std::string stored = readSetting(store, keys::lastMessage);
    if (stored.empty() || stored == " ") return std::nullopt;
    return stored;
}

Status storeMessage(SettingsStore& store, std::string_view message) {
    return writeSetting(store, keys::lastMessage, message);
}

int restoredChooserIndex(const SettingsStore& store, const std::vector<std::string>& entries) {
    return chooserIndexFromSetting(readSetting(store, keys::lastConvert),
                                   static_cast<int>(entries.size()));
}

Status storeChooserIndex(SettingsStore& store, int index) {
    return writeSetting(store, keys::lastConvert, std::to_string(index));
}

}  // namespace boardcast
