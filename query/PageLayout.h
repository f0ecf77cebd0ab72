#pragma once

namespace tallux {

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// What the layout of a work page depends on.
struct PageLayoutInput {
    int pageWidth = 0;
    int pageHeight = 0;
    bool listOnly = true;
    int formWidth = 0;
    bool pagingShown = false;
    bool isPreEntryPage = false;
    bool transferLinkShown = false;  // the base data names kinds that get transfer numbers
};

// Where the controls of a work page go. Link labels and the page-number
// edit are hidden unless their flag says otherwise.
struct PageLayoutResult {
    PixelRect form;  // meaningful in form mode only
    PixelRect list;
    PixelRect status;
    bool pageLinkShown = false;
    bool pageLinkIsWeighing = false;  // the pre-entry page's "称重..." link
    PixelRect pageLink;
    bool pageEditShown = false;
    PixelRect pageEdit;
    bool transferLinkShown = false;
    PixelRect transferLink;
};

// The list starts at x = 10 in list-only mode and right of the form
// otherwise, 20 pixels down, and reaches 5 pixels short of the page's right
// edge and 48 short of its bottom; the link row and then the status text
// sit above it. Sizes never go below 0.
PageLayoutResult ComputePageLayout(const PageLayoutInput& input);

}  // namespace tallux
