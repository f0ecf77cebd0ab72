#include <gtest/gtest.h>

#include "query/PageLayout.h"

namespace tallux {
namespace {

// The page of a 1024 x 768 screen: (W - 5) x (H - 80).
PageLayoutInput Page(bool listOnly) {
    PageLayoutInput input;
    input.pageWidth = 1019;
    input.pageHeight = 688;
    input.listOnly = listOnly;
    input.formWidth = 300;
    return input;
}

TEST(PageLayoutTest, ListOnlyMatchesTheScreenFormulas) {
    const PageLayoutResult layout = ComputePageLayout(Page(true));
    // W - 10 - x and H - 148 with W = 1024, H = 768, x = 10.
    EXPECT_EQ(layout.list, (PixelRect{10, 20, 1004, 620}));
    EXPECT_EQ(layout.status, (PixelRect{10, 5, 1004, 13}));
    EXPECT_FALSE(layout.pageLinkShown);
    EXPECT_FALSE(layout.pageEditShown);
    EXPECT_FALSE(layout.transferLinkShown);
}

TEST(PageLayoutTest, FormModeStartsRightOfTheForm) {
    const PageLayoutResult layout = ComputePageLayout(Page(false));
    EXPECT_EQ(layout.form, (PixelRect{0, 0, 300, 688}));
    EXPECT_EQ(layout.list, (PixelRect{300, 20, 714, 620}));
    EXPECT_EQ(layout.status, (PixelRect{300, 5, 714, 13}));
}

TEST(PageLayoutTest, PagingPlacesLinkAndEditBeforeTheStatus) {
    PageLayoutInput input = Page(true);
    input.pagingShown = true;
    input.isPreEntryPage = true;  // paging wins over the weighing link
    input.transferLinkShown = true;
    const PageLayoutResult layout = ComputePageLayout(input);
    EXPECT_TRUE(layout.pageLinkShown);
    EXPECT_FALSE(layout.pageLinkIsWeighing);
    EXPECT_EQ(layout.pageLink, (PixelRect{10, 5, 50, 13}));
    EXPECT_TRUE(layout.pageEditShown);
    EXPECT_EQ(layout.pageEdit, (PixelRect{62, 1, 42, 18}));
    EXPECT_FALSE(layout.transferLinkShown);
    EXPECT_EQ(layout.status, (PixelRect{105, 5, 909, 13}));
}

TEST(PageLayoutTest, PreEntryPageShowsWeighingAndTransferLinks) {
    struct Case {
        bool transfer;
        int statusX;
    };
    for (const Case c : {Case{false, 65}, Case{true, 120}}) {
        PageLayoutInput input = Page(true);
        input.isPreEntryPage = true;
        input.transferLinkShown = c.transfer;
        const PageLayoutResult layout = ComputePageLayout(input);
        EXPECT_TRUE(layout.pageLinkShown);
        EXPECT_TRUE(layout.pageLinkIsWeighing);
        EXPECT_EQ(layout.pageLink, (PixelRect{10, 5, 50, 13}));
        EXPECT_FALSE(layout.pageEditShown);
        EXPECT_EQ(layout.transferLinkShown, c.transfer);
        if (c.transfer) {
            EXPECT_EQ(layout.transferLink, (PixelRect{65, 5, 50, 13}));
        }
        EXPECT_EQ(layout.status, (PixelRect{c.statusX, 5, 1014 - c.statusX, 13}));
    }
}

TEST(PageLayoutTest, FollowsThePageSizeAndNeverGoesNegative) {
    PageLayoutInput input = Page(true);
    input.pageWidth = 1915;  // a 1920 x 1080 screen
    input.pageHeight = 1000;
    EXPECT_EQ(ComputePageLayout(input).list, (PixelRect{10, 20, 1900, 932}));
    input.pageWidth = 12;
    input.pageHeight = 30;
    const PageLayoutResult tiny = ComputePageLayout(input);
    EXPECT_EQ(tiny.list, (PixelRect{10, 20, 0, 0}));
    EXPECT_EQ(tiny.status.width, 0);
}

}  // namespace
}  // namespace tallux
