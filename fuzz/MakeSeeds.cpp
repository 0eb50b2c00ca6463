// Makes the fuzzers' seed corpus from the program's real layouts: each real
// layout with its large binaries made small, a layout of the test classes
// holding every kind of property and the real binaries, and the real picture,
// outline and document payloads (pictures cropped, in each bit depth).
//   make_seeds <out dir> <layout.cxl>...
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "BmpFile.h"
#include "LayoutStream.h"
#include "RegionBands.h"

namespace fs = std::filesystem;
using layout::Node;
using layout::Value;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteAll(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f << bytes;
}

std::string Le32(std::uint32_t v) {
    std::string s;
    for (int k = 0; k < 4; ++k) s.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    return s;
}
std::string Le16(std::uint32_t v) { return Le32(v).substr(0, 2); }

// A bitmap file of the given depth from RGB pixels (palette built from the
// colours met, at most 2^bpp of them; others take entry 0).
std::string BmpOf(const BmpImage& img, int x0, int y0, int w, int h, int bpp) {
    std::vector<std::uint32_t> palette;
    auto px = [&](int x, int y) { return img.At(x0 + x, y0 + y); };
    if (bpp <= 8) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint32_t c = px(x, y);
                bool known = false;
                for (auto p : palette) known |= p == c;
                if (!known && palette.size() < (1u << bpp)) palette.push_back(c);
            }
    }
    std::size_t stride = ((static_cast<std::size_t>(w) * bpp + 31) / 32) * 4;
    std::string bits(stride * h, '\0');
    for (int y = 0; y < h; ++y) {
        char* row = &bits[stride * (h - 1 - y)];  // bottom row first
        for (int x = 0; x < w; ++x) {
            std::uint32_t c = px(x, y);
            if (bpp == 24) {
                row[3 * x] = static_cast<char>((c >> 16) & 0xFF);
                row[3 * x + 1] = static_cast<char>((c >> 8) & 0xFF);
                row[3 * x + 2] = static_cast<char>(c & 0xFF);
            } else {
                unsigned idx = 0;
                for (unsigned k = 0; k < palette.size(); ++k)
                    if (palette[k] == c) idx = k;
                std::size_t bit = static_cast<std::size_t>(x) * bpp;
                row[bit / 8] = static_cast<char>(row[bit / 8] | (idx << (8 - bpp - bit % 8)));
            }
        }
    }
    std::string table;
    for (auto c : palette) {
        table.push_back(static_cast<char>((c >> 16) & 0xFF));
        table.push_back(static_cast<char>((c >> 8) & 0xFF));
        table.push_back(static_cast<char>(c & 0xFF));
        table.push_back('\0');
    }
    std::uint32_t off = 14 + 40 + static_cast<std::uint32_t>(table.size());
    std::string f = "BM" + Le32(off + static_cast<std::uint32_t>(bits.size())) + Le32(0) + Le32(off);
    f += Le32(40) + Le32(w) + Le32(h) + Le16(1) + Le16(bpp) + Le32(0) + Le32(static_cast<std::uint32_t>(bits.size())) +
         Le32(5905) + Le32(5905) + Le32(static_cast<std::uint32_t>(palette.size())) + Le32(0);
    return f + table + bits;
}

std::string PictureData(const std::string& file) { return std::string("\x07TBitmap", 8) + Le32(file.size()) + file; }
std::string Counted(const std::string& bytes) { return Le32(static_cast<std::uint32_t>(bytes.size())) + bytes; }

// Cuts an RTF document to at most n bytes, closing its group.
std::string ShortDocument(const std::string& rtf, std::size_t n) {
    if (rtf.size() <= n) return rtf;
    return rtf.substr(0, n) + "}";
}

struct Found {
    std::vector<std::string> pictures, outlines, documents;
};

void Collect(const Node& n, Found& f) {
    for (auto& [name, v] : n.props) {
        if (v.tag != layout::Tag::Binary) continue;
        if (name == "Picture.Data") f.pictures.push_back(v.s);
        else if (name == "RegionData") f.outlines.push_back(v.s);
        else if (name == "Data") f.documents.push_back(v.s);
    }
    for (auto& c : n.children) Collect(c, f);
}

