#include "net/page_facts.h"

#include <algorithm>
#include <array>

#include "core/text/ascii.h"
#include "core/text/code_pages.h"
#include "core/text/html_escape.h"
#include "net/html_document.h"

namespace boardcast {

void BodyReader::keep(std::string_view bytes) {
    if (decoder_) {
        // Once as much is kept as may be, the rest is only counted. What does not decode
        // stops here; the probe reads the decoder's error.
        decoded_.clear();
        const bool room = content_.size() < maxKept_;
        if (!decoder_->feed(bytes, room ? &decoded_ : nullptr) || !room) {
            if (decoded_.empty()) return;
        }
        bytes = decoded_;
    }
    const size_t room = maxKept_ - std::min(maxKept_, content_.size());
    content_.append(bytes.substr(0, std::min(room, bytes.size())));
}

void BodyReader::feed(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        switch (state_) {
            case State::Raw:
                keep(bytes.substr(i));
                return;
            case State::Size: {
                const int digit = c >= '0' && c <= '9'   ? c - '0'
                                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : -1;
                if (digit >= 0 && left_ < (std::uint64_t{1} << 56)) {
                    left_ = left_ * 16 + static_cast<unsigned>(digit);
                    sizeDigits_ = true;
                } else if (sizeDigits_ && (c == ';' || c == ' ' || c == '\t')) {
                    state_ = State::Extension;
                } else if (sizeDigits_ && c == '\r') {
                    state_ = State::SizeLf;
                } else {
                    state_ = State::Raw;
                    continue;
                }
                break;
            }
            case State::Extension:
                if (c == '\r') state_ = State::SizeLf;
                break;
            case State::SizeLf:
                if (c != '\n') {
                    state_ = State::Raw;
                    continue;
                }
                state_ = left_ == 0 ? State::Trailer : State::Data;
                break;
            case State::Data: {
                const size_t n =
                    static_cast<size_t>(std::min<std::uint64_t>(left_, bytes.size() - i));
                keep(bytes.substr(i, n));
                left_ -= n;
                i += n;
                if (left_ == 0) state_ = State::DataCr;
                continue;
            }
            case State::DataCr:
                if (c != '\r') {
                    state_ = State::Raw;
                    continue;
                }
                state_ = State::DataLf;
                break;
            case State::DataLf:
                if (c != '\n') {
                    state_ = State::Raw;
                    continue;
                }
                state_ = State::Size;
                sizeDigits_ = false;
                break;
            case State::Trailer:
                // Trailer fields are no content; an empty line ends them and the message.
                if (c == '\n') {
                    if (lineStart_) state_ = State::Ended;
                    lineStart_ = true;
                } else if (c != '\r') {
                    lineStart_ = false;
                }
                break;
            case State::Ended:
                return;
        }
        ++i;
    }
}

namespace {

// Whether an attribute holds token in its space-separated list, letter case ignored.
bool hasToken(const std::string_view* value, std::string_view token) {
    return value && listHoldsToken(*value, token, true);
}

}  // namespace

PageLinks pageLinks(const HtmlDocument& page) {
    PageLinks links;
    for (const HtmlNode& n : page.nodes()) {
        if (!n.is("a") && !n.is("link")) continue;
        const std::string_view* href = n.attribute("href");
        if (!href || href->empty()) continue;
        const std::string_view* rel = n.attribute("rel");
        if (links.next.empty() &&
            (hasToken(rel, "next") ||
             (n.is("a") && hasToken(n.attribute("class"), "pagination_next")))) {
            links.next = std::string(*href);
        }
        if (links.canonical.empty() && n.is("link") && hasToken(rel, "canonical")) {
            links.canonical = std::string(*href);
        }
    }
    return links;
}

PageLinks pageLinks(std::string_view html) {
    return pageLinks(HtmlDocument::parse(html));
}

std::string pageTitle(const HtmlDocument& page) {
    for (int i = 0; i < page.size(); ++i) {
        if (!page.at(i).is("title")) continue;
        // The title's text as the page writes it (its references are read below).
        const std::string raw = i + 1 < page.at(i).end ? std::string(page.at(i + 1).name) : "";
        return collapsedBlanks(decodeHtmlReferences(textFromBytes(raw)), kMaxTitleChars);
    }
    return {};
}

std::string pageTitle(std::string_view html) {
    return pageTitle(HtmlDocument::parse(html));
}

}  // namespace boardcast
