// The outline a picture gives its window. The layout compiler stores it as
// RegionData at build time; the program builds it at run time with the
// platform's regions, reads the stored one back and writes it again. The
// bytes must agree exactly every way round, and damaged stored outlines must
// leave a rectangular window and an error, never a crash.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "../../tools/layoutc/LayoutText.h"
#include "imageform/fcRegion.h"
#include "imageform/fcimageform.h"
#include "imageform_test_util.h"

using namespace imageformtest;
using layout::Node;
using layout::Value;
using testsupport::TTestForm;

namespace {

constexpr TColor kCut = clFuchsia;

// A windowless control with nothing to do, to see that reading goes on
// after a damaged outline.
class TOutlineNeighbour : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TOutlineNeighbour(TComponent* owner) : TGraphicControl(owner) {}
};
CX_IMPLEMENT_CLASS(TOutlineNeighbour, TGraphicControl, CX_CREATE(TOutlineNeighbour), {})

// RegionData as the layout compiler stores it for a picture and colour.
std::string CompilerPayload(const std::string& bmp, TColor color) {
    Node n{"TfcImageForm", "fcImageForm1", {}, {}};
    n.props = {{"Picture.Data", Value::Bin(layouttext::PictureData(bmp))}, {"TransparentColor", Value::Int(color)}};
    return layouttext::RegionPayload(n, "probe");
}

// The same from the outline the program builds at run time.
std::string RuntimePayload(const std::string& bmp, TColor color) {
    TBitmap b;
    b.LoadFromBytes(bmp);
    UniqueRegion r = CreateRegionFromBitmap(b, color);
    std::string data = fcregion::RegionDataOf(r.Get());
    return Le32(static_cast<std::uint32_t>(data.size())) + data;
}

std::string Show(const std::string& payload) {
    std::string s;
    auto w = Words(payload);
    for (std::size_t k = 0; k < w.size() && k < 40; ++k) s += std::to_string(w[k]) + " ";
    return w.size() > 40 ? s + "... (" + std::to_string(w.size()) + " words)" : s;
}

struct Picture {
    std::string name;
    int width, height;
    std::function<bool(int, int)> cut;
};

// Opaque pixels in a few colours (so that 8-bit twins fit a colour table),
// never the cut colour.
TColor Paint(const Picture& p, int x, int y) {
    if (p.cut(x, y)) return kCut;
    static const TColor inks[] = {clWhite, clBlack, 0x404040, clNavy, 0x00FE00, 0xFE00FF, 0xFF00FE};
    return inks[static_cast<unsigned>(x * 3 + y * 5) % 7];
}

std::function<bool(int, int)> RandomMask(unsigned seed, int width, int height, int percentCut) {
    auto bits = std::make_shared<std::vector<bool>>(static_cast<std::size_t>(width) * height);
    std::mt19937 rng(seed);
    for (auto&& b : *bits) b = static_cast<int>(rng() % 100) < percentCut;
    return [bits, width](int x, int y) { return (*bits)[static_cast<std::size_t>(y) * width + x]; };
}

std::vector<Picture> Gallery() {
    std::vector<Picture> g;
    g.push_back({"plain", 40, 30, [](int, int) { return false; }});
    g.push_back({"margin", 50, 40, [](int x, int y) { return x < 5 || y < 4 || x >= 47 || y >= 38; }});
    g.push_back({"ring with a hole", 64, 64, [](int x, int y) {
                     int d = (x - 32) * (x - 32) + (y - 32) * (y - 32);
                     return d > 30 * 30 || d < 12 * 12;
                 }});
    g.push_back({"several runs per row", 61, 17, [](int x, int y) { return (x + y) % 7 < 3; }});
    g.push_back({"ragged edges", 80, 50, [](int x, int y) {
                     int left = (y * 37) % 11, right = 80 - (y * 53) % 13;
                     return x < left || x >= right;
                 }});
    g.push_back({"opaque stretch to the end", 20, 3, [](int x, int) { return x >= 5 && x < 12; }});
    g.push_back({"single pixels", 33, 33, [](int x, int y) { return x % 5 != 2 || y % 5 != 2; }});
    g.push_back({"one pixel", 1, 1, [](int, int) { return false; }});
    g.push_back({"one pixel wide", 1, 100, [](int, int y) { return y % 9 < 4; }});
    g.push_back({"one pixel high", 100, 1, [](int x, int) { return x % 9 < 4; }});
    g.push_back({"very wide", 3000, 3, RandomMask(11, 3000, 3, 50)});
    g.push_back({"very tall", 3, 1500, RandomMask(12, 3, 1500, 40)});
    g.push_back({"checkerboard", 64, 64, [](int x, int y) { return (x + y) % 2 == 0; }});
    g.push_back({"equal rows apart", 12, 9, [](int x, int y) { return y == 4 || (x > 3 && x < 7); }});
    g.push_back({"staircase", 40, 40, [](int x, int y) { return x > y; }});
    g.push_back({"top row only", 30, 10, [](int, int y) { return y > 0; }});
    g.push_back({"bottom-right pixel only", 30, 10, [](int x, int y) { return x != 29 || y != 9; }});
    for (unsigned seed = 1; seed <= 3; ++seed)
        for (int pct : {10, 50, 90})
            g.push_back({"random " + std::to_string(pct) + "% seed " + std::to_string(seed), 97, 83,
                         RandomMask(seed * 100 + static_cast<unsigned>(pct), 97, 83, pct)});
    return g;
}

