// The image form on a real window: the form becomes the picture (borderless,
// its size, its outline), and the user moves it by pressing on the picture
// and dragging, with input made through the platform's input queue.
#include <gtest/gtest.h>

#include <cstdlib>

#include "imageform/fcBitmap.h"
#include "imageform/fcimageform.h"
#include "imageform_test_util.h"

using namespace imageformtest;
using layout::Node;
using layout::Value;
using testsupport::Pump;
using testsupport::TTestForm;
using testsupport::WaitFor;

namespace {

// An image form that records what it draws and starts, and can pretend the
// display has a palette.
class TSpyImageForm : public TfcImageForm {
    CX_DECLARE_CLASS()
public:
    explicit TSpyImageForm(TComponent* owner) : TfcImageForm(owner) {}
    std::vector<RECT> outlines;
    std::vector<POINT> loops;
    int starts = 0, paints = 0;
    int displayDepth = 0;       // 0: the real display
    bool recordLoopsOnly = false;
    void DrawDragOutline(HDC dc, const RECT& r) override {
        outlines.push_back(r);
        TfcImageForm::DrawDragOutline(dc, r);
    }
    void StartMove(TMouseButton b, TShiftState s, int x, int y) override {
        ++starts;
        TfcImageForm::StartMove(b, s, x, y);
    }
    void DragLoop(int x, int y) override {
        loops.push_back({x, y});
        if (!recordLoopsOnly) TfcImageForm::DragLoop(x, y);
    }

protected:
    int DisplayBitsPerPixel() override {
        return displayDepth ? displayDepth : TfcImageForm::DisplayBitsPerPixel();
    }
    void Paint() override {
        ++paints;
        TfcImageForm::Paint();
    }
};
CX_IMPLEMENT_CLASS(TSpyImageForm, TfcImageForm, CX_CREATE(TSpyImageForm), {})

// Windowless controls: one that answers clicks, one that does not.
class TClickProbe : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TClickProbe(TComponent* owner) : TGraphicControl(owner) {}
};
CX_IMPLEMENT_CLASS(TClickProbe, TGraphicControl, CX_CREATE(TClickProbe), {})

class TPanelProbe : public TCustomControl {
    CX_DECLARE_CLASS()
public:
    explicit TPanelProbe(TComponent* owner) : TCustomControl(owner) { ControlStyle |= csAcceptsControls; }
};
CX_IMPLEMENT_CLASS(TPanelProbe, TCustomControl, CX_CREATE(TPanelProbe), {})

std::string PictureData(const std::string& bmp) {
    return std::string(1, '\x07') + "TBitmap" + Le32(static_cast<std::uint32_t>(bmp.size())) + bmp;
}

const std::string& Cover() {
    static const std::string bytes = ReadFile(COVER_BMP_PATH);
    return bytes;
}

Node Bounds(Node n, int l, int t, int w, int h) {
    n.props.insert(n.props.begin(), {{"Left", Value::Int(l)}, {"Top", Value::Int(t)}, {"Width", Value::Int(w)},
                                     {"Height", Value::Int(h)}});
    return n;
}

// The skin window's settings on a test form: the cover, cut by fuchsia.
Node SkinLike(std::vector<std::string> options, std::vector<Node> above = {},
              std::vector<std::pair<std::string, Value>> extra = {}) {
    Node f{"TTestForm", "Form1", {}, {}};
    f.props = {{"ClientWidth", Value::Int(400)}, {"ClientHeight", Value::Int(400)},
               {"Position", Value::Id("poScreenCenter")}};
    Node image{"TSpyImageForm", "fcImageForm1", {}, {}};
    image.props = {{"Options", Value::Members(std::move(options))}, {"Align", Value::Id("alClient")},
                   {"AutoSize", Value::Bool(true)}, {"Picture.Data", Value::Bin(PictureData(Cover()))},
                   {"DragTolerance", Value::Int(5)}, {"TransparentColor", Value::Id("clFuchsia")},
                   {"RegionData", Value::Bin(Le32(0))}};
    for (auto& e : extra) image.props.push_back(e);
    f.children.push_back(Bounds(image, 0, 0, 400, 400));
    for (auto& n : above) f.children.push_back(n);
    return f;
}

