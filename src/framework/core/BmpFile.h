// Reads the platform's bitmap file format: the header check shared by the
// program's picture loader and the layout compiler, and a decoder into plain
// RGB pixels for the layout compiler (which computes outlines from pictures
// at build time).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Pictures are at most this wide and high.
inline constexpr std::int32_t kMaxBmpSide = 32768;

// What a checked bitmap file header says, every figure within the file.
struct BmpHeader {
    std::int32_t width = 0, height = 0;  // height as a positive number
    bool topDown = false;
    int bitsPerPixel = 0;                 // 1, 4, 8, 16, 24 or 32
    std::uint32_t colors = 0;             // colour table entries (at most 256)
    std::size_t headerSize = 0;           // the info header's own size field
    std::size_t colorsAt = 0;             // offset of the colour table
    std::size_t bitsAt = 0;               // offset of the pixel rows
    std::size_t stride = 0;               // bytes per row
};

// Checks an uncompressed bitmap file's header against the file's size: the
// signature, an info header of at least 40 bytes inside the file, one plane,
// a width of 1 to 32768 and a height of 1 to 32768 either way up, 1, 4, 8,
// 16, 24 or 32 bits per pixel, at most 256 colours, the colour table inside
// the file and before the pixels, and every pixel row inside the file (sizes
// computed in 64 bits, so that no product wraps on a 32-bit build). False
// with error set to what is wrong.
bool CheckBmpHeader(const std::string& file, BmpHeader& out, std::string& error);

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
