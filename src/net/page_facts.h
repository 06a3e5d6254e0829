#pragma once
// What a probe reads from a fetched page besides its size: the body as the server meant it
// (chunk framing taken off) and the page's title.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/content_decoder.h"

namespace boardcast {

// Keeps the first maxKept bytes of a body's content as it arrives in pieces, taking the
// framing off a chunked one and, with a decoder, its compression. A body whose framing
// cannot be read is kept as it came from then on.
class BodyReader {
public:
    BodyReader(size_t maxKept, bool chunked)
        : state_(chunked ? State::Size : State::Raw), maxKept_(maxKept) {}
    void feed(std::string_view bytes);
    // Content from now on is decoded before it is kept (and counted by the decoder).
    void decodeWith(ContentDecoder decoder) { decoder_ = std::move(decoder); }
    const std::optional<ContentDecoder>& decoder() const { return decoder_; }
    std::optional<ContentDecoder>& decoder() { return decoder_; }
    const std::string& content() const { return content_; }
    // What was kept, taken over by the caller; the reader holds nothing after.
    std::string take() { return std::move(content_); }
    // A chunked body's last chunk and its trailer have arrived: the message is complete.
    bool ended() const { return state_ == State::Ended; }

private:
    void keep(std::string_view bytes);
    enum class State { Size, Extension, SizeLf, Data, DataCr, DataLf, Trailer, Ended, Raw } state_;
    bool lineStart_ = true;   // in the trailer: nothing but CR yet on this line
    std::uint64_t left_ = 0;  // of the current chunk
    bool sizeDigits_ = false;
    size_t maxKept_;
    std::string content_;
    std::optional<ContentDecoder> decoder_;
    std::string decoded_;  // one piece's decoded bytes
};

// The links of a page that tell where its thread goes on, as written (character references
// read, not yet resolved against the page's address); empty when the page has none.
struct PageLinks {
    // The next page of the thread: a <link> or <a> whose rel names "next", or, for engines
    // that mark it otherwise, an <a> of class "pagination_next" (MyBB); the first one found.
    std::string next;
    std::string canonical;  // <link rel="canonical">
};
PageLinks pageLinks(std::string_view html);
class HtmlDocument;
PageLinks pageLinks(const HtmlDocument& page);

// The text of the first <title> element, with character references read (named ones of
// HTML's common set, decimal and hexadecimal), blanks collapsed and trimmed, cut to
// kMaxTitleChars characters. Bytes that are not UTF-8 are read as Windows 1252. Empty when
// the page has no title.
inline constexpr size_t kMaxTitleChars = 300;
std::string pageTitle(std::string_view html);
std::string pageTitle(const HtmlDocument& page);

}  // namespace boardcast
