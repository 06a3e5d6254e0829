#pragma once
// The website window's resize rules, in twips like the main window's. The browser frame fills
// the window above the status bar; the address box and the browser take the frame's width.
// Every size is taken as its absolute value, so a window smaller than the margins still gives
// positive sizes.

namespace boardcast {

namespace website_design {
inline constexpr int kFrameLeft = 150;
inline constexpr int kFrameTop = 0;
inline constexpr int kAddressLeft = 600;  // Text1 inside the frame
inline constexpr int kAddressTop = 270;
inline constexpr int kControlHeight = 315;  // Text1 and Command3
inline constexpr int kGoWidth = 795;        // Command3
inline constexpr int kNavTop = 660;         // Command4 to Command7
inline constexpr int kNavSide = 435;
inline constexpr int kNavStep = 480;
inline constexpr int kBrowserLeft = 120;  // WebBrowser1 inside the frame
inline constexpr int kBrowserTop = 1200;
}  // namespace website_design

struct WebsiteLayout {
    int panelWidth;  // each of the two status panels
    int frameWidth;
    int frameHeight;
    int addressWidth;
    int goLeft;
    int browserWidth;
    int browserHeight;

    bool operator==(const WebsiteLayout&) const = default;
};

// width and height are the window's outer size.
WebsiteLayout layoutWebsiteWindow(int width, int height, int statusBarHeight);

}  // namespace boardcast
