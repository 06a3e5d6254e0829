#pragma once
// The product's identity, compiled into the program and read once at start: it names the
// main window, the settings store's application and the About window.

#include <string>
#include <string_view>

namespace boardcast {

struct ProductIdentity {
    std::string_view productName;
    std::string_view companyName;
    std::string_view webSiteText;
    // The desktop's name for the program: the desktop entry, the icon, the metadata and
    // notifications all use it. Set by the build, which names the installed files with it.
    std::string_view appId;
    int versionMajor;
    int versionMinor;
    // Whether windows are skinned. This build ships no skin, so it is off.
    bool skinEnabled;
};

const ProductIdentity& productIdentity();

// The reverse-domain id that a web site's name and a product name give:
// "www.maker.example" and "Tool" give "example.maker.Tool".
std::string reverseDomainId(std::string_view webSite, std::string_view productName);

}  // namespace boardcast
