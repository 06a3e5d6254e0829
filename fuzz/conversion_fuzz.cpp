// Feeds arbitrary text to the link conversion with each built-in template. Beyond the
// sanitizers' checks it asserts what every conversion must keep: a text without "http://"
// (any case) and "@" comes back unchanged, and every byte of the text but line breaks (a CR
// or LF that ends an address is taken out) is still there, in order.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/link_templates.h"
#include "core/url_encode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const boardcast::TemplateTable table = boardcast::defaultTemplates();
    for (int slot = 0; slot < 3; ++slot) {
        const boardcast::LinkTemplate& t = table[static_cast<size_t>(slot)];
        const std::string out =
            boardcast::urlEncode(text, {t.LinkOpen01, t.LinkOpen02, t.LinkClose01, t.MailCall01});
        std::string lower(text);
        for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (lower.find("http://") == std::string::npos && text.find('@') == std::string_view::npos &&
            out != text) {
            std::abort();
        }
        // The text without line breaks is a subsequence of the result.
        std::string kept;
        for (char c : text) {
            if (c != '\r' && c != '\n') kept += c;
        }
        size_t at = 0;
        for (char c : out) {
            if (at < kept.size() && c == kept[at]) ++at;
        }
        if (at != kept.size()) std::abort();
    }
    return 0;
}