struct ShownForm {
    TTestForm* form = nullptr;
    TSpyImageForm* image = nullptr;
    int clicks = 0;
    ~ShownForm() {
        delete form;
        Pump(20);
    }
    RECT Rect() const {
        RECT r;
        GetWindowRect(form->WindowHandle(), &r);
        return r;
    }
    POINT At(int x, int y) const { return form->ClientToScreen(POINT{x, y}); }
};

void Show(ShownForm& s, const Node& layout) {
    s.form = new TTestForm();
    s.form->AddHandler<void(TObject*)>("ProbeClick", [&s](TObject*) { ++s.clicks; });
    s.form->Load(layout);
    s.image = dynamic_cast<TSpyImageForm*>(s.form->FindComponent("fcImageForm1"));
    ASSERT_NE(s.image, nullptr);
    s.form->Show();
    ASSERT_TRUE(WaitFor([&] { return GetFocus() == s.form->WindowHandle(); })) << "the form did not take the focus";
    Pump(50);
}

// Press at p, move through the offsets (one mouse event each), release.
void Drag(POINT p, std::vector<POINT> offsets, std::function<void()> beforeRelease = nullptr) {
    InputScript script;
    script.MoveTo(p.x, p.y).Down().Pause(50);
    for (POINT d : offsets) script.MoveTo(p.x + d.x, p.y + d.y, false);
    if (beforeRelease) script.Then(beforeRelease);
    if (const char* dir = std::getenv("CODEXIA_SHOTS"))
        script.Then([dir] { testsupport::SaveScreenBmp(std::string(dir) + "\\imageform-drag.bmp"); });
    script.Up().Run();
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }
RECT Moved(RECT r, int dx, int dy) {
    OffsetRect(&r, dx, dy);
    return r;
}

}  // namespace

TEST(ImageForm, LoadingMakesTheFormBorderlessSizedAndShapedByThePicture) {
    ShownForm s;
    Show(s, SkinLike({"ifUseWindowsDrag"}));
    HWND w = s.form->WindowHandle();
    if (const char* dir = std::getenv("CODEXIA_SHOTS")) testsupport::SaveScreenBmp(std::string(dir) + "\\imageform-shown.bmp");
    EXPECT_EQ(s.form->BorderStyle(), TFormBorderStyle::bsNone);
    EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_EQ(s.form->ClientWidth(), 400);
    EXPECT_EQ(s.form->ClientHeight(), 400);
    EXPECT_EQ(Words(WindowRegionData(w)), (std::vector<std::int32_t>{32, 1, 1, 16, 17, 17, 385, 384, 17, 17, 385, 384}));
    // The picture is drawn at the top-left, and the margin is cut away.
    TBitmap cover;
    cover.LoadFromBytes(Cover());
    for (POINT p : {POINT{17, 17}, POINT{200, 200}, POINT{100, 350}, POINT{384, 383}}) {
        POINT at = s.At(p.x, p.y);
        EXPECT_EQ(testsupport::ScreenPixel(at.x, at.y), cover.Canvas().Pixel(p.x, p.y)) << p.x << "," << p.y;
        EXPECT_EQ(WindowFromPoint(at), w);
    }
    for (POINT p : {POINT{5, 5}, POINT{16, 200}, POINT{390, 390}}) {
        POINT at = s.At(p.x, p.y);
        EXPECT_NE(WindowFromPoint(at), w) << "cut away at " << p.x << "," << p.y;
        EXPECT_NE(testsupport::ScreenPixel(at.x, at.y), RGB(255, 0, 255));
    }
}

TEST(ImageForm, PaletteDisplaysGetTheSamePictureThroughTheBitmap) {
    ShownForm s;
    Show(s, SkinLike({}));
    TBitmap cover;
    cover.LoadFromBytes(Cover());
    s.image->displayDepth = 8;
    s.image->Repaint();
    Pump(50);
    EXPECT_FALSE(s.image->SkipPaletteDrawing());
    POINT at = s.At(60, 250);
    EXPECT_EQ(testsupport::ScreenPixel(at.x, at.y), cover.Canvas().Pixel(60, 250));
    // ifNoPaletteDither: the framework draws the picture from the next paint on.
    s.image->SetOptions(ifNoPaletteDither);
    s.image->Repaint();
    Pump(50);
    EXPECT_TRUE(s.image->SkipPaletteDrawing());
    s.image->SetOptions(0);
    s.image->Repaint();
    Pump(50);
    EXPECT_TRUE(s.image->SkipPaletteDrawing()) << "it is never cleared again";
    EXPECT_EQ(testsupport::ScreenPixel(at.x, at.y), cover.Canvas().Pixel(60, 250));
}

