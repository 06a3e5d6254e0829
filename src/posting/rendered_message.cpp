#include "posting/rendered_message.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/conversion/url_encode.h"
#include "core/text/ascii.h"
#include "core/text/html_escape.h"

namespace boardcast {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// The length of the blank at text[i]: an ASCII one, or a no-break space (U+00A0, U+202F),
// which editors often turn into a plain one; 0 when none.
size_t blankAt(std::string_view text, size_t i) {
    if (isBlank(text[i])) return 1;
    if (text.substr(i, 2) == "\xC2\xA0") return 2;
    if (text.substr(i, 3) == "\xE2\x80\xAF") return 3;
    return 0;
}

// Writes HTML line by line: a paragraph for each run of lines with something on them, <br>
// between its lines, nothing for blank lines.
class ParagraphWriter {
public:
    // Text, shown as it is (HTML's character references read when keepReferences); line
    // breaks (CR LF, a lone CR or LF) end lines.
    void text(std::string_view text, bool keepReferences) {
        size_t start = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\r' && text[i] != '\n') continue;
            escaped(text.substr(start, i - start), keepReferences);
            endLine();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        escaped(text.substr(start), keepReferences);
    }
    void markup(std::string_view html) {
        if (html.empty()) return;
        open();
        out_ += html;
    }
    void link(std::string_view target, std::string_view address) {
        open();
        out_ += "<a href=\"";
        appendHtmlEscaped(out_, target);
        out_ += "\">";
        appendHtmlEscaped(out_, address);
        out_ += "</a>";
    }
    std::string finish() {
        if (paragraphOpen_) out_ += "</p>";
        paragraphOpen_ = false;
        return std::move(out_);
    }

private:
    void escaped(std::string_view text, bool keepReferences) {
        // Blanks that open a line show nothing: a line of them is a blank line.
        if (!lineHasContent_) {
            while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
                text.remove_prefix(1);
            }
        }
        if (text.empty()) return;
        open();
        if (keepReferences) {
            appendHtmlEscapedKeepingReferences(out_, text);
        } else {
            appendHtmlEscaped(out_, text);
        }
    }
    void open() {
        if (!paragraphOpen_) {
            out_ += "<p>";
            paragraphOpen_ = true;
        } else if (breakPending_) {
            out_ += "<br>";
        }
        breakPending_ = false;
        lineHasContent_ = true;
    }
    void endLine() {
        if (lineHasContent_) {
            breakPending_ = true;
        } else if (paragraphOpen_) {  // a blank line ends the paragraph
            out_ += "</p>";
            paragraphOpen_ = breakPending_ = false;
        }
        lineHasContent_ = false;
    }

    std::string out_;
    bool paragraphOpen_ = false;
    bool breakPending_ = false;
    bool lineHasContent_ = false;
};

void appendWords(std::vector<std::string>& words, std::string_view text) {
    for (std::string& word : wordsOf(text)) words.push_back(std::move(word));
}

// Whether a word still holds a character reference that we do not read ("&eacute;"); what
// the browser makes of it is not looked for.
bool holdsReference(std::string_view word) {
    for (size_t amp = word.find('&'); amp != std::string_view::npos;
         amp = word.find('&', amp + 1)) {
        size_t end = amp + 1;
        while (end < word.size() && std::isalnum(static_cast<unsigned char>(word[end]))) ++end;
        if (end > amp + 1 && end < word.size() && word[end] == ';') return true;
    }
    return false;
}

// Whether an address starts with a scheme ("http:", "mailto:").
bool hasScheme(std::string_view address) {
    size_t i = 0;
    while (i < address.size() && (std::isalnum(static_cast<unsigned char>(address[i])) ||
                                  address[i] == '+' || address[i] == '.' || address[i] == '-')) {
        ++i;
    }
    return i > 0 && std::isalpha(static_cast<unsigned char>(address[0])) && i < address.size() &&
           address[i] == ':';
}

// A link the user wrote, as a rich editor should get it.
struct WrittenLink {
    std::string target;
    std::string_view text;
};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() &&
           (isBlank(text.front()) || text.front() == '"' || text.front() == '\'')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (isBlank(text.back()) || text.back() == '"' || text.back() == '\'')) {
        text.remove_suffix(1);
    }
    return text;
}

