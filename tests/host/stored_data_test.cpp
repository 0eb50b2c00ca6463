// Stored binary data whose counts and sizes do not add up is refused whole,
// with an error naming the window, component and property; nothing is read
// in part, and components cannot nest without bound.
#include <gtest/gtest.h>

#include "BmpFile.h"
#include "LayoutStream.h"
#include "RegionBands.h"
#include "StoredData.h"

namespace {

std::string Le32(std::uint32_t v) {
    std::string s;
    for (int k = 0; k < 4; ++k) s.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    return s;
}
void Put32(std::string& s, std::size_t at, std::uint32_t v) { s.replace(at, 4, Le32(v)); }

// Runs a reader on a payload as the layout reader hands it over; the error
// text, or empty when it was read.
template <class F>
std::string Refusal(const std::string& payload, F read) {
    layout::Reader r(payload.data(), payload.size());
    r.window = "TfrmRead";
    r.component = "RichEdit2";
    r.property = "Data";
    try {
        read(r);
    } catch (const layout::StreamError& e) {
        return e.what();
    }
    return {};
}

// A 24-bit bitmap file of w x h pixels (bottom row first), all white.
std::string Bmp24(std::int32_t w, std::int32_t h) {
    std::uint32_t stride = ((static_cast<std::uint32_t>(w) * 24 + 31) / 32) * 4;
    std::string f;
    f.append("BM");
    for (std::uint32_t v : {54 + stride * h, 0u, 54u, 40u, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)})
        f.append(Le32(v));
    f.append(std::string("\x01\x00\x18\x00", 4));
    for (int k = 0; k < 6; ++k) f.append(Le32(0));
    f.append(std::string(stride * h, '\xFF'));
    return f;
}

std::string Picture(const std::string& file) {
    std::string p("\x07TBitmap", 8);
    p.append(Le32(static_cast<std::uint32_t>(file.size())));
    p.append(file);
    return p;
}

}  // namespace

TEST(StoredData, DocumentCountMustBeExactlyItsBytes) {
    auto read = [](layout::Reader& r) { stored::ReadDocument(r); };
    std::string rtf = "{\\rtf1 Lanterns}";
    EXPECT_EQ(Refusal(Le32(rtf.size()) + rtf, read), "");
    std::string shorter = Refusal(Le32(rtf.size() - 3) + rtf, read);
    EXPECT_EQ(shorter, "Layout of TfrmRead, component RichEdit2, property Data: the document is followed by 3 bytes "
                       "its count does not cover (17 of 20 bytes read)");
    std::string longer = Refusal(Le32(rtf.size() + 1) + rtf, read);
    EXPECT_NE(longer.find("property Data: the document's length 17 runs past the end of its 16 bytes"),
              std::string::npos)
        << longer;
    EXPECT_NE(Refusal(Le32(0xFFFFFFF0u) + rtf, read).find("is negative"), std::string::npos);
    EXPECT_NE(Refusal("\x01\x00", read).find("stream ends early"), std::string::npos);
}

TEST(StoredData, OutlinesMustBeExactlyTheirHeaderAndRectangles) {
    auto read = [](layout::Reader& r) { stored::ReadOutline(r); };
    std::string good = region::RegionDataBytes({{4, 0, 30, 20}, {0, 20, 30, 40}});
    EXPECT_EQ(Refusal(Le32(good.size()) + good, read), "");
    EXPECT_EQ(Refusal(Le32(0), read), "");
    std::string headerSize = good, fewer = good, moreBytes = good + std::string(16, '\0'), inside = good,
                rectBytes = good;
    Put32(headerSize, 0, 40);
    Put32(fewer, 8, 1);
    Put32(rectBytes, 12, 48);
    Put32(inside, 32, 50);  // left beyond right
    struct Case {
        std::string payload;
        const char* says;
    } cases[] = {
        {Le32(headerSize.size()) + headerSize, "the stored outline's header size is 40, not 32"},
        {Le32(fewer.size()) + fewer, "names 1 rectangles but holds 32 bytes of them"},
        {Le32(moreBytes.size()) + moreBytes, "names 2 rectangles but holds 48 bytes of them"},
        {Le32(rectBytes.size()) + rectBytes, "rectangle bytes 48 disagree with its 2 rectangles"},
        {Le32(inside.size()) + inside, "rectangle 1 is turned inside out"},
        {Le32(good.size() - 1) + good, "the outline is followed by 1 bytes"},
        {Le32(0) + good, "an empty outline is followed by"},
        {Le32(good.size() + 5) + good, "runs past the end"},
    };
    for (const Case& c : cases) {
        std::string e = Refusal(c.payload, read);
        EXPECT_EQ(e.rfind("Layout of TfrmRead, component RichEdit2, property Data: ", 0), 0u) << e;
        EXPECT_NE(e.find(c.says), std::string::npos) << e;
    }
}