std::string FileOf(const Picture& p, int bpp, bool topDown = false) {
    return BmpFile(p.width, p.height, bpp, [&](int x, int y) { return Paint(p, x, y); }, topDown);
}

// A form holding one image form with the given properties (and a neighbour
// after it), as a layout would bring it.
Node ImageFormLayout(std::vector<std::pair<std::string, Value>> props) {
    Node f{"TTestForm", "Form1", {{"ClientWidth", Value::Int(120)}, {"ClientHeight", Value::Int(90)}}, {}};
    f.children.push_back({"TfcImageForm", "fcImageForm1", std::move(props), {}});
    f.children.push_back({"TOutlineNeighbour", "Neighbour1", {{"Hint", Value::Str("after the outline")}}, {}});
    return f;
}

TfcImageForm* ImageOf(TTestForm* form) { return dynamic_cast<TfcImageForm*>(form->FindComponent("fcImageForm1")); }

}  // namespace

TEST(Outline, RunTimeOutlinesAreTheBytesTheLayoutCompilerStores) {
    for (const Picture& p : Gallery()) {
        SCOPED_TRACE(p.name);
        std::string file = FileOf(p, 24);
        std::string expected = CompilerPayload(file, kCut);
        std::string runTime = RuntimePayload(file, kCut);
        EXPECT_TRUE(runTime == expected) << "compiler: " << Show(expected) << "\nrun time: " << Show(runTime);
        EXPECT_TRUE(RuntimePayload(FileOf(p, 24, true), kCut) == expected) << "top-down file";
        // The 8-bit twin goes through the one-bit mask and must agree too.
        runTime = RuntimePayload(FileOf(p, 8), kCut);
        EXPECT_TRUE(runTime == expected) << "8-bit twin: " << Show(runTime);
    }
}

TEST(Outline, EveryRunUnionedInTurnGivesTheSameRegionAsTheBalancedUnion) {
    for (const Picture& p : Gallery()) {
        SCOPED_TRACE(p.name);
        TBitmap b;
        b.LoadFromBytes(FileOf(p, 24));
        RowRunList rows = BitmapRowRuns(b, kCut);
        UniqueRegion byRun = fcregion::UnionRunByRun(rows);
        UniqueRegion balanced = fcregion::UnionBalanced(rows);
        EXPECT_TRUE(fcregion::RegionDataOf(byRun.Get()) == fcregion::RegionDataOf(balanced.Get()));
    }
}

TEST(Outline, SystemColoursAndClNoneCutNothingAtAnyDepth) {
    // The 24-bit path compares the value as it is; the mask path must not
    // turn such a value into a real colour.
    for (TColor c : {clNone, clBtnFace, clWindow}) {
        for (int bpp : {24, 8}) {
            TBitmap b;
            b.LoadFromBytes(BmpFile(10, 4, bpp, [&](int x, int) { return x < 5 ? ColorToRGB(c) : clBlack; }));
            UniqueRegion r = CreateRegionFromBitmap(b, c);
            EXPECT_EQ(Words(fcregion::RegionDataOf(r.Get())),
                      (std::vector<std::int32_t>{32, 1, 1, 16, 0, 0, 10, 4, 0, 0, 10, 4}))
                << "colour " << c << ", " << bpp << " bits";
        }
    }
}

