#include "core/library/message_library.h"

#include <utility>

#include "core/storage/text_file.h"
#include "core/text/ascii.h"

namespace boardcast {

namespace {

constexpr std::string_view kBreakMarker = "[br]";

bool isBlankLine(std::string_view line) {
    return line.empty() || line == " ";
}

// Collapses every run of consecutive CR LF pairs into one CR LF: the same as replacing
// CR LF CR LF by CR LF for as long as the text holds one.
std::string collapseBlankLines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text.substr(i, 2) == kCrLf) {
            out += kCrLf;
            i += 2;
            while (text.substr(i, 2) == kCrLf) i += 2;
        } else {
            out += text[i++];
        }
    }
    return out;
}

// The file's lines, each ended by CR LF, without those that leaveOut picks: what saving and
// deleting write back.
template <class Pick>
Result<std::string> linesWithout(const std::string& path, Pick leaveOut) {
    auto lines = readLines(path);
    if (!lines) return lines.error();
    std::string text;
    for (const std::string& line : lines.value()) {
        if (leaveOut(line)) continue;
        text += line;
        text += kCrLf;
    }
    return text;
}

}  // namespace

std::string encodeRecord(std::string_view message, std::string_view subject) {
    std::string record;
    record.reserve(message.size() + subject.size() + 1);
    for (size_t i = 0; i < message.size(); ++i) {
        // A lone CR would end the record's line in the file, so it is a break like CR LF.
        if (message[i] == '\r') {
            record += kBreakMarker;
            if (message.substr(i, 2) == kCrLf) ++i;
        } else {
            record += message[i];
        }
    }
    record += '|';
    record += subject;
    return record;
}

Status saveMessage(const std::string& folder, std::string_view message, std::string_view subject) {
    const std::string path = joinPath(folder, kMessagesFile);
    auto kept = linesWithout(path, isBlankLine);
    if (!kept) return kept.error();
    std::string text = std::move(kept).value() + encodeRecord(message, subject);
    text = collapseBlankLines(text);
    text += kCrLf;
    return writeFileAtomic(path, text);
}

Result<std::vector<std::string>> loadMessageList(const std::string& folder) {
    return readLines(joinPath(folder, kMessagesFile));
}

Status deleteMessage(const std::string& folder, std::string_view entry) {
    const std::string path = joinPath(folder, kMessagesFile);
    auto kept = linesWithout(path, [entry](const std::string& line) { return line == entry; });
    if (!kept) return kept.error();
    std::string text = std::move(kept).value();
    text += kCrLf;
    return writeFileAtomic(path, text);
}

DecodedRecord decodeRecord(std::string_view line) {
    DecodedRecord record;
    if (line.empty()) return record;  // no pieces at all
    size_t bar = line.find('|');
    std::string_view first = line.substr(0, bar);
    if (bar != std::string_view::npos) {
        size_t next = line.find('|', bar + 1);
        record.subject = std::string(line.substr(
            bar + 1, next == std::string_view::npos ? std::string_view::npos : next - bar - 1));
    }
    for (size_t i = 0; i < first.size();) {
        if (startsWithIgnoringCase(first.substr(i), kBreakMarker)) {
            record.message += kCrLf;
            i += kBreakMarker.size();
        } else {
            record.message += first[i++];
        }
    }
    record.blank = first.empty();
    return record;
}

}  // namespace boardcast