// The same layout with pictures and documents made small.
void Shrink(Node& n, const std::string& smallPicture) {
    for (auto& [name, v] : n.props) {
        if (v.tag != layout::Tag::Binary) continue;
        if (name == "Picture.Data" || name == "Glyph.Data") v.s = smallPicture;
        else if (name == "Data" && v.s.size() > 2052) v.s = Counted(ShortDocument(v.s.substr(4), 2048));
    }
    for (auto& c : n.children) Shrink(c, smallPicture);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: make_seeds <out dir> <layout.cxl>...\n";
        return 2;
    }
    fs::path out = argv[1];
    Found found;
    std::vector<std::pair<std::string, Node>> layouts;
    for (int k = 2; k < argc; ++k) {
        std::string bytes = ReadAll(argv[k]);
        Node n = layout::Decode(bytes.data(), bytes.size(), fs::path(argv[k]).stem().string());
        Collect(n, found);
        layouts.emplace_back(fs::path(argv[k]).stem().string(), std::move(n));
    }
    // Pictures: the real ones cropped around their top-left corner (margin,
    // frame and page), in every depth the readers take.
    std::vector<std::string> crops;
    for (auto& p : found.pictures) {
        if (p.size() < 13) continue;
        BmpImage img;
        std::string error;
        if (!DecodeBmp(p.substr(1 + static_cast<unsigned char>(p[0]) + 4), img, error)) continue;
        int w = std::min(24, img.width), h = std::min(20, img.height);
        int x0 = std::min(8, img.width - w), y0 = std::min(8, img.height - h);
        for (int bpp : {24, 8, 4, 1}) crops.push_back(PictureData(BmpOf(img, x0, y0, w, h, bpp)));
        if (crops.size() >= 4) break;
    }
    int k = 0;
    for (auto& c : crops) WriteAll(out / "picture" / ("cover-crop-" + std::to_string(k++)), c);
    WriteAll(out / "picture" / "none", std::string(1, '\0'));
    const std::string small = crops.empty() ? std::string(1, '\0') : crops[0];

    // Outlines: the real ones, a banded one of many rectangles, none.
    k = 0;
    for (auto& o : found.outlines) WriteAll(out / "region" / ("stored-" + std::to_string(k++)), o);
    WriteAll(out / "region" / "none", Le32(0));
    std::vector<region::Rect> bands = {{17, 17, 385, 40}, {17, 40, 100, 41}, {120, 40, 385, 41}, {17, 41, 385, 384}};
    WriteAll(out / "region" / "banded", Counted(region::RegionDataBytes(bands)));

    // Documents: the real ones, cut to a few kilobytes.
    k = 0;
    for (auto& d : found.documents)
        if (d.size() >= 4) WriteAll(out / "document" / ("stored-" + std::to_string(k++)), Counted(ShortDocument(d.substr(4), 4096)));
    WriteAll(out / "document" / "empty", Le32(0));

    // Layouts: the real ones made small, and one of the test classes.
    for (auto& [name, n] : layouts) {
        Shrink(n, small);
        WriteAll(out / "layout" / name, layout::Encode(n));
    }
    Node child{"TFuzzComponent", "Child1", {{"Caption", Value::Str("inner")}, {"Align", Value::Id("alClient")}}, {}};
    Node grandchild{"TFuzzComponent", "Child2", {{"Partner", Value::Id("Child1")}}, {}};
    child.children.push_back(grandchild);
    Node root{"TFuzzComponent",
              "Root",
              {{"Left", Value::Int(12)},
               {"Scale", Value::Dbl(1.5)},
               {"Visible", Value::Bool(true)},
               {"Caption", Value::Str("Lanterns")},
               {"Color", Value::Id("clFuchsia")},
               {"Options", Value::Members({"ifUseWindowsDrag"})},
               {"Lines", Value::Items({Value::Str("one"), Value::Str("two")})},
               {"Font.Name", Value::Str("Arial")},
               {"Font.Size", Value::Int(14)},
               {"RichEditVersion", Value::Int(2)},
               {"Picture.Data", Value::Bin(small)},
               {"RegionData", Value::Bin(found.outlines.empty() ? Le32(0) : found.outlines[0])},
               {"Data", Value::Bin(Counted("{\\rtf1\\ansi Lanterns over the quiet harbour.\\par}"))}},
              {child}};
    WriteAll(out / "layout" / "test-classes", layout::Encode(root));
    std::cout << "seeds written to " << out << "\n";
    return 0;
}
