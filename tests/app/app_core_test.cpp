// The main window's logic without a window: the pane layout and the list face.
#include <gtest/gtest.h>

#include "app/list_face.h"
#include "app/window_layout.h"

namespace qm {
namespace {

TEST(PaneLayoutTest, DesignClientSizeReproducesTheDesignedWidths) {
    PaneLayout layout;
    EXPECT_EQ(layout.Places().detailFrame, (PixelRect{8, 288, 769, 57}));  // as designed
    const PanePlaces& places = layout.Resize(kDesignClientWidth, kDesignClientHeight);
    EXPECT_EQ(places.detailFrame, (PixelRect{8, 349, 769, 57}));   // 11535 twips wide
    EXPECT_EQ(places.detailText, (PixelRect{8, 16, 753, 37}));     // 11295 twips wide
    EXPECT_EQ(places.tabHost, (PixelRect{8, 8, 773, 334}));       // 11590 x 5015 twips
    EXPECT_EQ(places.infoHost, (PixelRect{8, 32, 257, 292}));
    EXPECT_EQ(places.attributeHost, (PixelRect{272, 32, 493, 292}));
}

TEST(PaneLayoutTest, FollowsTheClientArea) {
    PaneLayout layout;
    const PanePlaces& places = layout.Resize(1000, 600);  // 15000 x 9000 twips
    EXPECT_EQ(places.tabHost, (PixelRect{8, 8, 987, 522}));
    EXPECT_EQ(places.attributeHost, (PixelRect{272, 32, 707, 480}));
    EXPECT_EQ(places.infoHost, (PixelRect{8, 32, 257, 480}));     // width kept
    EXPECT_EQ(places.detailFrame, (PixelRect{8, 537, 983, 57}));
    EXPECT_EQ(places.detailText, (PixelRect{8, 16, 967, 37}));
}

TEST(PaneLayoutTest, ANegativeSizeKeepsThePreviousOne) {
    PaneLayout layout;
    layout.Resize(1000, 600);
    const PanePlaces narrow = layout.Resize(266, 100);  // narrower than 4400 twips, lower than 1800
    EXPECT_EQ(narrow.attributeHost, (PixelRect{272, 32, 707, 480}));  // kept
    EXPECT_EQ(narrow.infoHost.height, 480);                           // kept
    EXPECT_EQ(narrow.tabHost, (PixelRect{8, 8, 253, 22}));            // still sized
    EXPECT_EQ(narrow.detailFrame, (PixelRect{8, 37, 249, 57}));
    const PanePlaces nothing = layout.Resize(0, 0);  // every size kept, a top may go negative
    EXPECT_EQ(nothing.tabHost, narrow.tabHost);
    EXPECT_EQ(nothing.detailFrame, (PixelRect{8, -63, 249, 57}));
}

TEST(ListFaceTest, MeiryoOrTheGothicFallback) {
    const ListFace meiryo = ChooseListFace(true);
    EXPECT_EQ(meiryo.face, "メイリオ");
    EXPECT_EQ(meiryo.temperatureBoxTop, 193);  // 2900 twips
    const ListFace gothic = ChooseListFace(false);
    EXPECT_EQ(gothic.face, "ＭＳ Ｐゴシック");
    EXPECT_EQ(gothic.temperatureBoxTop, 147);  // 2200 twips
    // The temperature box starts at the ninth row's top (within two pixels) in both faces.
    for (const ListFace& face : {meiryo, gothic})
        EXPECT_NEAR(face.temperatureBoxTop, face.headerHeight + 8.0 * face.rowHeight, 2.0);
}

}  // namespace
}  // namespace qm
