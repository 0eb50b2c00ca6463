// Banded outlines as the layout compiler stores them.
#include <gtest/gtest.h>

#include <random>

#include "RegionBands.h"

using namespace region;

TEST(RegionBands, RowsWithEqualSpansMerge) {
    BandBuilder b;
    for (int y = 17; y < 384; ++y) b.AddRow(y, {{17, 385}});
    ASSERT_EQ(b.Rects().size(), 1u);
    EXPECT_EQ(b.Rects()[0], (Rect{17, 17, 385, 384}));
}

TEST(RegionBands, SkinOutlineBytes) {
    std::vector<std::int32_t> words = {32, 1, 1, 16, 17, 17, 385, 384, 17, 17, 385, 384};
    std::string expect;
    for (auto w : words)
        for (int k = 0; k < 4; ++k) expect.push_back(static_cast<char>((w >> (8 * k)) & 0xFF));
    EXPECT_EQ(RegionDataBytes({{17, 17, 385, 384}}), expect);
}

TEST(RegionBands, GapsAndChangesStartNewBands) {
    BandBuilder b;
    b.AddRow(0, {{0, 4}});
    b.AddRow(1, {{0, 4}});
    b.AddRow(3, {{0, 4}});            // not touching: a new band
    b.AddRow(4, {{0, 1}, {2, 4}});    // different spans
    auto r = b.Rects();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0], (Rect{0, 0, 4, 2}));
    EXPECT_EQ(r[1], (Rect{0, 3, 4, 4}));
    EXPECT_EQ(r[2], (Rect{0, 4, 1, 5}));
    EXPECT_EQ(r[3], (Rect{2, 4, 4, 5}));
}

TEST(RegionBands, RunsEndAtTheWidth) {
    std::vector<bool> row = {false, false, true, true, false, false};  // true = transparent
    auto runs = RowRuns(6, [&](int x) { return row[x]; });
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], (Span{0, 2}));
    EXPECT_EQ(runs[1], (Span{4, 6}));
    EXPECT_TRUE(RowRuns(3, [](int) { return true; }).empty());
    EXPECT_EQ(RowRuns(1, [](int) { return false; }), (std::vector<Span>{{0, 1}}));
}

TEST(RegionBands, DataParsesBack) {
    std::mt19937 rng(7);
    BandBuilder b;
    for (int y = 0; y < 50; ++y) {
        std::vector<bool> row(40);
        for (auto&& p : row) p = rng() % 3 == 0;
        b.AddRow(y, RowRuns(40, [&](int x) { return row[x]; }));
    }
    std::vector<Rect> back;
    Rect bounds{};
    ASSERT_TRUE(ParseRegionData(RegionDataBytes(b.Rects()), back, bounds));
    EXPECT_EQ(back, b.Rects());
    std::string truncated = RegionDataBytes(b.Rects());
    truncated.resize(truncated.size() - 1);
    EXPECT_FALSE(ParseRegionData(truncated, back, bounds));
}
