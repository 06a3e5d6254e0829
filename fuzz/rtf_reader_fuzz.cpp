// Feeds arbitrary bytes to the RTF reader. Beyond the sanitizers' checks it asserts what
// every result must be: valid UTF-8 in non-empty runs, neighbours with different formats.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/help/rtf_reader.h"

namespace {

bool validUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const size_t n = b < 0x80    ? 1
                         : b >= 0xF5 ? 0
                         : b >= 0xF0 ? 4
                         : b >= 0xE0 ? 3
                         : b >= 0xC2 ? 2
                                     : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const boardcast::RtfDocument doc = boardcast::readRtf(bytes);
    for (const boardcast::RtfParagraph& p : doc.paragraphs) {
        for (size_t i = 0; i < p.runs.size(); ++i) {
            const boardcast::RtfRun& run = p.runs[i];
            if (run.text.empty() || !validUtf8(run.text)) std::abort();
            if (i > 0) {
                boardcast::RtfRun prev = p.runs[i - 1];
                prev.text = run.text;
                if (prev == run) std::abort();  // equal formats should have been merged
            }
        }
    }
    const std::string text = boardcast::plainText(doc);
    if (!validUtf8(text)) std::abort();
    return 0;
}
