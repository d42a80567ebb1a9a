// The panes' formulas in twips and the placement values of the settings file.
#include <gtest/gtest.h>

#include "app/window_layout.h"

namespace qm {
namespace {

TEST(PaneLayoutTest, DesignClientSizeReproducesTheDesignedWidths) {
    PaneLayout panes = DesignPaneLayout();
    ApplyResizeFormulas(panes, kDesignClientWidthTwips, kDesignClientHeightTwips);
    EXPECT_EQ(panes.frame2.width, 11535);
    EXPECT_EQ(panes.label1.width, 11295);
    EXPECT_EQ(panes.picture5, (TwipRect{120, 120, 11590, 5015}));
    EXPECT_EQ(panes.picture2, (TwipRect{120, 480, 3855, 4380}));
    EXPECT_EQ(panes.picture8, (TwipRect{4080, 480, 7390, 4380}));
    EXPECT_EQ(panes.frame2, (TwipRect{120, 5240, 11535, 855}));
    EXPECT_EQ(panes.label1, (TwipRect{120, 240, 11295, 560}));
}

TEST(PaneLayoutTest, FollowsTheClientArea) {
    PaneLayout panes = DesignPaneLayout();
    ApplyResizeFormulas(panes, 15000, 9000);
    EXPECT_EQ(panes.picture5.width, 14800);
    EXPECT_EQ(panes.picture5.height, 7835);
    EXPECT_EQ(panes.picture8.width, 10600);
    EXPECT_EQ(panes.picture8.height, 7200);
    EXPECT_EQ(panes.picture2.height, 7200);
    EXPECT_EQ(panes.picture2.width, 3855);  // kept
    EXPECT_EQ(panes.frame2.top, 8060);
    EXPECT_EQ(panes.frame2.width, 14745);
    EXPECT_EQ(panes.label1.width, 14505);
    EXPECT_EQ(panes.frame2.left, 120);
    EXPECT_EQ(panes.label1.height, 560);
}

TEST(PaneLayoutTest, ANegativeSizeKeepsThePreviousOne) {
    PaneLayout panes = DesignPaneLayout();
    ApplyResizeFormulas(panes, 15000, 9000);
    ApplyResizeFormulas(panes, 4000, 1500);  // narrower than 4400, lower than 1800
    EXPECT_EQ(panes.picture8.width, 10600);   // kept
    EXPECT_EQ(panes.picture8.height, 7200);   // kept
    EXPECT_EQ(panes.picture2.height, 7200);   // kept
    EXPECT_EQ(panes.picture5.width, 3800);    // still sized
    EXPECT_EQ(panes.picture5.height, 335);
    EXPECT_EQ(panes.frame2.top, 560);
    EXPECT_EQ(panes.frame2.width, 3745);
    EXPECT_EQ(panes.label1.width, 3505);

    PaneLayout zero = panes;
    ApplyResizeFormulas(zero, 0, 0);  // a client area of nothing: every size is kept
    EXPECT_EQ(zero.picture5, panes.picture5);
    EXPECT_EQ(zero.label1, panes.label1);
    EXPECT_EQ(zero.frame2.width, panes.frame2.width);
    EXPECT_EQ(zero.frame2.top, -940);  // a top may be negative
}

TEST(TwipsTest, NearestPixelWithHalvesToEven) {
    EXPECT_EQ(TwipsToPixels(0), 0);
    EXPECT_EQ(TwipsToPixels(120), 8);
    EXPECT_EQ(TwipsToPixels(11535), 769);
    EXPECT_EQ(TwipsToPixels(11590), 773);  // 772.67
    EXPECT_EQ(TwipsToPixels(112.5), 8);    // 7.5 -> 8
    EXPECT_EQ(TwipsToPixels(97.5), 6);     // 6.5 -> 6
    EXPECT_EQ(TwipsToPixels(-120), -8);
    EXPECT_EQ(TwipsToPixels(1e30), 66666667);  // held, no overflow
}

TEST(PlacementValueTest, WholeTwipsAreWrittenWithoutADecimalPoint) {
    EXPECT_EQ(PlacementText(1560.0f), "1560");
    EXPECT_EQ(PlacementText(-120.0f), "-120");
    EXPECT_EQ(PlacementText(0.0f), "0");
    EXPECT_EQ(PlacementText(-0.0f), "0");
    EXPECT_EQ(PlacementText(11850.0f), "11850");
    EXPECT_EQ(PlacementText(12.5f), "12.5");
}

TEST(PlacementValueTest, ReadsNumbersAndRefusesEverythingElse) {
    EXPECT_EQ(ParsePlacementValue("1560"), 1560.0f);
    EXPECT_EQ(ParsePlacementValue("-120"), -120.0f);
    EXPECT_EQ(ParsePlacementValue(" 42 "), 42.0f);
    EXPECT_EQ(ParsePlacementValue("+15"), 15.0f);
    EXPECT_EQ(ParsePlacementValue("12.5"), 12.5f);
    EXPECT_EQ(ParsePlacementValue("1e3"), 1000.0f);
    for (const char* bad : {"ERROR", "", " ", "12abc", "abc", "inf", "nan", "0x10", "1e99", "--1", "1,5"})
        EXPECT_FALSE(ParsePlacementValue(bad).has_value()) << bad;
}

}  // namespace
}  // namespace qm
