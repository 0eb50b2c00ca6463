// Formatting commands on real rich edit windows, read back with the window's
// own format queries: effects, fonts, bullets, paragraph requests and their
// structure size, highlighting and its removal; and the control's lengths.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "RichTestUtil.h"

using richtest::Fixture;
using richtest::Rtf;

namespace {

void Load(TwwCustomRichEdit& e, const std::string& rtf) {
    TwwRichMemoryStream ms;
    ms.WriteString(rtf);
    ms.SetPosition(0);
    e.Lines()->LoadFromStream(ms);
}

void Select(TwwCustomRichEdit& e, LONG start, LONG end) {
    CHARRANGE r{start, end};
    SendMessageA(e.Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

CHARFORMAT2A CharFormat(TwwCustomRichEdit& e, LONG start, LONG end) {
    Select(e, start, end);
    CHARFORMAT2A f{};
    f.cbSize = sizeof f;
    SendMessageA(e.Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    return f;
}

PARAFORMAT2 ParaFormat(TwwCustomRichEdit& e) {
    PARAFORMAT2 p{};
    p.cbSize = sizeof p;
    SendMessageA(e.Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&p));
    return p;
}

std::string Text(TwwCustomRichEdit& e) { return e.Text(); }

// Records the size of every paragraph structure the window is sent.
class TSizeProbe : public TwwDBRichEdit {
public:
    explicit TSizeProbe(TComponent* owner) : TwwDBRichEdit(owner) {}
    std::vector<UINT> setSizes, getSizes;

protected:
    void WndProc(TMessage& m) override {
        if (m.msg == EM_SETPARAFORMAT) setSizes.push_back(reinterpret_cast<PARAFORMAT*>(m.lParam)->cbSize);
        if (m.msg == EM_GETPARAFORMAT) getSizes.push_back(reinterpret_cast<PARAFORMAT*>(m.lParam)->cbSize);
        TwwDBRichEdit::WndProc(m);
    }
};

}  // namespace

TEST(RichEditFormat, StyleEffectOnAMixedSelection) {
    Fixture fx;
    // "plain " 0-6, "bold " 6-11, "ital " 11-16, "under" 16-21
    Load(*fx.edit, Rtf("plain {\\b bold }{\\i ital }{\\ul under}\\par"));
    fx.edit->SelectAll();
    fx.edit->SetStyleEffect(fsBold, true);
    CHARFORMAT2A all = CharFormat(*fx.edit, 0, 21);
    EXPECT_TRUE(all.dwMask & CFM_BOLD) << "bold is the same over the whole selection";
    EXPECT_TRUE(all.dwEffects & CFE_BOLD);
    EXPECT_TRUE(CharFormat(*fx.edit, 11, 15).dwEffects & CFE_ITALIC);
    EXPECT_TRUE(CharFormat(*fx.edit, 16, 21).dwEffects & CFE_UNDERLINE);
    EXPECT_FALSE(CharFormat(*fx.edit, 0, 5).dwEffects & (CFE_ITALIC | CFE_UNDERLINE));
    // Clearing takes only bold away.
    Select(*fx.edit, 0, 21);
    fx.edit->SetStyleEffect(fsBold, false);
    EXPECT_FALSE(CharFormat(*fx.edit, 0, 21).dwEffects & CFE_BOLD);
    EXPECT_TRUE(CharFormat(*fx.edit, 11, 15).dwEffects & CFE_ITALIC);
}

TEST(RichEditFormat, ApplyFontSetsFaceSizeEffectsAndColour) {
    Fixture fx;
    Load(*fx.edit, Rtf("{\\colortbl;\\red0\\green128\\blue0;}\\cf1 some green text\\par"));
    Select(*fx.edit, 0, 4);
    fx.edit->ApplyFont("Times New Roman", 14, clRed, fsBold | fsItalic);
    CHARFORMAT2A f = CharFormat(*fx.edit, 0, 4);
    EXPECT_STREQ(f.szFaceName, "Times New Roman");
    EXPECT_EQ(f.yHeight, 280);
    EXPECT_EQ(f.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT), DWORD(CFE_BOLD | CFE_ITALIC));
    EXPECT_EQ(f.crTextColor, RGB(255, 0, 0));
    // clNone leaves each character's colour as it was.
    Select(*fx.edit, 5, 10);
    fx.edit->ApplyFont("Arial", 9, clNone, fsUnderline);
    f = CharFormat(*fx.edit, 5, 10);
    EXPECT_EQ(f.crTextColor, RGB(0, 128, 0));
    EXPECT_EQ(f.yHeight, 180);
    EXPECT_TRUE(f.dwEffects & CFE_UNDERLINE);
    EXPECT_FALSE(f.dwEffects & CFE_BOLD);
    // A face name longer than the platform's field is cut at 31 characters.
    Select(*fx.edit, 11, 16);
    fx.edit->ApplyFont(std::string(40, 'X'), 10, clNone, 0);
    EXPECT_EQ(std::string(CharFormat(*fx.edit, 11, 16).szFaceName), std::string(31, 'X'));
}

TEST(RichEditFormat, BulletsOffKeepTheHangingOffset) {
    Fixture fx;
    Load(*fx.edit, Rtf("one\\par two\\par"));
    Select(*fx.edit, 0, 0);
    fx.edit->SetBullets(true);
    PARAFORMAT2 p = ParaFormat(*fx.edit);
    EXPECT_EQ(p.wNumbering, PFN_BULLET);
    EXPECT_EQ(p.dxOffset, 720);
    fx.edit->SetBullets(false);
    p = ParaFormat(*fx.edit);
    EXPECT_EQ(p.wNumbering, 0);
    EXPECT_EQ(p.dxOffset, 720);
    EXPECT_EQ(fx.edit->GetParagraphFormat().dxOffset, 720);
}

TEST(RichEditFormat, ParagraphRequestMapping) {
    Fixture fx;
    Load(*fx.edit, Rtf("a paragraph\\par another\\par"));
    Select(*fx.edit, 0, 0);
    TwwParagraphRequest r;
    r.Mask = 0x1DD;
    r.Alignment = "Right";
    r.LineSpacingRule = 1;  // one and a half lines
    r.LineSpacing = 999;
    r.SpaceBefore = 120;
    r.SpaceAfter = 240;
    r.StartIndent = 1440;
    r.RightIndent = 360;
    r.Offset = -720;
    r.Bullets = true;  // numbering is not in the mask
    fx.edit->SetParagraphFormat(r);
    PARAFORMAT2 p = ParaFormat(*fx.edit);
    EXPECT_EQ(p.bLineSpacingRule, 5);
    EXPECT_EQ(p.dyLineSpacing, 30);
    EXPECT_EQ(p.wAlignment, PFA_RIGHT);
    EXPECT_EQ(p.dySpaceBefore, 120);
    EXPECT_EQ(p.dySpaceAfter, 240);
    EXPECT_EQ(p.dxStartIndent, 1440);
    EXPECT_EQ(p.dxRightIndent, 360);
    EXPECT_EQ(p.dxOffset, -720);
    EXPECT_EQ(p.wNumbering, 0);
    // Double spacing, and the alignment texts.
    const std::pair<const char*, WORD> alignments[] = {
        {"Left", PFA_LEFT}, {"Justify", PFA_JUSTIFY}, {"Center", PFA_CENTER}, {"left", PFA_CENTER}};
    for (auto [text, want] : alignments) {
        TwwParagraphRequest a;
        a.Mask = 0x101;
        a.Alignment = text;
        a.LineSpacingRule = 2;
        fx.edit->SetParagraphFormat(a);
        p = ParaFormat(*fx.edit);
        EXPECT_EQ(p.wAlignment, want) << text;
        EXPECT_EQ(p.bLineSpacingRule, 5);
        EXPECT_EQ(p.dyLineSpacing, 40);
    }
    // Exactly: the rule and value pass unchanged.
    TwwParagraphRequest exact;
    exact.Mask = 0x100;
    exact.LineSpacingRule = 4;
    exact.LineSpacing = 300;
    fx.edit->SetParagraphFormat(exact);
    p = ParaFormat(*fx.edit);
    EXPECT_EQ(p.bLineSpacingRule, 4);
    EXPECT_EQ(p.dyLineSpacing, 300);
    // At most 32 tab stops are sent.
    TwwParagraphRequest tabs;
    tabs.Mask = 0x20;
    for (int k = 1; k <= 40; ++k) tabs.Tabs.push_back(k * 144);
    fx.edit->SetParagraphFormat(tabs);
    p = ParaFormat(*fx.edit);
    ASSERT_EQ(p.cTabCount, 32);
    EXPECT_EQ(p.rgxTabs[0] & 0xFFFFFF, 144);
    EXPECT_EQ(p.rgxTabs[31] & 0xFFFFFF, 32 * 144);
    // The second paragraph was not in the selection.
    Select(*fx.edit, 14, 14);
    EXPECT_EQ(ParaFormat(*fx.edit).dxStartIndent, 0);
}

TEST(RichEditFormat, StructureSizeFollowsTheVersion) {
    auto* form = new testsupport::TTestForm();
    auto* v1 = new TSizeProbe(form);
    v1->SetRichEditVersion(1);
    v1->SetBounds(10, 10, 200, 100);
    v1->SetParent(form);
    auto* v2 = new TSizeProbe(form);
    v2->SetBounds(10, 120, 200, 100);
    v2->SetParent(form);
    for (TSizeProbe* e : {v1, v2}) {
        Load(*e, Rtf("text\\par"));
        TwwParagraphRequest r;
        r.Mask = 0x1DD;
        r.Alignment = "Left";
        r.StartIndent = 720;
        r.SpaceBefore = 100;
        e->SetParagraphFormat(r);
        e->SetBullets(true);
        PARAFORMAT2 p = e->GetParagraphFormat();
        EXPECT_EQ(p.dxStartIndent, 720) << e->RichEditVersion();
        EXPECT_EQ(p.wNumbering, PFN_BULLET) << e->RichEditVersion();
    }
    EXPECT_EQ(v1->WindowClassName(), "RICHEDIT");
    EXPECT_EQ(v1->setSizes, (std::vector<UINT>{156, 156}));
    EXPECT_EQ(v1->getSizes, (std::vector<UINT>{156}));
    EXPECT_EQ(v2->setSizes, (std::vector<UINT>{188, 188}));
    EXPECT_EQ(v2->getSizes, (std::vector<UINT>{188}));
    EXPECT_EQ(v1->GetParagraphFormat().dySpaceBefore, 0) << "the short form carries no spacing";
    EXPECT_EQ(v2->GetParagraphFormat().dySpaceBefore, 100);
    // Without a window the answer is all zero.
    auto* none = new TSizeProbe(form);
    PARAFORMAT2 zero{};
    PARAFORMAT2 got = none->GetParagraphFormat();
    EXPECT_EQ(std::memcmp(&got, &zero, sizeof zero), 0);
    EXPECT_FALSE(none->HandleAllocated());
    delete form;
}

TEST(RichEditFormat, HighlightSetReadAndRemoved) {
    Fixture fx;
    fx.edit->SetColor(clWhite);
    Load(*fx.edit, Rtf("first second third\\par"));
    const std::string original = Text(*fx.edit);
    Select(*fx.edit, 0, 5);
    fx.edit->SetHighlightColor(clYellow);
    CHARRANGE sel{};
    SendMessageA(fx.edit->Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    EXPECT_EQ(sel.cpMin, 0);
    EXPECT_EQ(sel.cpMax, 0) << "the selection collapses to its start";
    Select(*fx.edit, 6, 12);
    fx.edit->SetHighlightColor(clLime);
    Select(*fx.edit, 1, 3);
    EXPECT_EQ(fx.edit->GetHighlightColor(), clYellow);
    Select(*fx.edit, 7, 9);
    EXPECT_EQ(fx.edit->GetHighlightColor(), clLime);
    Select(*fx.edit, 14, 16);
    EXPECT_EQ(fx.edit->GetHighlightColor(), clWhite) << "no highlight reads as the control's colour";
    // -1 over everything: no highlight left, the background is Color.
    fx.edit->SelectAll();
    fx.edit->SetHighlightColor(-1);
    for (auto [a, b] : {std::pair{0, 5}, {6, 12}, {13, 18}}) {
        CHARFORMAT2A f = CharFormat(*fx.edit, a, b);
        ASSERT_TRUE(f.dwMask & CFM_BACKCOLOR) << a;
        EXPECT_FALSE(f.dwEffects & CFE_AUTOBACKCOLOR) << a;
        EXPECT_EQ(f.crBackColor, RGB(255, 255, 255)) << a;
    }
    EXPECT_EQ(Text(*fx.edit), original);
}

TEST(RichEditFormat, RemoveHighlightKeepsTextThatReadsLikeTheWord) {
    Fixture fx;
    // The text "\highlight" (stored with its backslash escaped), highlighted itself.
    Load(*fx.edit, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green255\\blue0;}"
                   "\\f0\\fs20 say \\highlight1 \\\\highlight\\highlight0  now\\par}");
    const std::string original = Text(*fx.edit);
    ASSERT_EQ(original.substr(0, 18), "say \\highlight now");
    CHARFORMAT2A before = CharFormat(*fx.edit, 5, 14);
    ASSERT_TRUE(before.dwMask & CFM_BACKCOLOR);
    ASSERT_EQ(before.crBackColor, RGB(255, 255, 0)) << "the platform reads the highlight";
    fx.edit->SelectAll();
    fx.edit->RemoveHighlight();
    EXPECT_EQ(Text(*fx.edit), original);
    CHARFORMAT2A after = CharFormat(*fx.edit, 5, 14);
    EXPECT_TRUE((after.dwEffects & CFE_AUTOBACKCOLOR) || after.crBackColor != RGB(255, 255, 0));
    CHARRANGE sel{};
    Select(*fx.edit, 0, 0);
    fx.edit->SelectAll();
    fx.edit->RemoveHighlight();
    SendMessageA(fx.edit->Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    EXPECT_EQ(sel.cpMin, 0);
    EXPECT_GE(sel.cpMax, 18) << "the same characters stay selected";
    EXPECT_EQ(Text(*fx.edit), original);
    // A paragraph in the middle, selected with its break.
    Load(*fx.edit, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green255\\blue0;}"
                   "\\f0 one\\par \\highlight1 two\\highlight0\\par three\\par}");
    const std::string three = Text(*fx.edit);
    Select(*fx.edit, 4, 8);
    fx.edit->RemoveHighlight();
    EXPECT_EQ(Text(*fx.edit), three);
    EXPECT_NE(CharFormat(*fx.edit, 4, 7).crBackColor, RGB(255, 255, 0));
}

TEST(RichEditFormat, VersionOneHasNoHighlightColour) {
    Fixture fx;
    fx.edit->SetRichEditVersion(1);
    fx.edit->SetColor(clAqua);
    Load(*fx.edit, Rtf("text\\par"));
    fx.edit->SelectAll();
    fx.edit->SetHighlightColor(clYellow);
    EXPECT_EQ(fx.edit->GetHighlightColor(), clAqua);
}

TEST(RichEditFormat, LengthsInTheControlsUnit) {
    Fixture fx;
    fx.edit->MeasurementUnits = TwwMeasurementUnits::muCentimeters;
    EXPECT_EQ(fx.edit->UnitsToTwips("1"), 567);
    EXPECT_DOUBLE_EQ(fx.edit->TwipsToUnits(567), 1.0);
    EXPECT_EQ(fx.edit->FormatUnitsOnGrid(fx.edit->TwipsToUnits(567)), "1 cm");
    EXPECT_EQ(fx.edit->FormatUnitsOnGrid(fx.edit->TwipsToUnits(-720)), "-1.3 cm");  // -1.27 on twentieths
    EXPECT_EQ(fx.edit->FormatUnitsOnGrid(fx.edit->TwipsToUnits(-720), 100), "-1.27 cm");
    EXPECT_THROW(fx.edit->UnitsToTwips("1in"), Exception);
    fx.edit->MeasurementUnits = TwwMeasurementUnits::muInches;
    EXPECT_DOUBLE_EQ(fx.edit->TwipsToUnits(540), 0.38);  // 0.375 rounds up
    EXPECT_EQ(fx.edit->FormatUnitsOnGrid(fx.edit->TwipsToUnits(540)), "0.375''");
    EXPECT_EQ(fx.edit->FormatUnits(0.5), "0.5''");
    EXPECT_EQ(fx.edit->UnitsToTwips("0.5''"), 720);
}
