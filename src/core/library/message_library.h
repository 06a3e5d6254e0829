#pragma once
// The library of saved messages: messages.txt, one record per line, written as the message
// (each CR LF, and each lone CR, as "[br]"), "|", the subject. Nothing is escaped, so a "|" in the
// message shifts the pieces when the line is read back.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace boardcast {

inline constexpr std::string_view kMessagesFile = "messages.txt";

// Appends a record for the message and subject. Lines that are empty or a single space are
// dropped on the way. Fails (the file stays as it was) when messages.txt is missing or
// cannot be read or written.
Status saveMessage(const std::string& folder, std::string_view message, std::string_view subject);

// Every line of messages.txt in file order, empty lines included, undecoded. NotFound when
// the file does not exist.
Result<std::vector<std::string>> loadMessageList(const std::string& folder);

// Removes every line equal to entry (exact comparison) and adds one empty line at the end.
// Fails (the file stays as it was) when messages.txt is missing or cannot be read or written.
Status deleteMessage(const std::string& folder, std::string_view entry);

struct DecodedRecord {
    std::string message;                 // "[br]" in any letter case turned into CR LF
    std::optional<std::string> subject;  // only when the line holds a "|"
    bool blank = true;                   // an empty line, or nothing before the first "|"
};

DecodedRecord decodeRecord(std::string_view line);

// The record line for a message and subject, as saveMessage appends it.
std::string encodeRecord(std::string_view message, std::string_view subject);

}  // namespace boardcast