TEST(StoredData, PictureHeadersMustAgreeWithTheirSize) {
    auto read = [](layout::Reader& r) {
        stored::Picture p;
        stored::ReadPicture(r, p);
    };
    std::string good = Bmp24(5, 3);
    EXPECT_EQ(Refusal(Picture(good), read), "");
    auto with = [&](std::size_t at, std::uint32_t v) {
        std::string f = good;
        Put32(f, at, v);
        return Picture(f);
    };
    // A row size times a height past 32 bits: 32768 x 32768 pixels of 32 bits
    // is exactly 2^32 bytes, which a 32-bit product would make 0.
    std::string wraps = good;
    Put32(wraps, 18, 32768);
    Put32(wraps, 22, 32768);
    wraps[28] = 32;
    std::string eightBit = good;
    eightBit[28] = 8;
    Put32(eightBit, 46, 300);
    struct Case {
        std::string payload;
        const char* says;
    } cases[] = {
        {Picture(wraps), "the pixel data (131072 x 32768 bytes) runs past the end of the file"},
        {Picture(eightBit), "the colour count 300 is more than 256"},
        {with(10, 5000), "the pixel data starts past the end of the file"},
        {with(10, 20), "the pixel data starts inside the header"},
        {with(14, 0xFFFFFFF8u), "the header size 4294967288 does not fit"},
        {with(18, 0), "bad bitmap size 0 x 3"},
        {with(22, 0x80000000u), "bad bitmap size"},
        {with(30, 1), "compressed bitmaps are not supported"},
        {Picture(good.substr(0, good.size() - 1)), "runs past the end of the file"},
        {Picture(good) + "x", "the picture is followed by 1 bytes"},
        {std::string("\x07TBitmap", 8) + Le32(good.size() + 1) + good, "the picture's length"},
        {std::string("\x07TIcon12", 8) + Le32(good.size()) + good, "unknown picture class TIcon12"},
    };
    for (const Case& c : cases) {
        std::string e = Refusal(c.payload, read);
        EXPECT_EQ(e.rfind("Layout of TfrmRead, component RichEdit2, property Data: ", 0), 0u) << e;
        EXPECT_NE(e.find(c.says), std::string::npos) << e;
    }
}

TEST(StoredData, ComponentsNestedThousandsDeepAreRefused) {
    auto nested = [](int depth) {
        layout::Writer w;
        w.Magic();
        for (int k = 0; k < depth; ++k) {
            std::string name = "P";
            name += std::to_string(k);
            w.BeginComponent("TPanel", name);
            w.EndProperties();
            w.BeginChild();
        }
        w.BeginComponent("TPanel", "Last");
        w.EndProperties();
        w.EndChildren();
        for (int k = 0; k < depth; ++k) w.EndChildren();
        return w.Take();
    };
    std::string ok = nested(layout::Reader::kMaxComponentDepth);
    EXPECT_NO_THROW(layout::Decode(ok.data(), ok.size(), "TForm1"));
    for (int depth : {layout::Reader::kMaxComponentDepth + 1, 5000, 200000}) {
        std::string deep = nested(depth);
        try {
            layout::Decode(deep.data(), deep.size(), "TForm1");
            ADD_FAILURE() << depth << " levels were read";
        } catch (const layout::StreamError& e) {
            EXPECT_NE(std::string(e.what()).find("components nested more than 32 deep"), std::string::npos) << e.what();
        }
    }
}
