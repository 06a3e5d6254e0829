#include "core/shell/main_window_layout.h"

#include <cstdlib>

namespace boardcast {

std::optional<MainWindowLayout> layoutMainWindow(int width, int height, int statusBarHeight,
                                                 bool minimized) {
    using namespace design;
    if (minimized) return std::nullopt;
    MainWindowLayout l{};
    l.windowWidth = width < kMinWindowWidth ? kMinWindowWidth : width;
    l.windowHeight = height < kMinWindowHeight ? kMinWindowHeight : height;
    const int w = l.windowWidth;
    const int h = l.windowHeight;

    l.frame3Height = std::abs(h - statusBarHeight - 500 - kFrame3Top - 250);
    l.listPostsHeight = std::abs(l.frame3Height - kListPostsTop - 100);
    l.frame4Height = l.frame3Height;
    l.listForumsHeight = std::abs(l.frame3Height - kListForumsTop - 100);
    l.listNewHeight = l.listPostsHeight;
    l.frame2Height = std::abs(kFrame1Top + kFrame1Height + l.frame3Height);
    l.frame2Width = std::abs(w - kFrame2Left - 240);
    l.browserWidth = std::abs(l.frame2Width - 240);
    l.browserHeight = std::abs(l.frame2Height - kBrowserTop - 1000);
    // Panel 2 starts where panel 1 ends.
    l.panel1Width = kFrame1Width;
    l.panel2Width = std::abs(w - l.panel1Width - 200 - 3000);
    l.panel3Width = std::abs(w - l.panel2Width - l.panel1Width);
    l.addressWidth = std::abs(l.frame2Width - kAddressLeft - kGoWidth - 200);
    l.goLeft = std::abs(l.frame2Width - kGoWidth - 100);
    l.command1Width = std::abs(w - kCommand1Left - 250);
    l.tabStrip2Height = std::abs(h);
    return l;
}

}  // namespace boardcast