TEST(Outline, SkinLayoutStoresTheCoverRectangleAndWritesItBack) {
    Node root;
    std::string bytes = SkinLayoutBytes();
    root = layout::Decode(bytes.data(), bytes.size(), "skin");
    ASSERT_EQ(root.children.size(), 1u);
    const Value* stored = root.children[0].Find("RegionData");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->s.size(), 52u);
    EXPECT_EQ(Words(stored->s), (std::vector<std::int32_t>{48, 32, 1, 1, 16, 17, 17, 385, 384, 17, 17, 385, 384}));

    TTestForm* form = LoadSkinForm();
    TfcImageForm* image = ImageOf(form);
    ASSERT_NE(image, nullptr);
    ASSERT_NE(image->Region(), nullptr);
    // The window wears the stored outline.
    EXPECT_EQ(Le32(48) + WindowRegionData(form->WindowHandle()), stored->s);
    EXPECT_EQ(Le32(48) + image->OutlineData(), stored->s);
    // Writing the layout again gives the same bytes, and so does the whole
    // component as the framework writes it.
    auto written = Stored(*image, "RegionData");
    ASSERT_TRUE(written);
    EXPECT_EQ(written->s, stored->s);
    layout::Writer w;
    WriteComponent(w, *image, [](TComponent&) { return std::vector<TComponent*>(); });
    EXPECT_NE(w.Data().find(stored->s), std::string::npos);
    // With clNone the bottom-left pixel, fuchsia, is the colour.
    image->SetTransparentColor(clNone);
    EXPECT_EQ(image->EffectiveTransparentColor(), clFuchsia);
    EXPECT_EQ(Stored(*image, "RegionData")->s, stored->s);
    delete form;
}

TEST(Outline, PicturesWithoutCutPixelsGiveOneRectangle) {
    std::string file = BmpFile(37, 21, 24, [](int x, int y) { return x == 0 && y == 20 ? clBlack : clWhite; });
    TTestForm* form = new TTestForm();
    form->Load(ImageFormLayout({{"Picture.Data", Value::Bin(layouttext::PictureData(file))},
                                {"TransparentColor", Value::Id("clFuchsia")},
                                {"RegionData", Value::Bin(Le32(0))}}));
    auto written = Stored(*ImageOf(form), "RegionData");
    ASSERT_TRUE(written);
    EXPECT_EQ(Words(written->s), (std::vector<std::int32_t>{48, 32, 1, 1, 16, 0, 0, 37, 21, 0, 0, 37, 21}));
    delete form;
}

TEST(Outline, NothingToShowStoresNoOutlineAndLeavesTheWindowRectangular) {
    std::string allCut = BmpFile(9, 6, 24, [](int, int) { return kCut; });
    for (bool hasPicture : {true, false}) {
        SCOPED_TRACE(hasPicture ? "wholly transparent picture" : "no picture");
        std::vector<std::pair<std::string, Value>> props = {{"TransparentColor", Value::Id("clFuchsia")},
                                                            {"RegionData", Value::Bin(Le32(0))}};
        if (hasPicture) props.insert(props.begin(), {"Picture.Data", Value::Bin(layouttext::PictureData(allCut))});
        TTestForm* form = new TTestForm();
        form->Load(ImageFormLayout(props));
        TfcImageForm* image = ImageOf(form);
        EXPECT_EQ(image->Region(), nullptr);
        EXPECT_EQ(WindowRegionData(form->WindowHandle()), "");
        EXPECT_EQ(Stored(*image, "RegionData")->s, Le32(0));
        if (hasPicture) {
            EXPECT_EQ(CompilerPayload(allCut, kCut), Le32(0));
        }
        delete form;
    }
}

TEST(Outline, EightBitPictureGivesTheOutlineOfItsTwentyFourBitTwin) {
    Picture p{"twin", 45, 35, [](int x, int y) { return (x * x + y) % 11 < 4 || y < 2; }};
    std::string outlines[2];
    int k = 0;
    for (int bpp : {24, 8}) {
        TTestForm* form = new TTestForm();
        form->Load(ImageFormLayout({{"Picture.Data", Value::Bin(layouttext::PictureData(FileOf(p, bpp)))},
                                    {"TransparentColor", Value::Id("clFuchsia")},
                                    {"RegionData", Value::Bin(Le32(0))}}));
        auto* bitmap = dynamic_cast<TBitmap*>(ImageOf(form)->Picture()->Graphic());
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->BitsPerPixel(), bpp);
        outlines[k++] = Stored(*ImageOf(form), "RegionData")->s;
        delete form;
    }
    EXPECT_GT(outlines[0].size(), 52u);
    EXPECT_TRUE(outlines[0] == outlines[1]) << Show(outlines[0]) << "\n" << Show(outlines[1]);
    EXPECT_TRUE(outlines[0] == CompilerPayload(FileOf(p, 24), kCut)) << Show(outlines[0]);
}