// The link in a piece of markup the user wrote: a BBCode [url], [link] or [email] pair, or a
// Markdown link. Nothing for other markup (tags, images) or a pair whose opening never ends.
std::optional<WrittenLink> writtenLink(std::string_view markup) {
    if (markup.size() < 4 || markup.front() != '[') return std::nullopt;
    WrittenLink link;
    bool mail = false;
    if (const size_t label = markup.find("](");
        label != std::string_view::npos && markup.back() == ')') {
        link.text = markup.substr(1, label - 1);
        link.target = trimmed(markup.substr(label + 2, markup.size() - label - 3));
    } else {
        size_t nameEnd = 1;
        std::string name;
        while (nameEnd < markup.size() &&
               std::isalpha(static_cast<unsigned char>(markup[nameEnd]))) {
            name += asciiLower(markup[nameEnd++]);
        }
        const size_t close = markup.rfind("[/");
        if ((name != "url" && name != "link" && name != "email") ||
            close == std::string_view::npos || close <= nameEnd) {
            return std::nullopt;
        }
        mail = name == "email";
        if (markup[nameEnd] == '=') {
            const size_t openEnd = markup.find(']', nameEnd);
            if (openEnd == std::string_view::npos || openEnd > close) return std::nullopt;
            link.target = trimmed(markup.substr(nameEnd + 1, openEnd - nameEnd - 1));
            link.text = markup.substr(openEnd + 1, close - openEnd - 1);
        } else if (markup[nameEnd] == ']') {
            link.text = markup.substr(nameEnd + 1, close - nameEnd - 1);
            link.target = trimmed(link.text);
        } else {
            return std::nullopt;
        }
    }
    if (link.target.empty()) return std::nullopt;
    if (trimmed(link.text).empty()) link.text = {};
    // A target without a scheme is completed as the forum would read it: an e-mail address
    // to mailto:, a host and path to http://; one that starts at "/", "#" or "?" stays
    // within the forum.
    const std::string& target = link.target;
    const bool mailAddress =
        target.find('@') != std::string::npos && target.find_first_of("/?#") == std::string::npos;
    if (hasScheme(target) || target.front() == '/' || target.front() == '#' ||
        target.front() == '?') {
        return link;
    }
    link.target.insert(0, mail || mailAddress ? "mailto:" : "http://");
    return link;
}

// Targets compared as editors may rewrite them: letter case, a trailing slash.
std::string comparable(std::string_view target) {
    std::string out = asciiLowered(target);
    if (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

}  // namespace

std::vector<std::string> wordsOf(std::string_view text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size()) {
            const size_t blank = blankAt(text, i);
            if (blank == 0) break;
            i += blank;
        }
        size_t end = i;
        while (end < text.size() && blankAt(text, end) == 0) ++end;
        if (end > i) words.emplace_back(text.substr(i, end - i));
        i = end;
    }
    return words;
}

RenderedMessage renderMessage(std::string_view message, bool keepHtml) {
    RenderedMessage rendered;
    ParagraphWriter writer;
    // Both lists are in text order and never overlap: addresses lie outside markup.
    const std::vector<TextSpan> markup = findMarkup(message);
    const std::vector<FoundLink> links = findLinks(message);
    auto nextMarkup = markup.begin();
    auto nextLink = links.begin();
    size_t at = 0;
    auto plain = [&](size_t end) {
        const std::string_view piece = message.substr(at, end - at);
        writer.text(piece, keepHtml);
        if (!keepHtml) return appendWords(rendered.words, piece);
        for (std::string& word : wordsOf(decodeHtmlReferences(piece))) {
            if (!holdsReference(word)) rendered.words.push_back(std::move(word));
        }
    };
    while (nextMarkup != markup.end() || nextLink != links.end()) {
        const bool linkFirst = nextMarkup == markup.end() ||
                               (nextLink != links.end() && nextLink->begin < nextMarkup->begin);
        if (linkFirst) {
            plain(nextLink->begin);
            const std::string_view address =
                message.substr(nextLink->begin, nextLink->end - nextLink->begin);
            rendered.targets.push_back(linkTarget(address, nextLink->kind, "mailto:"));
            writer.link(rendered.targets.back(), address);
            rendered.words.emplace_back(address);
            at = nextLink->end;
            ++nextLink;
        } else {
            const std::string_view piece =
                message.substr(nextMarkup->begin, nextMarkup->end - nextMarkup->begin);
            if (keepHtml && piece.front() == '<') {
                plain(nextMarkup->begin);
                writer.markup(piece);
                at = nextMarkup->end;
            } else if (const std::optional<WrittenLink> link = writtenLink(piece)) {
                // A link the user wrote becomes a link the editor writes in its own markup.
                plain(nextMarkup->begin);
                const std::string_view text = link->text.empty() ? link->target : link->text;
                writer.link(link->target, text);
                appendWords(rendered.words, text);
                rendered.targets.push_back(link->target);
                at = nextMarkup->end;
            }
            // Any other markup stays in the text around it, shown as it was written.
            ++nextMarkup;
        }
    }
    plain(message.size());
    rendered.html = writer.finish();
    return rendered;
}

