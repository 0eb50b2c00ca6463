// region_bench [REPETITIONS] [MASK...] [--balanced-only]: builds the outline
// of 1024 x 1024 pictures with many opaque runs per row two ways,
// alternating, and prints minimum, median and maximum per way, the ratio of
// the medians, and whether the two regions' data are identical. Masks: text,
// dither, stripes, speckle (default: text stripes; under Wine the run-by-run
// way takes more than 20 minutes on the dither mask, so time the balanced
// way alone there with --balanced-only).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "imageform/fcRegion.h"

namespace {

constexpr int kSize = 1024;
constexpr TColor kCut = clFuchsia;

using Mask = std::function<bool(int x, int y)>;  // true: cut away

// Lines of "text": glyphs of two to four strokes one to three pixels wide,
// words apart, on a cut background, like lettering on a transparent sheet.
Mask TextMask() {
    auto ink = std::make_shared<std::vector<unsigned char>>(static_cast<std::size_t>(kSize) * kSize, 0);
    std::mt19937 rng(42);
    for (int line = 0; line * 24 + 20 < kSize; ++line) {
        int top = line * 24 + 4;
        int x = 8;
        while (x < kSize - 16) {
            int glyph = 6 + static_cast<int>(rng() % 5);
            int strokes = 2 + static_cast<int>(rng() % 3);
            for (int s = 0; s < strokes; ++s) {
                int sx = x + s * glyph / strokes, w = 1 + static_cast<int>(rng() % 3);
                int from = top + static_cast<int>(rng() % 4), to = top + 12 + static_cast<int>(rng() % 5);
                for (int y = from; y < to; ++y)
                    for (int k = 0; k < w && sx + k < kSize; ++k) (*ink)[static_cast<std::size_t>(y) * kSize + sx + k] = 1;
            }
            x += glyph + 2 + (rng() % 6 == 0 ? 6 : 0);
        }
    }
    return [ink](int x, int y) { return (*ink)[static_cast<std::size_t>(y) * kSize + x] == 0; };
}

// An ordered (4 x 4 Bayer) dither of a diagonal gradient.
Mask DitherMask() {
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return [](int x, int y) {
        int level = (x + y) * 16 / (2 * kSize);
        return bayer[y % 4][x % 4] >= level;
    };
}

Mask StripesMask() {
    return [](int x, int y) { return (x + y) % 24 < 12; };
}

Mask SpeckleMask() {
    auto bits = std::make_shared<std::vector<unsigned char>>(static_cast<std::size_t>(kSize) * kSize);
    std::mt19937 rng(7);
    for (auto& b : *bits) b = rng() % 2;
    return [bits](int x, int y) { return (*bits)[static_cast<std::size_t>(y) * kSize + x] != 0; };
}

double Ms(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

template <class F>
double Time(F&& f) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    f();
    QueryPerformanceCounter(&b);
    return Ms(a, b);
}

void Print(const char* name, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("  %-22s min %9.1f ms  median %9.1f ms  max %9.1f ms  (%zu runs)\n", name, v.front(), v[v.size() / 2],
                v.back(), v.size());
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool Run(const std::string& name, const Mask& mask, int reps, bool balancedOnly) {
    TBitmap picture;
    picture.SetSize(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        unsigned char* row = picture.ScanLine(y);
        for (int x = 0; x < kSize; ++x) {
            bool cut = mask(x, y);
            row[3 * x] = cut ? 0xFF : 0x20;      // blue
            row[3 * x + 1] = cut ? 0x00 : 0x30;  // green
            row[3 * x + 2] = cut ? 0xFF : 0x40;  // red
        }
    }
    RowRunList rows;
    std::vector<double> scan, byRun, balanced, whole;
    std::size_t runs = 0;
    bool same = true;
    std::size_t rects = 0;
    for (int k = 0; k < reps; ++k) {
        scan.push_back(Time([&] { rows = BitmapRowRuns(picture, kCut); }));
        runs = 0;
        for (auto& r : rows) runs += r.size();
        UniqueRegion a, b;
        // Alternate which goes first, so neither always meets a warm cache.
        auto one = [&] {
            if (!balancedOnly) byRun.push_back(Time([&] { a = fcregion::UnionRunByRun(rows); }));
        };
        auto two = [&] { balanced.push_back(Time([&] { b = fcregion::UnionBalanced(rows); })); };
        if (k % 2) {
            two();
            one();
        } else {
            one();
            two();
        }
        std::string da = fcregion::RegionDataOf(a.Get()), db = fcregion::RegionDataOf(b.Get());
        same = same && !db.empty() && (balancedOnly || da == db);
        rects = db.size() >= 32 ? (db.size() - 32) / 16 : 0;
        whole.push_back(Time([&] { UniqueRegion c = CreateRegionFromBitmap(picture, kCut); }));
    }
    std::printf("%s: %zu opaque runs, %zu rectangles in the region\n", name.c_str(), runs, rects);
    Print("scan rows", scan);
    if (!balancedOnly) Print("OR run by run", byRun);
    Print("balanced OR", balanced);
    Print("CreateRegionFromBitmap", whole);
    if (!balancedOnly) {
        std::printf("  ratio of medians (run by run / balanced): %.1f\n", Median(byRun) / Median(balanced));
        std::printf("  region data identical: %s\n", same ? "yes" : "NO");
    }
    std::printf("\n");
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<std::string> names;
    bool balancedOnly = false;
    for (int k = 2; k < argc; ++k) {
        if (std::strcmp(argv[k], "--balanced-only") == 0) balancedOnly = true;
        else names.push_back(argv[k]);
    }
    if (names.empty()) names = {"text", "stripes"};
    bool ok = true;
    for (const std::string& n : names) {
        Mask m = n == "text" ? TextMask() : n == "dither" ? DitherMask() : n == "stripes" ? StripesMask()
               : n == "speckle" ? SpeckleMask() : Mask();
        if (!m) {
            std::printf("unknown mask %s\n", n.c_str());
            return 2;
        }
        ok = Run(n, m, reps, balancedOnly) && ok;
        std::fflush(stdout);
    }
    return ok ? 0 : 1;
}
