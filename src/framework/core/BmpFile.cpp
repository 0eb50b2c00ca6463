#include "BmpFile.h"

#include "Bytes.h"

namespace {
bool Fail(std::string& error, std::string what) {
    error = std::move(what);
    return false;
}
}  // namespace

bool CheckBmpHeader(const std::string& f, BmpHeader& out, std::string& error) {
    constexpr std::uint64_t kFileHeader = 14, kInfoHeader = 40;
    const std::uint64_t size = f.size();
    if (size < kFileHeader + kInfoHeader || f[0] != 'B' || f[1] != 'M') return Fail(error, "not a bitmap file");
    const std::uint64_t offBits = Le32(f, 10), hdr = Le32(f, 14);
    if (hdr < kInfoHeader || kFileHeader + hdr > size)
        return Fail(error, "the header size " + std::to_string(hdr) + " does not fit the " + std::to_string(size) +
                               "-byte file");
    const auto w = static_cast<std::int32_t>(Le32(f, 18));
    const auto h = static_cast<std::int32_t>(Le32(f, 22));
    const std::uint32_t planes = Le16(f, 26), bpp = Le16(f, 28), compression = Le32(f, 30), clrUsed = Le32(f, 46);
    if (planes != 1) return Fail(error, std::to_string(planes) + " colour planes");
    if (compression != 0) return Fail(error, "compressed bitmaps are not supported");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return Fail(error, "unsupported bit depth " + std::to_string(bpp));
    if (w < 1 || w > kMaxBmpSide || h == 0 || h > kMaxBmpSide || h < -kMaxBmpSide)
        return Fail(error, "bad bitmap size " + std::to_string(w) + " x " + std::to_string(h));
    if (clrUsed > 256) return Fail(error, "the colour count " + std::to_string(clrUsed) + " is more than 256");
    std::uint64_t colors = 0;
    if (bpp <= 8) colors = clrUsed ? clrUsed : (1u << bpp);
    const std::uint64_t colorsAt = kFileHeader + hdr;
    const std::uint64_t colorsEnd = colorsAt + 4 * colors;
    if (colorsEnd > size) return Fail(error, "the colour table runs past the end of the file");
    if (offBits > size) return Fail(error, "the pixel data starts past the end of the file");
    if (offBits < colorsEnd) return Fail(error, "the pixel data starts inside the header");
    const std::uint64_t height = h < 0 ? -static_cast<std::int64_t>(h) : h;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(w) * bpp + 31) / 32) * 4;
    if (stride * height > size - offBits)
        return Fail(error, "the pixel data (" + std::to_string(stride) + " x " + std::to_string(height) +
                               " bytes) runs past the end of the file");
    out.width = w;
    out.height = static_cast<std::int32_t>(height);
    out.topDown = h < 0;
    out.bitsPerPixel = static_cast<int>(bpp);
    out.colors = static_cast<std::uint32_t>(colors);
    out.headerSize = static_cast<std::size_t>(hdr);
    out.colorsAt = static_cast<std::size_t>(colorsAt);
    out.bitsAt = static_cast<std::size_t>(offBits);
    out.stride = static_cast<std::size_t>(stride);
    return true;
}

bool DecodeBmp(const std::string& f, BmpImage& out, std::string& error) {
    BmpHeader hd;
    if (!CheckBmpHeader(f, hd, error)) return false;
    const int bpp = hd.bitsPerPixel;
    if (bpp == 16) return Fail(error, "unsupported bit depth 16");
    const std::int32_t w = hd.width, h = hd.height;
    std::vector<std::uint32_t> palette;
    for (std::uint32_t k = 0; k < hd.colors; ++k) {
        std::size_t at = hd.colorsAt + 4 * static_cast<std::size_t>(k);
        auto b = static_cast<unsigned char>(f[at]);
        auto g = static_cast<unsigned char>(f[at + 1]);
        auto r = static_cast<unsigned char>(f[at + 2]);
        palette.push_back(r | (g << 8) | (b << 16));
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    for (std::int32_t y = 0; y < h; ++y) {
        std::size_t row = hd.bitsAt + hd.stride * static_cast<std::size_t>(hd.topDown ? y : h - 1 - y);
        for (std::int32_t x = 0; x < w; ++x) {
            std::uint32_t c = 0;
            if (bpp == 24 || bpp == 32) {
                std::size_t at = row + static_cast<std::size_t>(x) * static_cast<std::size_t>(bpp / 8);
                auto b = static_cast<unsigned char>(f[at]);
                auto g = static_cast<unsigned char>(f[at + 1]);
                auto r = static_cast<unsigned char>(f[at + 2]);
                c = r | (g << 8) | (b << 16);
            } else {
                std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(bpp);
                auto byte = static_cast<unsigned char>(f[row + bit / 8]);
                unsigned idx = (byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                if (idx >= palette.size()) return Fail(error, "pixel refers past the colour table");
                c = palette[idx];
            }
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] = c;
        }
    }
    out.width = w;
    out.height = h;
    out.bitsPerPixel = bpp;
    out.pixels = std::move(pixels);
    return true;
}
