#include "query/PageLayout.h"

#include <algorithm>

namespace tallux {
namespace {

constexpr int kListTop = 20;
constexpr int kRightMargin = 5;    // page width - 5 - x: the list ends 5 pixels short of the edge
constexpr int kBottomMargin = 48;  // list height = page height - 68
constexpr int kLinkTop = 5;
constexpr int kLinkWidth = 50;
constexpr int kLinkHeight = 13;

}  // namespace

PageLayoutResult ComputePageLayout(const PageLayoutInput& input) {
    PageLayoutResult layout;
    int x = input.listOnly ? 10 : input.formWidth;
    layout.form = {0, 0, std::max(0, input.formWidth), std::max(0, input.pageHeight)};
    layout.list = {x, kListTop, std::max(0, input.pageWidth - kRightMargin - x),
                   std::max(0, input.pageHeight - kListTop - kBottomMargin)};

    if (input.pagingShown) {
        layout.pageLinkShown = true;
        layout.pageLink = {x, kLinkTop, kLinkWidth, kLinkHeight};
        layout.pageEditShown = true;
        layout.pageEdit = {x + 52, 1, 42, 18};
        x += 95;
    } else if (input.isPreEntryPage) {
        layout.pageLinkShown = true;
        layout.pageLinkIsWeighing = true;
        layout.pageLink = {x, kLinkTop, kLinkWidth, kLinkHeight};
        x += 55;
        if (input.transferLinkShown) {
            layout.transferLinkShown = true;
            layout.transferLink = {x, kLinkTop, kLinkWidth, kLinkHeight};
            x += 55;
        }
    }

    layout.status = {x, kLinkTop, std::max(0, input.pageWidth - kRightMargin - x), kLinkHeight};
    return layout;
}

}  // namespace tallux