TEST(ImageForm, AssignedPictureSizesTheFormWithOrWithoutAutoSize) {
    std::string small = BmpFile(300, 200, 24, [](int x, int) { return x < 150 ? clRed : clBlue; });
    TBitmap bmp;
    bmp.LoadFromBytes(small);
    TPicture picture;
    picture.Assign(&bmp);
    for (bool autoSize : {false, true}) {
        SCOPED_TRACE(autoSize ? "AutoSize" : "no AutoSize");
        ShownForm s;
        Show(s, SkinLike({}));
        s.image->SetAutoSize(autoSize);
        s.image->SetPicture(&picture);
        Pump(30);
        EXPECT_EQ(s.form->ClientWidth(), 300);
        EXPECT_EQ(s.form->ClientHeight(), 200);
        EXPECT_EQ(s.image->Width(), 300);
        EXPECT_EQ(s.image->Height(), 200);
    }
    // AutoSize on a control that is not aligned: control and form follow.
    ShownForm s;
    Show(s, SkinLike({}));
    s.image->SetAlign(TAlign::alNone);
    s.image->SetAutoSize(false);
    s.image->Picture()->Assign(&bmp);
    EXPECT_EQ(s.form->ClientWidth(), 400) << "without AutoSize a picture alone sizes nothing";
    s.image->SetAutoSize(true);
    Pump(30);
    EXPECT_EQ(s.image->Width(), 300);
    EXPECT_EQ(s.form->ClientWidth(), 300);
    EXPECT_EQ(s.form->ClientHeight(), 200);
}

TEST(ImageForm, OnAPanelTheFormIsTheParent) {
    TTestForm* form = new TTestForm();
    form->SetBorderStyle(TFormBorderStyle::bsSingle);
    auto* panel = new TPanelProbe(form);
    panel->SetBounds(10, 10, 100, 100);
    panel->SetParent(form);
    auto* image = new TfcImageForm(form);
    image->SetParent(panel);
    EXPECT_EQ(image->Parent(), form);
    EXPECT_EQ(image->ParentForm(), form);
    EXPECT_EQ(form->BorderStyle(), TFormBorderStyle::bsNone);
    ASSERT_TRUE(form->HandleAllocated());
    EXPECT_EQ(GetWindowLongA(form->WindowHandle(), GWL_STYLE) & WS_CLIPCHILDREN, 0);
    delete form;
}

TEST(ImageForm, OneMouseHookServesAllImageFormsOfTheThread) {
    int base = TfcCustomImageForm::HookClients();
    auto* a = new TfcImageForm(nullptr);
    HHOOK hook = TfcCustomImageForm::MouseHook();
    EXPECT_NE(hook, nullptr);
    auto* b = new TfcImageForm(nullptr);
    EXPECT_EQ(TfcCustomImageForm::HookClients(), base + 2);
    EXPECT_EQ(TfcCustomImageForm::MouseHook(), hook);
    delete a;
    EXPECT_EQ(TfcCustomImageForm::MouseHook(), hook);
    delete b;
    EXPECT_EQ(TfcCustomImageForm::HookClients(), base);
    if (base == 0) {
        EXPECT_EQ(TfcCustomImageForm::MouseHook(), nullptr);
    }
}

