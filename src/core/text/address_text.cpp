#include "core/text/address_text.h"

#include <algorithm>

namespace boardcast {

std::string withHiddenPassword(const std::string& address) {
    const size_t scheme = address.find("://");
    if (scheme == std::string::npos) return address;
    const size_t start = scheme + 3;
    const size_t end = std::min(address.find_first_of("/?#", start), address.size());
    const size_t at = address.rfind('@', end);
    if (at == std::string::npos || at < start) return address;
    const size_t colon = address.find(':', start);
    if (colon == std::string::npos || colon > at) return address;  // a user name alone
    return address.substr(0, colon + 1) + "***" + address.substr(at);
}

}  // namespace boardcast