TEST(Outline, StoredCountZeroBuildsTheOutlineFromTheLoadedPicture) {
    Picture p{"frame", 30, 20, [](int x, int y) { return x < 3 || y < 2 || (x > 10 && x < 14); }};
    std::string file = FileOf(p, 24);
    TTestForm* form = new TTestForm();
    form->Load(ImageFormLayout({{"Picture.Data", Value::Bin(layouttext::PictureData(file))},
                                {"TransparentColor", Value::Id("clFuchsia")},
                                {"RegionData", Value::Bin(Le32(0))}}));
    EXPECT_NE(ImageOf(form)->Region(), nullptr);
    std::string expected = CompilerPayload(file, kCut);
    EXPECT_EQ(Le32(static_cast<std::uint32_t>(expected.size() - 4)) + WindowRegionData(form->WindowHandle()),
              expected);
    delete form;
}

TEST(Outline, StoredOutlineIsUsedAsItIs) {
    // Not compared with the picture: a stored outline wins.
    std::string file = BmpFile(30, 20, 24, [](int, int) { return clWhite; });
    std::string data = region::RegionDataBytes({{2, 3, 12, 9}});
    TTestForm* form = new TTestForm();
    form->Load(ImageFormLayout({{"Picture.Data", Value::Bin(layouttext::PictureData(file))},
                                {"RegionData", Value::Bin(Le32(static_cast<std::uint32_t>(data.size())) + data)}}));
    EXPECT_EQ(WindowRegionData(form->WindowHandle()), data);
    delete form;
}

TEST(Outline, DamagedStoredOutlinesLeaveARectangularWindowAndSaySo) {
    std::string file = BmpFile(30, 20, 24, [](int x, int) { return x < 4 ? kCut : clWhite; });
    std::string good = region::RegionDataBytes({{4, 0, 30, 20}});
    std::string twoRects = good;
    twoRects[8] = 2;  // names two rectangles, holds one
    std::string notRectangles = good;
    notRectangles[4] = 2;  // a region data type other than rectangles
    std::string shortHeader = good;
    shortHeader[0] = 8;  // a header size the platform does not take
    struct Case {
        const char* name;
        std::string payload;
        const char* says;
    } cases[] = {
        {"count runs past the end", Le32(1000) + good, "runs past the end"},
        {"count one byte too many", Le32(static_cast<std::uint32_t>(good.size() + 1)) + good, "runs past the end"},
        {"rectangles past the data", Le32(static_cast<std::uint32_t>(twoRects.size())) + twoRects,
         "names 2 rectangles but holds room for 1"},
        {"shorter than a header", Le32(10) + good.substr(0, 10), "fewer than its 32-byte header"},
        {"not rectangles", Le32(static_cast<std::uint32_t>(notRectangles.size())) + notRectangles,
         "not a list of rectangles"},
        {"a header size the platform does not take", Le32(static_cast<std::uint32_t>(shortHeader.size())) + shortHeader,
         "the stored outline's header size is 8, not 32"},
        {"count short of the bytes", Le32(static_cast<std::uint32_t>(good.size() - 16)) + good,
         "the outline is followed by 16 bytes its count does not cover"},
        {"no count at all", std::string("\x30\x00", 2), "stream ends early"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::Errors().clear();
        TTestForm* form = new TTestForm();
        EXPECT_NO_THROW(form->Load(ImageFormLayout({{"Picture.Data", Value::Bin(layouttext::PictureData(file))},
                                                     {"TransparentColor", Value::Id("clFuchsia")},
                                                     {"RegionData", Value::Bin(c.payload)},
                                                     {"Hint", Value::Str("read after the outline")}})));
        std::string errors = testsupport::TakeErrors();
        EXPECT_NE(errors.find("Layout of TTestForm, component fcImageForm1, property RegionData: "), std::string::npos)
            << errors;
        EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
        TfcImageForm* image = ImageOf(form);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Region(), nullptr);
        EXPECT_EQ(WindowRegionData(form->WindowHandle()), "") << "the window keeps its rectangle";
        // Nothing else of the layout is lost.
        EXPECT_EQ(image->Hint(), "read after the outline");
        auto* neighbour = form->FindComponent("Neighbour1");
        ASSERT_NE(neighbour, nullptr);
        EXPECT_EQ(static_cast<TControl*>(neighbour)->Hint(), "after the outline");
        delete form;
    }
}