TEST(ImageForm, DragOutlineIsAThreePixelFrameThatASecondDrawErases) {
    TfcImageForm image(nullptr);
    TfcBitmap target;
    target.SetSize(30, 30);
    RECT r{5, 5, 25, 25};
    image.DrawDragOutline(target.Canvas().Handle(), r);
    GdiFlush();
    auto changed = [&](int x, int y) {
        const unsigned char* p = target.ScanLine(y) + 3 * x;
        return p[0] != 0xFF || p[1] != 0xFF || p[2] != 0xFF;
    };
    int inFrame = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            bool frame = x >= 5 && x < 25 && y >= 5 && y < 25 && !(x >= 8 && x < 22 && y >= 8 && y < 22);
            if (!frame) EXPECT_FALSE(changed(x, y)) << x << "," << y;
            else inFrame += changed(x, y);
        }
    EXPECT_GT(inFrame, 100);  // dotted: about half the frame's pixels
    for (int ring = 0; ring < 3; ++ring) EXPECT_TRUE(changed(5 + ring, 5 + ring) || changed(6 + ring, 5 + ring));
    image.DrawDragOutline(target.Canvas().Handle(), r);
    GdiFlush();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_FALSE(changed(x, y)) << x << "," << y;
}

TEST(ImageFormDrag, MoveWithinTheToleranceDrawsAndMovesNothing) {
    DragFullWindowsSetting off(false);
    ShownForm s;
    Show(s, SkinLike({"ifUseWindowsDrag"}));
    RECT before = s.Rect();
    Drag(s.At(200, 200), {{3, 0}, {5, 5}, {-5, 2}});
    EXPECT_EQ(s.image->starts, 1) << "the hook did not start a move";
    EXPECT_TRUE(s.image->outlines.empty());
    EXPECT_FALSE(s.image->Dragging());
    EXPECT_TRUE(SameRect(s.Rect(), before));
}

TEST(ImageFormDrag, SixPixelsMoveTheWindowSixPixelsByTheOutline) {
    DragFullWindowsSetting off(false);
    for (bool option : {true, false}) {
        SCOPED_TRACE(option ? "ifUseWindowsDrag, setting off" : "no option");
        ShownForm s;
        Show(s, SkinLike(option ? std::vector<std::string>{"ifUseWindowsDrag"} : std::vector<std::string>{}));
        RECT before = s.Rect();
        RECT during{};
        Drag(s.At(200, 200), {{6, 0}}, [&] { GetWindowRect(s.form->WindowHandle(), &during); });
        EXPECT_TRUE(SameRect(during, before)) << "the window waits for the release";
        RECT expected = Moved(before, 6, 0);
        EXPECT_TRUE(SameRect(s.Rect(), expected)) << s.Rect().left << " vs " << expected.left;
        // The outline was drawn at the target, and every outline drawn was
        // erased again (drawn twice).
        ASSERT_GE(s.image->outlines.size(), 2u);
        EXPECT_EQ(s.image->outlines.size() % 2, 0u);
        for (const RECT& r : s.image->outlines) EXPECT_TRUE(SameRect(r, expected));
        EXPECT_FALSE(s.image->Dragging());
        EXPECT_EQ(GetCapture(), nullptr);
        // A longer drag in steps: the outline follows, the window lands at the end.
        s.image->outlines.clear();
        before = s.Rect();
        Drag(s.At(100, 100), {{10, 3}, {20, 10}, {-15, 25}});
        EXPECT_TRUE(SameRect(s.Rect(), Moved(before, -15, 25)));
        ASSERT_GE(s.image->outlines.size(), 6u);
        EXPECT_EQ(s.image->outlines.size() % 2, 0u);
        EXPECT_TRUE(SameRect(s.image->outlines.back(), Moved(before, -15, 25)));
    }
}

TEST(ImageFormDrag, WithTheFullWindowSettingTheWindowFollowsTheMouse) {
    DragFullWindowsSetting on(true);
    ShownForm s;
    Show(s, SkinLike({"ifUseWindowsDrag"}));
    EXPECT_TRUE(s.image->UseFullWindowDrag());
    RECT before = s.Rect();
    RECT during{};
    Drag(s.At(200, 200), {{10, 5}, {25, 12}, {40, 20}}, [&] {
        Sleep(100);
        GetWindowRect(s.form->WindowHandle(), &during);
    });
    EXPECT_TRUE(SameRect(during, Moved(before, 40, 20))) << "moved " << during.left - before.left << ","
                                                         << during.top - before.top << " before the release";
    EXPECT_TRUE(SameRect(s.Rect(), Moved(before, 40, 20)));
    EXPECT_TRUE(s.image->outlines.empty());
    EXPECT_TRUE(s.image->loops.empty());
    // Without the option the setting does not matter.
    s.image->SetOptions(0);
    EXPECT_FALSE(s.image->UseFullWindowDrag());
}

