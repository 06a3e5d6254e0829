#pragma once
// The main window's resize rules, in twips (1/1440 inch; 15 to a logical pixel). The frames
// on the left keep their widths and tops and the command row keeps its positions; the
// browser frame takes the rest. Every computed size is taken as its absolute value, so a
// window smaller than the fixed margins still gives positive sizes.

#include <optional>

namespace boardcast {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kMinWindowWidth = 7000;
inline constexpr int kMinWindowHeight = 5000;

// Design positions (left, top, width, height) of the controls the rules read.
namespace design {
inline constexpr int kFrame1Top = 900, kFrame1Width = 3735, kFrame1Height = 4155;
inline constexpr int kFrame2Left = 3840;
inline constexpr int kFrame3Top = 5400;
inline constexpr int kListPostsTop = 1380;   // lstPosts, lstNew inside Frame3
inline constexpr int kListForumsTop = 1140;  // lstPosts2 inside Frame4
inline constexpr int kBrowserTop = 1140;     // WebBrowser1 inside Frame2
inline constexpr int kAddressLeft = 540;     // Text5 inside Frame2
inline constexpr int kGoWidth = 795;         // Command3
inline constexpr int kCommand1Left = 8040;
}  // namespace design

struct MainWindowLayout {
    int windowWidth;  // after the minimum size was applied
    int windowHeight;
    int frame3Height;
    int listPostsHeight;
    int frame4Height;
    int listForumsHeight;
    int listNewHeight;
    int frame2Height;
    int frame2Width;
    int browserWidth;
    int browserHeight;
    int panel1Width;
    int panel2Width;
    int panel3Width;
    int addressWidth;
    int goLeft;
    int command1Width;
    int tabStrip2Height;

    bool operator==(const MainWindowLayout&) const = default;
};

// W and H are the window's outer width and height. Nothing when the window is minimized.
std::optional<MainWindowLayout> layoutMainWindow(int width, int height, int statusBarHeight,
                                                 bool minimized);

}  // namespace boardcast
