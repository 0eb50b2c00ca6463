#include "BmpFile.h"

namespace {
std::uint32_t U16(const std::string& s, std::size_t at) {
    return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}
std::uint32_t U32(const std::string& s, std::size_t at) { return U16(s, at) | (U16(s, at + 2) << 16); }
}  // namespace

bool DecodeBmp(const std::string& f, BmpImage& out, std::string& error) {
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') {
        error = "not a bitmap file";
        return false;
    }
    std::uint32_t offBits = U32(f, 10);
    std::uint32_t hdr = U32(f, 14);
    if (hdr < 40 || 14 + hdr > f.size()) {
        error = "unsupported bitmap header";
        return false;
    }
    auto w = static_cast<std::int32_t>(U32(f, 18));
    auto h = static_cast<std::int32_t>(U32(f, 22));
    int bpp = static_cast<int>(U16(f, 28));
    std::uint32_t compression = U32(f, 30);
    std::uint32_t clrUsed = U32(f, 46);
    if (compression != 0) {
        error = "compressed bitmaps are not supported";
        return false;
    }
    bool topDown = h < 0;
    if (topDown) h = -h;
    if (w < 0 || w > 65536 || h > 65536) {
        error = "bad bitmap size";
        return false;
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) {
        error = "unsupported bit depth " + std::to_string(bpp);
        return false;
    }
    std::vector<std::uint32_t> palette;
    if (bpp <= 8) {
        std::uint32_t n = clrUsed ? clrUsed : (1u << bpp);
        std::size_t at = 14 + hdr;
        if (at + 4ull * n > f.size()) {
            error = "colour table runs past the end of the file";
            return false;
        }
        for (std::uint32_t k = 0; k < n; ++k) {
            auto b = static_cast<unsigned char>(f[at + 4 * k]);
            auto g = static_cast<unsigned char>(f[at + 4 * k + 1]);
            auto r = static_cast<unsigned char>(f[at + 4 * k + 2]);
            palette.push_back(r | (g << 8) | (b << 16));
        }
    }
    std::size_t stride = ((static_cast<std::size_t>(w) * bpp + 31) / 32) * 4;
    if (offBits > f.size() || stride * h > f.size() - offBits) {
        error = "pixel data runs past the end of the file";
        return false;
    }
    out.width = w;
    out.height = h;
    out.bitsPerPixel = bpp;
    out.pixels.assign(static_cast<std::size_t>(w) * h, 0);
    for (std::int32_t y = 0; y < h; ++y) {
        std::size_t row = offBits + stride * static_cast<std::size_t>(topDown ? y : h - 1 - y);
        for (std::int32_t x = 0; x < w; ++x) {
            std::uint32_t c = 0;
            if (bpp == 24 || bpp == 32) {
                std::size_t at = row + static_cast<std::size_t>(x) * (bpp / 8);
                auto b = static_cast<unsigned char>(f[at]);
                auto g = static_cast<unsigned char>(f[at + 1]);
                auto r = static_cast<unsigned char>(f[at + 2]);
                c = r | (g << 8) | (b << 16);
            } else {
                std::size_t bit = static_cast<std::size_t>(x) * bpp;
                auto byte = static_cast<unsigned char>(f[row + bit / 8]);
                unsigned idx = (byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                if (idx >= palette.size()) {
                    error = "pixel refers past the colour table";
                    return false;
                }
                c = palette[idx];
            }
            out.pixels[static_cast<std::size_t>(y) * w + x] = c;
        }
    }
    return true;
}
