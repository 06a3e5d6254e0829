#include "core/shell/website_layout.h"

#include <cstdlib>

namespace boardcast {

WebsiteLayout layoutWebsiteWindow(int width, int height, int statusBarHeight) {
    using namespace website_design;
    WebsiteLayout l{};
    l.panelWidth = std::abs(width / 2);
    l.frameHeight = std::abs(height - statusBarHeight);
    l.frameWidth = std::abs(width - 300);
    l.addressWidth = std::abs(l.frameWidth - kAddressLeft - 300 - kGoWidth);
    l.goLeft = std::abs(kAddressLeft + l.addressWidth + 100);
    l.browserWidth = std::abs(l.frameWidth - kBrowserLeft - 100);
    l.browserHeight = std::abs(l.frameHeight - kBrowserTop - 800 - statusBarHeight);
    return l;
}

}  // namespace boardcast
