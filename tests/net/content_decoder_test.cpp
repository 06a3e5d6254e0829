#include "net/content_decoder.h"

#include <zlib.h>

#include <gtest/gtest.h>

namespace boardcast {
namespace {

using Error = ContentDecoder::Error;

constexpr int kGzip = 16 + MAX_WBITS;
constexpr int kZlib = MAX_WBITS;
constexpr int kRaw = -MAX_WBITS;

std::string compressed(std::string_view text, int windowBits) {
    z_stream s{};
    EXPECT_EQ(deflateInit2(&s, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY),
              Z_OK);
    std::string out(deflateBound(&s, text.size()), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    s.avail_in = static_cast<uInt>(text.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

// Text that compresses, but not to nothing, and spans several of the decoder's steps.
std::string sampleText(size_t size) {
    std::string text;
    std::uint32_t x = 12345;
    while (text.size() < size) {
        x = x * 1103515245 + 12345;
        text += "post " + std::to_string(x >> 20) + (x & 0x100 ? " <p>quoted</p>\n" : " ");
    }
    text.resize(size);
    return text;
}

struct Result {
    bool ok = true;
    Error error = Error::None;
    std::string out;
    std::int64_t decoded = 0;
};

// Feeds the body whole or a byte at a time, stopping at the first failure as the probe does.
Result decode(std::string_view encoding, std::string_view body, bool byBytes,
              std::int64_t cap = std::int64_t{64} << 20) {
    auto decoder = ContentDecoder::forEncoding(encoding, cap);
    EXPECT_TRUE(decoder) << encoding;
    if (!decoder) return {false, Error::None, {}, 0};
    Result r;
    const size_t piece = byBytes ? 1 : std::max<size_t>(body.size(), 1);
    for (size_t i = 0; i < body.size() && r.ok; i += piece) {
        r.ok = decoder->feed(body.substr(i, piece), &r.out);
    }
    r.ok = r.ok && decoder->finish();
    r.error = decoder->error();
    r.decoded = decoder->decodedBytes();
    return r;
}

TEST(ContentDecoder, DecodesEachCodingWholeAndByteByByte) {
    const std::string text = sampleText(300000);
    const std::string gz = compressed(text, kGzip);
    struct Row {
        std::string name, encoding, body, decoded;
    };
    const Row rows[] = {
        {"gzip", "gzip", gz, text},
        {"x-gzip, spaces and case", " X-GZip\t", gz, text},
        {"zlib", "deflate", compressed(text, kZlib), text},
        {"raw deflate", "Deflate", compressed(text, kRaw), text},
        {"raw deflate of nothing", "deflate", compressed("", kRaw), ""},
        {"identity", "identity", text, text},
        {"no coding", "", text, text},
        {"empty gzip body", "gzip", "", ""},
        {"empty deflate body", "deflate", "", ""},
        {"two gzip members", "gzip", compressed("one ", kGzip) + compressed("two", kGzip),
         "one two"},
        {"zero padding after gzip", "gzip", gz + std::string(7, '\0'), text},
        {"half a gzip magic after gzip", "gzip", gz + "\x1f", text},
        {"garbage after deflate", "deflate", compressed("x", kZlib) + "junk", "x"},
    };
    for (const Row& row : rows) {
        for (bool byBytes : {false, true}) {
            const Result r = decode(row.encoding, row.body, byBytes);
            EXPECT_TRUE(r.ok) << row.name << " by bytes " << byBytes;
            EXPECT_EQ(r.out, row.decoded) << row.name << " by bytes " << byBytes;
            EXPECT_EQ(r.decoded, static_cast<std::int64_t>(row.decoded.size())) << row.name;
        }
    }
}

TEST(ContentDecoder, StopsAtTheCap) {
    constexpr std::int64_t kCap = std::int64_t{64} << 20;
    const std::string zeros(kCap + 1, '\0');
    const std::string bomb = compressed(zeros, kGzip);
    ASSERT_LT(bomb.size(), size_t{100} << 10);
    struct Row {
        std::string name, encoding, body;
        std::int64_t cap;
        bool ok;
    };
    const Row rows[] = {
        {"gzip one byte over", "gzip", bomb, kCap, false},
        {"gzip at the cap", "gzip", bomb, kCap + 1, true},
        {"deflate over", "deflate", compressed(sampleText(5000), kRaw), 4999, false},
        {"identity over", "", "abcdef", 5, false},
        {"identity at the cap", "", "abcde", 5, true},
    };
    for (const Row& row : rows) {
        const Result r = decode(row.encoding, row.body, false, row.cap);
        EXPECT_EQ(r.ok, row.ok) << row.name;
        EXPECT_EQ(r.error, row.ok ? Error::None : Error::TooLarge) << row.name;
        // Every row reaches its cap; those over it keep no byte beyond.
        EXPECT_EQ(r.decoded, row.cap) << row.name;
        EXPECT_EQ(static_cast<std::int64_t>(r.out.size()), row.cap) << row.name;
    }

    // Counting alone, a failed decoder stays failed.
    auto decoder = ContentDecoder::forEncoding("gzip", 1000);
    EXPECT_FALSE(decoder->feed(bomb, nullptr));
    EXPECT_EQ(decoder->decodedBytes(), 1000);
    EXPECT_FALSE(decoder->feed("", nullptr));
    EXPECT_FALSE(decoder->finish());
}

TEST(ContentDecoder, RejectsCorruptAndCutBodies) {
    const std::string text = sampleText(20000);
    const std::string gz = compressed(text, kGzip);
    const std::string zlib = compressed(text, kZlib);
    std::string badCrc = gz;
    badCrc[badCrc.size() - 6] ^= 1;
    std::string badAdler = zlib;
    badAdler.back() ^= 1;
    struct Row {
        std::string name, encoding, body;
        Error error;
    };
    const Row rows[] = {
        {"not gzip", "gzip", text, Error::Corrupt},
        {"zlib labelled gzip", "gzip", zlib, Error::Corrupt},
        {"gzip checksum", "gzip", badCrc, Error::Corrupt},
        {"zlib checksum", "deflate", badAdler, Error::Corrupt},
        {"zlib asking for a dictionary", "deflate", "\x78\xbb" + zlib.substr(2), Error::Corrupt},
        {"invalid block type", "deflate", std::string("\x07\x00\x00", 3), Error::Corrupt},
        {"gzip cut in the middle", "gzip", gz.substr(0, gz.size() / 2), Error::Truncated},
        {"gzip without its length", "gzip", gz.substr(0, gz.size() - 4), Error::Truncated},
        {"second member cut", "gzip", gz + gz.substr(0, 12), Error::Truncated},
        {"one byte of deflate", "deflate", "\x78", Error::Truncated},
        {"zlib header only", "deflate", zlib.substr(0, 2), Error::Truncated},
    };
    for (const Row& row : rows) {
        for (bool byBytes : {false, true}) {
            const Result r = decode(row.encoding, row.body, byBytes);
            EXPECT_FALSE(r.ok) << row.name << " by bytes " << byBytes;
            EXPECT_EQ(r.error, row.error) << row.name << " by bytes " << byBytes;
        }
    }
}

TEST(ContentDecoder, RefusesOtherCodings) {
    for (const char* encoding : {"br", "zstd", "compress", "gzip, br", "gzip, gzip", "gzipx"}) {
        EXPECT_FALSE(ContentDecoder::forEncoding(encoding, 100)) << encoding;
    }
}

TEST(ContentDecoder, KeepsDecodingAfterAMove) {
    const std::string text = sampleText(100000);
    const std::string gz = compressed(text, kGzip);
    auto first = ContentDecoder::forEncoding("gzip", 1 << 20);
    std::string out;
    ASSERT_TRUE(first->feed(std::string_view(gz).substr(0, 1000), &out));
    ContentDecoder moved = std::move(*first);
    ASSERT_TRUE(moved.feed(std::string_view(gz).substr(1000), &out));
    EXPECT_TRUE(moved.finish());
    EXPECT_EQ(out, text);
}

}  // namespace
}  // namespace boardcast
