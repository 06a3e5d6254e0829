#include "core/conversion/message_output.h"

#include <cctype>
#include <string>

#include "core/conversion/url_encode.h"
#include "core/storage/settings_keys.h"

namespace boardcast {

namespace {

constexpr std::string_view kMessageEnd = "\r\n\r\n";

// Converts text with the template; without one the text comes back unchanged.
std::string convertWith(const LinkTemplate* t, std::string_view text) {
    if (t == nullptr) return std::string(text);
    return urlEncode(text, {t->LinkOpen01, t->LinkOpen02, t->LinkClose01, t->MailCall01});
}

// The outgoing text: the message with two line breaks after it, converted.
std::string outgoingWith(const LinkTemplate* t, std::string_view message) {
    std::string text(message);
    text += kMessageEnd;
    return convertWith(t, text);
}

LinkOpening linkOpeningOf(const LinkTemplate* t) {
    return {t == nullptr ? std::string() : t->LinkOpen01};
}

}  // namespace

std::string convertMessage(std::string_view text, std::string_view chooserText,
                           const TemplateTable& table) {
    return convertWith(templateForChooserText(table, chooserText), text);
}

bool LinkOpening::writesHtml() const {
    const size_t start = text.find_first_not_of(" \t");
    return start != std::string::npos && text[start] == '<';
}

std::string LinkOpening::tag() const {
    const size_t open = text.find_first_of("[<");
    if (open == std::string::npos) return {};
    size_t end = open + 1;
    while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end]))) ++end;
    if (end == open + 1) return {};  // "[" before a bare address: no tag
    return text.substr(open, end - open) + (text[open] == '[' ? "]" : ">");
}

std::string linkTagOf(std::string_view chooserText, const TemplateTable& table) {
    return linkOpeningOf(templateForChooserText(table, chooserText)).tag();
}

std::string outgoingText(std::string_view message, std::string_view chooserText,
                         const TemplateTable& table) {
    return outgoingWith(templateForChooserText(table, chooserText), message);
}

InsertConversion convertForInsert(std::string_view message, std::string_view chooserText,
                                  const TemplateTable& table) {
    const LinkTemplate* chosen = templateForChooserText(table, chooserText);
    InsertConversion out{outgoingWith(chosen, message), linkOpeningOf(chosen), {}};
    // "text" is looked up as the chooser's first entry would be: a custom template may
    // carry that name.
    if (!out.link.tag().empty()) out.asText = outgoingText(message, kPlainTextEntry, table);
    return out;
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
    const int index = chooserIndexFromSetting(readSetting(store, keys::lastConvert),
                                              static_cast<int>(entries.size()));
    const std::string name = readSetting(store, keys::lastConvertName);
    if (name.empty()) return index;  // remembered before names were, or nothing selected
    return chooserIndexOfName(entries, name, index).value_or(index);
}

Status storeChooserChoice(SettingsStore& store, int index, std::string_view name) {
    if (Status s = writeSetting(store, keys::lastConvert, std::to_string(index)); !s) return s;
    return writeSetting(store, keys::lastConvertName, name);
}

}  // namespace boardcast
