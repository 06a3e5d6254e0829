#pragma once
// Undoes the Content-Encoding of an HTTP body as it arrives, so that a page is measured and
// read as the browser sees it. Fed the content bytes (already de-chunked) piece by piece, it
// decodes them in bounded steps and stops at a set decoded size, so a small compressed body
// that inflates to gigabytes costs no more memory than the cap.
//
// Concatenated gzip members are all decoded. Bytes after the last member (or after a deflate
// stream's end) that do not start another gzip member are ignored, as browsers do: servers
// that pad bodies still show their pages there.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct z_stream_s;

namespace boardcast {

class ContentDecoder {
public:
    enum class Error { None, Corrupt, TooLarge, Truncated };

    // A decoder for a Content-Encoding header's value, spaces around it and letter case
    // ignored: "" and "identity" pass through; "gzip" and "x-gzip" inflate gzip; "deflate"
    // inflates zlib data, or raw deflate data as some servers send it (told apart by the
    // first two bytes). Nothing for other codings, or for several at once.
    static std::optional<ContentDecoder> forEncoding(std::string_view contentEncoding,
                                                     std::int64_t maxDecodedBytes);

    // Decodes received bytes and appends the result to out (null only counts it). False on
    // corrupt data, or when the decoded total would pass the cap; out then holds the decoded
    // bytes up to the cap at most. A failed decoder stays failed.
    bool feed(std::string_view bytes, std::string* out);

    // The body ended: false when a compressed stream was cut short. An empty body is fine.
    bool finish();

    std::int64_t decodedBytes() const { return decoded_; }
    Error error() const { return error_; }

private:
    enum class Mode { Identity, Gzip, Deflate };
    // Sniffing: collecting two bytes to tell zlib from raw deflate, or whether a gzip member
    // follows the one that ended. Ignoring: the stream ended; what follows is dropped.
    enum class Phase { Sniffing, Inflating, Ignoring };

    struct StreamEnd {
        void operator()(z_stream_s* stream) const;
    };

    ContentDecoder(Mode mode, std::int64_t maxDecodedBytes);
    bool step(std::string_view& bytes, std::string* out);
    bool sniff(std::string_view& bytes, std::string* out);
    bool startStream(int windowBits);
    bool inflateSome(std::string_view& bytes, std::string* out);
    bool emit(std::string_view decoded, std::string* out);
    bool fail(Error error);

    Mode mode_;
    Phase phase_;
    Error error_ = Error::None;
    std::int64_t maxDecoded_;
    std::int64_t decoded_ = 0;
    bool fedAny_ = false;
    std::string head_;  // the bytes being sniffed
    // Heap-held because zlib's state points back at its z_stream, which so must not move.
    std::unique_ptr<z_stream_s, StreamEnd> stream_;
    std::unique_ptr<unsigned char[]> scratch_;  // one step's decoded bytes
};

}  // namespace boardcast