TEST(ImageFormDrag, PressOnAClickableControlGoesToTheControl) {
    DragFullWindowsSetting off(false);
    Node probe = Bounds({"TClickProbe", "Probe1", {{"OnClick", Value::Id("ProbeClick")}}, {}}, 68, 344, 49, 19);
    ShownForm s;
    Show(s, SkinLike({"ifUseWindowsDrag"}, {probe}));
    RECT before = s.Rect();
    POINT p = s.At(90, 352);
    InputScript().MoveTo(p.x, p.y).Down().Up().Run();
    EXPECT_EQ(s.clicks, 1);
    EXPECT_EQ(s.image->starts, 0);
    Drag(p, {{20, 0}});
    EXPECT_TRUE(SameRect(s.Rect(), before));
    EXPECT_EQ(s.image->starts, 0);
    // Beside the control the picture moves the window.
    Drag(s.At(90, 330), {{20, 0}});
    EXPECT_TRUE(SameRect(s.Rect(), Moved(before, 20, 0)));
}

TEST(ImageFormDrag, CaptionBarControlAloneMovesTheWindowUntilItGoes) {
    DragFullWindowsSetting off(false);
    Node bar = Bounds({"TClickProbe", "Bar1", {}, {}}, 0, 0, 400, 40);
    ShownForm s;
    Show(s, SkinLike({"ifUseWindowsDrag"}, {bar}, {{"CaptionBarControl", Value::Id("Bar1")}}));
    TControl* barControl = dynamic_cast<TControl*>(s.form->FindComponent("Bar1"));
    ASSERT_EQ(s.image->CaptionBarControl(), barControl);
    RECT before = s.Rect();
    Drag(s.At(200, 200), {{20, 0}});
    EXPECT_TRUE(SameRect(s.Rect(), before)) << "a press off the caption bar does not move";
    Drag(s.At(200, 25), {{20, 0}});
    EXPECT_TRUE(SameRect(s.Rect(), Moved(before, 20, 0)));
    delete barControl;
    EXPECT_EQ(s.image->CaptionBarControl(), nullptr);
    before = s.Rect();
    Drag(s.At(200, 200), {{0, 20}});
    EXPECT_TRUE(SameRect(s.Rect(), Moved(before, 0, 20)));
}

TEST(ImageFormDrag, ParentMessageStartsMovesAsTheHookDoes) {
    Node probe = Bounds({"TClickProbe", "Probe1", {{"OnClick", Value::Id("ProbeClick")}}, {}}, 68, 344, 49, 19);
    Node bar = Bounds({"TClickProbe", "Bar1", {}, {}}, 0, 0, 400, 40);
    ShownForm s;
    Show(s, SkinLike({}, {probe, bar}));
    s.image->recordLoopsOnly = true;
    auto press = [&](int x, int y) {
        TMessage m{s.form->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y), 0};
        s.image->ParentMessage(m);
    };
    press(90, 352);  // the clickable control
    press(200, 20);  // another control
    press(200, 200);  // the picture
    ASSERT_EQ(s.image->loops.size(), 1u);
    EXPECT_EQ(s.image->loops[0].y, 200);
    s.image->SetCaptionBarControl(dynamic_cast<TControl*>(s.form->FindComponent("Bar1")));
    s.image->loops.clear();
    press(200, 200);
    press(200, 20);
    ASSERT_EQ(s.image->loops.size(), 1u);
    EXPECT_EQ(s.image->loops[0].y, 20);
    // The parent's window going takes the outline off.
    ASSERT_NE(s.image->Region(), nullptr);
    TMessage destroy{s.form->WindowHandle(), WM_DESTROY, 0, 0, 0};
    s.image->ParentMessage(destroy);
    EXPECT_EQ(s.image->Region(), nullptr);
    EXPECT_EQ(WindowRegionData(s.form->WindowHandle()), "");
}
