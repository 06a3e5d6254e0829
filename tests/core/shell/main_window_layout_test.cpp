#include "core/shell/main_window_layout.h"
#include "core/shell/website_layout.h"

#include <gtest/gtest.h>

namespace boardcast {
namespace {

TEST(MainWindowLayout, HandComputedSizes) {
    struct Row {
        int w, h, statusBar;
        MainWindowLayout expected;
    };
    // Columns: window w, h; Frame3 h, lstPosts h, Frame4 h, lstPosts2 h, lstNew h, Frame2 h,
    // Frame2 w, browser w, browser h, panels 1-3, Text5 w, Command3 left, Command1 w, TabStrip2 h.
    const Row rows[] = {
        // The design size: 11145 by 8985 client plus borders, a 300-twip status bar.
        {11385,
         9885,
         300,
         {11385, 9885, 3435, 1955, 3435, 2195, 1955, 8490, 7305, 7065, 6350, 3735, 4450, 3200, 5770,
          6410, 3095, 9885}},
        // Below the minimum: springs back to 7000 by 5000. Frame3's height goes negative and
        // is taken as positive: 5000-300-500-5400-250 = -1450.
        {5000,
         3000,
         300,
         {7000, 5000, 1450, 30, 1450, 210, 30, 6505, 2920, 2680, 4365, 3735, 65, 3200, 1385, 2025,
          1290, 5000}},
        // Large.
        {28800,
         16200,
         345,
         {28800, 16200, 9705, 8225, 9705, 8465, 8225, 14760, 24720, 24480, 12620, 3735, 21865, 3200,
          23185, 23825, 20510, 16200}},
    };
    for (const Row& r : rows) {
        auto l = layoutMainWindow(r.w, r.h, r.statusBar, false);
        ASSERT_TRUE(l.has_value());
        EXPECT_EQ(*l, r.expected) << r.w << "x" << r.h;
    }
}

TEST(MainWindowLayout, MinimizedChangesNothing) {
    EXPECT_EQ(layoutMainWindow(11385, 9885, 300, true), std::nullopt);
}

TEST(WebsiteLayout, HandComputedSizes) {
    struct Row {
        int w, h, statusBar;
        WebsiteLayout expected;
    };
    // Columns: panel w, frame w, frame h, Text1 w, Command3 left, browser w, browser h.
    const Row rows[] = {
        // 1280 by 800 pixels with a 22-pixel status bar.
        {19200, 12000, 330, {9600, 18900, 11670, 17205, 17905, 18680, 9340}},
        // Smaller than the margins: frame h = |255-300| = 45, Text1 = |0-600-300-795|,
        // browser h = |45-1200-800-300|.
        {300, 255, 300, {150, 0, 45, 1695, 2395, 220, 2255}},
        // An odd width halves downwards.
        {10001, 9000, 300, {5000, 9701, 8700, 8006, 8706, 9481, 6400}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(layoutWebsiteWindow(r.w, r.h, r.statusBar), r.expected) << r.w << "x" << r.h;
    }
}

}  // namespace
}  // namespace boardcast
