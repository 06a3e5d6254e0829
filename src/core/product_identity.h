#pragma once
// The product's identity, compiled into the program and read once at start: it names the
// main window, the settings store's application and the About window.

#include <string_view>

namespace boardcast {

struct ProductIdentity {
    std::string_view productName;
    std::string_view companyName;
    std::string_view webSiteText;
    int versionMajor;
    int versionMinor;
    // Whether windows are skinned. This build ships no skin, so it is off.
    bool skinEnabled;
};

const ProductIdentity& productIdentity();

}  // namespace boardcast
