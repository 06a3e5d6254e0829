#include "net/content_decoder.h"

#include <zlib.h>

#include <algorithm>

#include "core/text/ascii.h"

namespace boardcast {

namespace {

// Decoded bytes per inflate step: what one step may hold in memory beside the output.
constexpr size_t kStepBytes = size_t{64} << 10;

// Whether two bytes are a zlib header (RFC 1950): method 8, a window of at most 32 KiB, and
// the check bits that make the pair a multiple of 31. Raw deflate data rarely passes.
bool isZlibHeader(unsigned char cmf, unsigned char flg) {
    return (cmf & 0x0f) == 8 && (cmf >> 4) <= 7 && ((cmf << 8) | flg) % 31 == 0;
}

bool isGzipMagic(unsigned char b0, unsigned char b1) {
    return b0 == 0x1f && b1 == 0x8b;
}

constexpr int kGzipWindow = 16 + MAX_WBITS;
constexpr int kZlibWindow = MAX_WBITS;
constexpr int kRawWindow = -MAX_WBITS;

}  // namespace

void ContentDecoder::StreamEnd::operator()(z_stream_s* stream) const {
    inflateEnd(stream);
    delete stream;
}

std::optional<ContentDecoder> ContentDecoder::forEncoding(std::string_view contentEncoding,
                                                          std::int64_t maxDecodedBytes) {
    const std::string_view coding = trimmedBlanks(contentEncoding);
    const std::int64_t cap = std::max<std::int64_t>(maxDecodedBytes, 0);
    if (coding.empty() || equalsIgnoringCase(coding, "identity")) {
        return ContentDecoder(Mode::Identity, cap);
    }
    if (equalsIgnoringCase(coding, "gzip") || equalsIgnoringCase(coding, "x-gzip")) {
        ContentDecoder decoder(Mode::Gzip, cap);
        if (!decoder.startStream(kGzipWindow)) return std::nullopt;
        return decoder;
    }
    if (equalsIgnoringCase(coding, "deflate")) return ContentDecoder(Mode::Deflate, cap);
    return std::nullopt;
}

ContentDecoder::ContentDecoder(Mode mode, std::int64_t maxDecodedBytes)
    : mode_(mode), phase_(Phase::Sniffing), maxDecoded_(maxDecodedBytes) {}

bool ContentDecoder::feed(std::string_view bytes, std::string* out) {
    if (error_ != Error::None) return false;
    if (mode_ == Mode::Identity) return emit(bytes, out);
    if (!bytes.empty()) fedAny_ = true;
    while (!bytes.empty() && phase_ != Phase::Ignoring) {
        if (!step(bytes, out)) return false;
    }
    return true;
}

bool ContentDecoder::finish() {
    if (error_ != Error::None) return false;
    if (mode_ == Mode::Identity) return true;
    switch (phase_) {
        case Phase::Inflating:
            return fedAny_ ? fail(Error::Truncated) : true;
        case Phase::Sniffing:
            // One byte of a deflate header is a cut body; one byte after a gzip member is
            // trailing garbage.
            return mode_ == Mode::Deflate && !head_.empty() ? fail(Error::Truncated) : true;
        case Phase::Ignoring:
            return true;
    }
    return true;
}

bool ContentDecoder::step(std::string_view& bytes, std::string* out) {
    return phase_ == Phase::Sniffing ? sniff(bytes, out) : inflateSome(bytes, out);
}

// Collects two bytes, then starts the stream they begin and feeds them to it. A deflate body
// is zlib-wrapped or raw; after a gzip member only the gzip magic starts another.
bool ContentDecoder::sniff(std::string_view& bytes, std::string* out) {
    const size_t take = std::min(bytes.size(), 2 - head_.size());
    head_.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (head_.size() < 2) return true;

    const auto b0 = static_cast<unsigned char>(head_[0]);
    const auto b1 = static_cast<unsigned char>(head_[1]);
    bool started = false;
    if (mode_ == Mode::Deflate) {
        started = startStream(isZlibHeader(b0, b1) ? kZlibWindow : kRawWindow);
    } else if (isGzipMagic(b0, b1)) {
        started = inflateReset(stream_.get()) == Z_OK;
        phase_ = Phase::Inflating;
    } else {
        phase_ = Phase::Ignoring;
        return true;
    }
    if (!started) return fail(Error::Corrupt);

    const std::string head = std::move(head_);
    head_.clear();
    std::string_view rest = head;
    while (!rest.empty() && phase_ != Phase::Ignoring) {
        if (!step(rest, out)) return false;
    }
    return true;
}

bool ContentDecoder::startStream(int windowBits) {
    stream_.reset(new z_stream{});
    if (inflateInit2(stream_.get(), windowBits) != Z_OK) {
        stream_.reset();
        return false;
    }
    phase_ = Phase::Inflating;
    return true;
}

// Inflates the bytes a step at a time, each step's output capped at one byte past what the
// cap leaves, so passing the cap is seen without decoding more than a step beyond it.
bool ContentDecoder::inflateSome(std::string_view& bytes, std::string* out) {
    if (!scratch_) scratch_ = std::make_unique<unsigned char[]>(kStepBytes);
    z_stream& s = *stream_;
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    s.avail_in = static_cast<uInt>(bytes.size());
    int rc = Z_OK;
    do {
        const std::int64_t room = std::min<std::int64_t>(kStepBytes, maxDecoded_ - decoded_ + 1);
        s.next_out = scratch_.get();
        s.avail_out = static_cast<uInt>(room);
        rc = inflate(&s, Z_NO_FLUSH);
        const size_t produced = static_cast<size_t>(room) - s.avail_out;
        if (!emit({reinterpret_cast<const char*>(scratch_.get()), produced}, out)) return false;
        // Z_BUF_ERROR: no progress, all input taken. Other codes are broken or unusable data.
        if (rc == Z_BUF_ERROR) break;
        if (rc != Z_OK && rc != Z_STREAM_END) return fail(Error::Corrupt);
    } while (rc == Z_OK && (s.avail_in > 0 || s.avail_out == 0));
    bytes.remove_prefix(bytes.size() - s.avail_in);
    if (rc == Z_STREAM_END) phase_ = mode_ == Mode::Gzip ? Phase::Sniffing : Phase::Ignoring;
    return true;
}

// Counts decoded bytes and appends them, keeping out and the count within the cap.
bool ContentDecoder::emit(std::string_view decoded, std::string* out) {
    const auto left = static_cast<size_t>(maxDecoded_ - decoded_);
    const bool tooLarge = decoded.size() > left;
    if (tooLarge) decoded = decoded.substr(0, left);
    if (out) out->append(decoded);
    decoded_ += static_cast<std::int64_t>(decoded.size());
    return tooLarge ? fail(Error::TooLarge) : true;
}

bool ContentDecoder::fail(Error error) {
    error_ = error;
    return false;
}

}  // namespace boardcast