TEST(Outline, RebuildClearAndScaleFollowTheWindow) {
    std::string file = BmpFile(30, 20, 24, [](int x, int) { return x < 4 ? kCut : clWhite; });
    TTestForm* form = new TTestForm();
    form->Load(ImageFormLayout({{"Picture.Data", Value::Bin(layouttext::PictureData(file))},
                                {"TransparentColor", Value::Id("clFuchsia")},
                                {"RegionData", Value::Bin(Le32(0))}}));
    TfcImageForm* image = ImageOf(form);
    HWND w = form->WindowHandle();
    EXPECT_EQ(WindowRegionData(w), region::RegionDataBytes({{4, 0, 30, 20}}));
    // Changing the colour changes nothing until the owner rebuilds.
    image->SetTransparentColor(clWhite);
    EXPECT_EQ(WindowRegionData(w), region::RegionDataBytes({{4, 0, 30, 20}}));
    image->RebuildRegion();
    EXPECT_EQ(WindowRegionData(w), region::RegionDataBytes({{0, 0, 4, 20}}));
    image->SetTransparentColor(clFuchsia);
    image->RebuildRegion();
    image->ScaleRegion(2.0f, 3.0f);
    EXPECT_EQ(WindowRegionData(w), region::RegionDataBytes({{8, 0, 60, 60}}));
    EXPECT_NE(image->Region(), nullptr);
    image->ClearRegion();
    EXPECT_EQ(image->Region(), nullptr);
    EXPECT_EQ(WindowRegionData(w), "");
    // A window without an outline keeps having none when scaled.
    image->ScaleRegion(2.0f, 2.0f);
    EXPECT_EQ(WindowRegionData(w), "");
    delete form;
}

TEST(Outline, RegionsAreNeitherLeakedNorReleasedTwice) {
    DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    Picture p{"speckle", 60, 40, RandomMask(5, 60, 40, 50)};
    std::string picture = layouttext::PictureData(FileOf(p, 24));
    TTestForm* form = new TTestForm();
    form->Load(ImageFormLayout({{"Picture.Data", Value::Bin(picture)},
                                {"TransparentColor", Value::Id("clFuchsia")},
                                {"RegionData", Value::Bin(Le32(0))}}));
    TfcImageForm* image = ImageOf(form);
    // An image form without a window keeps its outline itself, and deletes
    // it when it is replaced, cleared or goes.
    auto* loose = new TfcImageForm(form);
    loose->Picture()->Assign(image->Picture());
    loose->SetTransparentColor(clFuchsia);
    loose->RebuildRegion();
    HRGN first = loose->Region();
    ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_REGION));
    loose->RebuildRegion();
    HRGN second = loose->Region();
    EXPECT_EQ(GetObjectType(first), 0u) << "the replaced outline was not deleted";
    EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_REGION));
    EXPECT_EQ(loose->OutlineData(), WindowRegionData(form->WindowHandle()));
    loose->ClearRegion();
    EXPECT_EQ(GetObjectType(second), 0u);
    loose->RebuildRegion();
    HRGN third = loose->Region();
    delete loose;
    EXPECT_EQ(GetObjectType(third), 0u);

    DWORD loaded = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int k = 0; k < 200; ++k) {
        image->RebuildRegion();
        if (k % 50 == 0) image->ScaleRegion(1.0f, 1.0f);
    }
    DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    delete form;  // the window's outline goes with the window
    DWORD end = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (before == 0 && after == 0) {
        // Wine does not count a process's GDI objects.
        std::printf("GetGuiResources gives 0 here: object counts not compared\n");
        return;
    }
    EXPECT_LE(after, loaded + 2);
    EXPECT_LE(end, before + 2);
}

TEST(Outline, NearColoursInAColourTableAreNotCut) {
    // No pixel has the cut colour, only ones next to it: nothing is cut, at
    // 8 bits as at 24.
    auto nearCut = [](int x, int y) -> TColor { return (x + y) % 2 ? 0xFE00FF : 0xFF00FE; };
    for (int bpp : {24, 8}) {
        TBitmap b;
        b.LoadFromBytes(BmpFile(6, 4, bpp, nearCut));
        UniqueRegion r = CreateRegionFromBitmap(b, kCut);
        EXPECT_EQ(Words(fcregion::RegionDataOf(r.Get())),
                  (std::vector<std::int32_t>{32, 1, 1, 16, 0, 0, 6, 4, 0, 0, 6, 4}))
            << bpp << " bits";
    }
}
