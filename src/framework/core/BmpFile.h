// Reads the platform's bitmap file format into plain RGB pixels, for the
// layout compiler (which computes outlines from pictures at build time).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BmpImage {
    std::int32_t width = 0, height = 0;
    int bitsPerPixel = 0;
    // Row-major, top row first; each pixel as the framework's RGB colour value
    // (red in bits 0-7, green 8-15, blue 16-23).
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(std::int32_t x, std::int32_t y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Decodes an uncompressed bitmap file of 1, 4, 8, 24 or 32 bits per pixel.
// Returns false and sets error for anything else.
bool DecodeBmp(const std::string& file, BmpImage& out, std::string& error);
