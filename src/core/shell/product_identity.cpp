#include "core/shell/product_identity.h"

namespace boardcast {

const ProductIdentity& productIdentity() {
    static const ProductIdentity identity{"Boardcast",
                                          "Quillfen",
                                          "www.quillfen.example",
                                          BOARDCAST_APP_ID,
                                          BOARDCAST_VERSION_MAJOR,
                                          BOARDCAST_VERSION_MINOR,
                                          false};
    return identity;
}

std::string reverseDomainId(std::string_view webSite, std::string_view productName) {
    if (webSite.starts_with("www.")) webSite.remove_prefix(4);
    std::string id;
    while (!webSite.empty()) {
        const size_t dot = webSite.rfind('.');
        const std::string_view label =
            dot == std::string_view::npos ? webSite : webSite.substr(dot + 1);
        if (!label.empty()) id.append(label).push_back('.');
        webSite = webSite.substr(0, dot == std::string_view::npos ? 0 : dot);
    }
    return id.append(productName);
}

}  // namespace boardcast
