#pragma once
// What leaves the message editor: the converted outgoing text used by preview, copy and
// auto-insert, the bare conversion used by Paste Message, and how the subject, the message
// and the format choice are kept in the settings between runs.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/conversion/link_templates.h"
#include "core/result.h"
#include "core/storage/settings_store.h"

namespace boardcast {

// The message box's text when the window is created, shown until a stored message
// replaces it: thirteen lines, each ended by CR LF.
inline constexpr std::string_view kIntroductoryMessage =
    "Type your first message here.  \r\n"
    "\r\n"
    "Use plain text, and write web \r\n"
    "addresses as you would anywhere, \r\n"
    "like https://www.example.com/.\r\n"
    "Then go to a message forum's \r\n"
    "posting page and hit the \r\n"
    "\"Auto-Insert\" button to insert \r\n"
    "your message automatically!  \r\n"
    "\r\n"
    "You can switch between different \r\n"
    "formatting types by changing the \r\n"
    "value in the drop down box above.\r\n";

// Converts text with the first slot whose Name equals the chooser's text; with no such slot
// (the case for "text") the text comes back unchanged.
std::string convertMessage(std::string_view text, std::string_view chooserText,
                           const TemplateTable& table);

// The message followed by CR LF CR LF, converted.
std::string outgoingText(std::string_view message, std::string_view chooserText,
                         const TemplateTable& table);

// How the chosen template opens a link (its LinkOpen01), and what follows from that; empty
// for "text" and for a name no template has.
struct LinkOpening {
    std::string text;

    // Whether links open with an HTML tag, so that a rich text editor that keeps HTML should
    // take the message as markup rather than as text.
    bool writesHtml() const;
    // The tag links are written with, as a user names it ("[url]", "<a>"); empty when they
    // are no tags ("text", or a template that writes bare addresses).
    std::string tag() const;
};

// The tag of the chosen template's links (LinkOpening::tag).
std::string linkTagOf(std::string_view chooserText, const TemplateTable& table);

// What an auto-insert needs of the message, from one look-up of the chosen template: the
// outgoing text, how the template opens a link, and the outgoing text converted as "text"
// for a composer that would show the template's tags as text (empty when it writes none).
struct InsertConversion {
    std::string text;
    LinkOpening link;
    std::string asText;
};
InsertConversion convertForInsert(std::string_view message, std::string_view chooserText,
                                  const TemplateTable& table);

// The message converted as it stands, without the two line breaks (Paste Message).
std::string bareMessageText(std::string_view message, std::string_view chooserText,
                            const TemplateTable& table);

// The subject box's text at start: the stored subject as it is, "Type Subject Here" when
// none was ever stored.
std::string restoredSubject(const SettingsStore& store);

// Every change of the subject box stores its whole text.
Status storeSubject(SettingsStore& store, std::string_view subject);

// The message box's text at start, or nothing when the stored message is empty or a single
// space (the box then keeps the text it was created with).
std::optional<std::string> restoredMessage(const SettingsStore& store);

// At an orderly shutdown: the message box's text, unconverted.
Status storeMessage(SettingsStore& store, std::string_view message);

// The chooser index to select at start, given the entries the chooser was filled with: the
// remembered entry's name when it is still listed, else the remembered index.
int restoredChooserIndex(const SettingsStore& store, const std::vector<std::string>& entries);

// The chooser's selected index (-1 when nothing is selected) and the selected entry's text.
Status storeChooserChoice(SettingsStore& store, int index, std::string_view name);

}  // namespace boardcast