void findLosses(const std::vector<std::string>& words, const std::vector<std::string>& targets,
                const ReadBack& read, InsertResult& result) {
    // Each missing word is looked for in the rest of the text; after this many the message
    // is plainly not there, and the rest need not be looked for.
    constexpr size_t kEnoughMissing = 50;
    size_t from = 0;
    for (const std::string& word : words) {
        if (result.missingWords.size() == kEnoughMissing) break;
        const size_t found = read.text.find(word, from);
        if (found == std::string::npos) {
            result.missingWords.push_back(word);
        } else {
            from = found + word.size();
        }
    }
    // More words than the message and some slack for what editors add: the editor kept what
    // it held before, beside the message or instead of it.
    const size_t held = wordsOf(read.text).size();
    if (held > words.size() + std::max<size_t>(5, words.size() / 5)) {
        result.extraWords = held - words.size();
    }

    const std::string text = comparable(read.text);
    std::vector<std::string> links;
    for (const std::string& target : read.targets) links.push_back(comparable(target));
    for (const std::string& target : targets) {
        const std::string wanted = comparable(target);
        bool kept = false;
        if (read.markupAsText) {
            // BBCode may write an e-mail link as [email]address[/email].
            const std::string_view bare =
                wanted.starts_with("mailto:") ? std::string_view(wanted).substr(7) : wanted;
            kept = text.find(bare) != std::string::npos;
        } else {
            // A target within the forum ("/t/1") comes back completed with its host.
            const bool withinForum = !hasScheme(wanted);
            kept = std::any_of(links.begin(), links.end(), [&](const std::string& link) {
                return link == wanted || (withinForum && link.ends_with(wanted));
            });
        }
        if (!kept) result.missingLinks.push_back(target);
    }
}

void findWriteLosses(const MessageText& message, bool renderedWent, const ReadBack& read,
                     InsertResult& result) {
    if (renderedWent)
        return findLosses(message.rendered.words, message.rendered.targets, read, result);
    // The converted text holds its links as markup, among its words.
    findLosses(wordsOf(message.text), {}, read, result);
}

std::string lossReport(const InsertResult& result) {
    constexpr size_t kShown = 8;
    auto list = [](const std::vector<std::string>& items) {
        std::string out;
        for (size_t i = 0; i < items.size() && i < kShown; ++i) {
            out += i == 0 ? "" : ", ";
            out += items[i];
        }
        if (items.size() > kShown) out += " and " + std::to_string(items.size() - kShown) + " more";
        return out;
    };
    std::string report =
        "The editor on this page does not hold your message as you wrote it, so it would not "
        "be posted that way.\n\n";
    if (!result.missingLinks.empty()) {
        report += "Links it did not keep: " + list(result.missingLinks) + "\n";
    }
    if (!result.missingWords.empty()) {
        report += "Words it did not keep: " + list(result.missingWords) + "\n";
    }
    if (result.extraWords > 0) {
        report += "It also holds " + std::to_string(result.extraWords) +
                  " words that are not in your message, perhaps an earlier draft.\n";
    }
    report += "\nMend the message on the page before you send it, or paste it in instead.";
    return report;
}

}  // namespace boardcast
