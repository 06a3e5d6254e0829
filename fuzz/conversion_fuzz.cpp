// Feeds arbitrary text to the link conversion. Beyond the sanitizers' checks it asserts what
// every conversion must keep: converting again with html or ubb changes nothing, and taking
// the links out gives the text back byte for byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "link_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!boardcast::conversionKeepsTheMessage(text)) std::abort();
    return 0;
}
