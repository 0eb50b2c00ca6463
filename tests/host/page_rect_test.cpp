// The rectangle inside the print margins: conversions and the four clamps.
#include <gtest/gtest.h>

#include "PageRect.h"

using page::TwipsRect;

namespace {
// Letter paper at 300 dpi with a quarter-inch unprintable edge all round.
page::PrinterPage Letter300() { return {2550, 3300, 75, 75, 300, 300}; }
}  // namespace

TEST(PageRect, OneInchMarginsOnLetter) {
    // Sheet 12,240 x 15,840 twips, printable offset 360 twips.
    EXPECT_EQ(page::FromMargins(Letter300(), 1440, 1440, 1440, 1440), (TwipsRect{1080, 1080, 10440, 14040}));
    // Unequal resolutions convert each direction by its own.
    page::PrinterPage p{1200, 3300, 30, 75, 120, 300};
    EXPECT_EQ(page::FromMargins(p, 1440, 1440, 1440, 1440), (TwipsRect{1080, 1080, 12600, 14040}));
}

TEST(PageRect, MarginsLargerThanThePageClampOnEverySide) {
    const auto p = Letter300();
    struct Case {
        std::int32_t l, t, r, b;
        TwipsRect want;
    } cases[] = {
        // Left and top beyond the sheet: both edges pinned to the printable
        // area's far side; right and bottom cannot lie before them.
        {20000, 30000, 1440, 1440, {11520, 15120, 11520, 15120}},
        // Right and bottom beyond the sheet: they fall back onto left and top.
        {1440, 1440, 20000, 30000, {1080, 1080, 1080, 1080}},
        // All four beyond: an empty rectangle at the far corner, never inverted.
        {99999, 99999, 99999, 99999, {11520, 15120, 11520, 15120}},
        // Margins inside the unprintable edge, or negative: the printable edge.
        {100, 0, 0, -500, {0, 0, 11520, 15120}},
        // A top between the printable bottom and the sheet's less its offset:
        // the top stays inside the printable height, so bottom >= top.
        {1440, 15500, 1440, 0, {1080, 15120, 10440, 15120}},
    };
    for (const auto& c : cases) {
        TwipsRect r = page::FromMargins(p, c.l, c.t, c.r, c.b);
        EXPECT_EQ(r, c.want) << c.l << " " << c.t << " " << c.r << " " << c.b;
        EXPECT_LE(r.left, r.right);
        EXPECT_LE(r.top, r.bottom);
    }
    // A printer that reports no printable area at all.
    page::PrinterPage none{100, 100, 60, 60, 300, 300};
    EXPECT_EQ(page::FromMargins(none, 1440, 1440, 1440, 1440), (TwipsRect{0, 0, 0, 0}));
}

TEST(PageRect, SetRectangleWinsOverMargins) {
    const auto p = Letter300();
    page::Margins m{2880, 2880, 2880, 2880};
    // Device pixels 300,600 - 1500,2100 at 300 dpi.
    EXPECT_EQ(page::ForJob(p, m, {300, 600, 1500, 2100}), (TwipsRect{1440, 2880, 7200, 10080}));
    // An empty set rectangle means none was set.
    EXPECT_EQ(page::ForJob(p, m, {}), page::FromMargins(p, 2880, 2880, 2880, 2880));
    EXPECT_EQ(page::ForJob(p, m, {10, 10, 10, 500}), page::FromMargins(p, 2880, 2880, 2880, 2880));
}

TEST(PageRect, DeviceUnitsAndTwips) {
    const auto p = Letter300();
    EXPECT_EQ(page::HorizontalTwips(p, 2550), 12240);
    EXPECT_EQ(page::VerticalDevice(p, 1440), 300);
    // A zero resolution does not divide by zero.
    page::PrinterPage broken{100, 100, 0, 0, 0, 0};
    EXPECT_EQ(page::HorizontalTwips(broken, 10), 14400);
}

TEST(PageBreaks, WholeLinesPerPage) {
    // Ten lines of 100 units from 50; pages of 350 take three lines each.
    std::vector<std::int32_t> tops;
    for (int k = 0; k <= 10; ++k) tops.push_back(50 + 100 * k);
    auto pages = page::BreakLines(tops, 350);
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[0], (page::Band{50, 350, 0}));
    EXPECT_EQ(pages[1], (page::Band{350, 650, 3}));
    EXPECT_EQ(pages[3], (page::Band{950, 1050, 9}));
    // A page exactly as tall as four lines takes four.
    EXPECT_EQ(page::BreakLines(tops, 400).size(), 3u);
}

TEST(PageBreaks, TallLinesAndEmptyDocuments) {
    // A line taller than the page gets a page alone; the next goes on.
    auto pages = page::BreakLines({0, 10, 510, 520, 530}, 100);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[1], (page::Band{10, 510, 1}));
    EXPECT_EQ(pages[2], (page::Band{510, 530, 2}));
    // No lines: one empty page.
    EXPECT_EQ(page::BreakLines({}, 100).size(), 1u);
    EXPECT_EQ(page::BreakLines({40}, 100).size(), 1u);
}
