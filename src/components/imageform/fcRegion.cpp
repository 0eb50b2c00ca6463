#include "fcRegion.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "core/StoredData.h"

namespace {

// Pixels of a 24-bit row as the framework's colour value: the bytes hold
// blue, green, red, so blue * 65536 + green * 256 + red.
std::uint32_t Pixel24(const unsigned char* row, std::int32_t x) {
    const unsigned char* p = row + 3 * static_cast<std::size_t>(x);
    return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
}

// A colour that is not a plain RGB value (a system colour, clNone) is equal
// to no pixel.
bool IsPlainRgb(TColor c) { return (static_cast<std::uint32_t>(c) >> 24) == 0; }

// Any other depth: the framework's one-bit mask of the colour (set bits are
// the pixels of the colour).
RowRunList MaskRowRuns(TBitmap& bitmap, TColor transparent) {
    const int w = bitmap.Width(), h = bitmap.Height();
    UniqueBitmap mask = bitmap.CreateMask(transparent);
    if (!mask) throw EOutOfResources("Out of system resources");
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = w;
    info.header.biHeight = -h;  // top row first
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    const std::size_t stride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
    std::vector<unsigned char> bits(stride * static_cast<std::size_t>(h));
    {
        WindowDc screen(nullptr);
        if (GetDIBits(screen, mask.Get(), 0, static_cast<UINT>(h), bits.data(),
                      reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != h)
            throw EOutOfResources("Out of system resources");
    }
    // Set bits are the transparent (white) pixels; the colour table the
    // platform returned says which index is white.
    const bool oneIsWhite = info.colors[1].rgbRed != 0 || info.colors[0].rgbRed == 0;
    RowRunList rows(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = bits.data() + stride * static_cast<std::size_t>(y);
        rows[static_cast<std::size_t>(y)] = region::RowRuns(w, [&](std::int32_t x) {
            bool set = ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0;
            return set == oneIsWhite;
        });
    }
    return rows;
}

// A picture with a colour table: its one-bit mask made from the table, each
// entry compared exactly. (The platform's own mask maps the colour to the
// nearest table entry first, so a picture without the colour would lose the
// pixels of its nearest one.)
RowRunList ColorTableRowRuns(TBitmap& bitmap, TColor transparent) {
    const int w = bitmap.Width(), h = bitmap.Height(), bpp = bitmap.BitsPerPixel();
    const auto& table = bitmap.ColorTable();
    std::vector<bool> cut(table.size());
    for (std::size_t k = 0; k < table.size(); ++k)
        cut[k] = (table[k].rgbRed | (table[k].rgbGreen << 8) | (table[k].rgbBlue << 16)) == transparent;
    const unsigned mask = (1u << bpp) - 1;
    RowRunList rows(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = bitmap.ScanLine(y);
        rows[static_cast<std::size_t>(y)] = region::RowRuns(w, [&](std::int32_t x) {
            std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(bpp);
            unsigned index = (row[bit / 8] >> (8 - bpp - static_cast<int>(bit % 8))) & mask;
            return index < cut.size() && cut[index];
        });
    }
    return rows;
}

}  // namespace

RowRunList BitmapRowRuns(TBitmap& bitmap, TColor transparent) {
    const int w = bitmap.Width(), h = bitmap.Height();
    if (w <= 0 || h <= 0 || bitmap.Empty()) return {};
    if (bitmap.BitsPerPixel() != 24) {
        if (!IsPlainRgb(transparent)) return RowRunList(static_cast<std::size_t>(h), std::vector<region::Span>{{0, w}});
        if (bitmap.BitsPerPixel() <= 8 && !bitmap.ColorTable().empty()) return ColorTableRowRuns(bitmap, transparent);
        return MaskRowRuns(bitmap, transparent);
    }
    const auto key = static_cast<std::uint32_t>(transparent);
    RowRunList rows(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = bitmap.ScanLine(y);
        rows[static_cast<std::size_t>(y)] = region::RowRuns(w, [&](std::int32_t x) { return Pixel24(row, x) == key; });
    }
    return rows;
}

UniqueRegion CreateRegionFromBitmap(TBitmap& bitmap, TColor transparent) {
    return fcregion::UnionBalanced(BitmapRowRuns(bitmap, transparent));
}

namespace fcregion {

UniqueRegion UnionRunByRun(const RowRunList& rows) {
    UniqueRegion result;
    for (std::size_t y = 0; y < rows.size(); ++y) {
        const auto top = static_cast<int>(y);
        for (const region::Span& s : rows[y]) {
            UniqueRegion run(CreateRectRgn(s.left, top, s.right, top + 1));
            if (!run) continue;
            if (!result) result = std::move(run);
            else CombineRgn(result.Get(), result.Get(), run.Get(), RGN_OR);
        }
    }
    return result;
}

UniqueRegion UnionBalanced(const RowRunList& rows) {
    // A binary counter of partial unions: the entry of level k holds 2^k
    // runs; two entries of one level merge into one of the next.
    std::vector<std::pair<int, UniqueRegion>> pending;
    for (std::size_t y = 0; y < rows.size(); ++y) {
        const auto top = static_cast<int>(y);
        for (const region::Span& s : rows[y]) {
            UniqueRegion merged(CreateRectRgn(s.left, top, s.right, top + 1));
            if (!merged) continue;
            int level = 0;
            while (!pending.empty() && pending.back().first == level) {
                UniqueRegion earlier = std::move(pending.back().second);
                pending.pop_back();
                CombineRgn(earlier.Get(), earlier.Get(), merged.Get(), RGN_OR);
                merged = std::move(earlier);
                ++level;
            }
            pending.emplace_back(level, std::move(merged));
        }
    }
    UniqueRegion result;
    while (!pending.empty()) {
        UniqueRegion next = std::move(pending.back().second);
        pending.pop_back();
        if (result) CombineRgn(next.Get(), next.Get(), result.Get(), RGN_OR);
        result = std::move(next);
    }
    return result;
}

std::string RegionDataOf(HRGN rgn) {
    if (!rgn) return {};
    DWORD size = GetRegionData(rgn, 0, nullptr);
    if (size == 0) return {};
    std::vector<DWORD> buf((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    if (GetRegionData(rgn, size, reinterpret_cast<RGNDATA*>(buf.data())) != size) return {};
    return std::string(reinterpret_cast<const char*>(buf.data()), size);
}

std::string CheckRegionData(const std::string& data) { return stored::CheckRegionData(data); }

}  // namespace fcregion
