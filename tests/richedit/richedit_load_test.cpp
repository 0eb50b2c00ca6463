// Stored documents on their way into the window: where RTF may be cut, the
// pieced load giving the very document one stream-in gives, the load waiting
// for idle time or for the first request that needs the text, the text limit
// during and after a load, long notes through files, and the view's top line
// kept through a re-wrap.
#include <gtest/gtest.h>

#include <fstream>

#include "RichTestUtil.h"
#include "RtfSame.h"
#include "richedit/wwRichEditLoad.h"

using richtest::DataOf;
using richtest::EditOf;
using richtest::FormWith;
using richtest::Fixture;
using testsupport::Pump;
using testsupport::WaitFor;
using rtfsame::WithoutKeepNext;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

std::string TempPath(const std::string& name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

// A document with varied formatting on every paragraph, headings, links and
// more, about the size asked for.
std::string VariedDocument(int paragraphs) {
    std::string s = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
                    "{\\colortbl ;\\red200\\green0\\blue0;}\\viewkind4\\uc1\n";
    for (int k = 0; k < paragraphs; ++k) {
        if (k % 50 == 0)
            s += "\\pard\\plain \\qc\\sb240\\keepn\\f1\\fs36\\b Chapter " + std::to_string(k / 50) + "\\b0\\par\n";
        s += "\\pard\\plain \\fi360\\sa120\\f0\\fs24 Paragraph " + std::to_string(k) +
             " with \\i italic\\i0 , \\b bold\\b0  and \\cf1 red\\cf0  words, www.example.com/" + std::to_string(k) +
             " and an accent \\'e9t\\'e9.\\par\n";
    }
    s += "\\pard\\plain \\f0\\fs24 The last sentence of the book.\\par\n}";
    return s;
}

std::string StreamOut(TwwCustomRichEdit& e, UINT format) {
    TwwRichMemoryStream ms;
    e.StreamOut(ms, format);
    return ms.Bytes();
}

// The window's own one-piece load of the same bytes.
std::string OnePiece(const std::string& rtf, UINT outFormat) {
    Fixture fx;
    TwwRichMemoryStream ms;
    ms.WriteString(rtf);
    ms.SetPosition(0);
    fx.edit->SetTextLimit(0x7FFFFFF0);
    EXPECT_TRUE(fx.edit->StreamIn(ms, SF_RTF));
    return StreamOut(*fx.edit, outFormat);
}

std::string OnePieceText(const std::string& rtf) {
    Fixture fx;
    TwwRichMemoryStream ms;
    ms.WriteString(rtf);
    ms.SetPosition(0);
    fx.edit->SetTextLimit(0x7FFFFFF0);
    EXPECT_TRUE(fx.edit->StreamIn(ms, SF_RTF));
    return fx.edit->Text();
}

struct DeferredLoading {
    explicit DeferredLoading(bool on) { TwwCustomRichEdit::SetDeferredLoading(on); }
    ~DeferredLoading() { TwwCustomRichEdit::SetDeferredLoading(false); }
};

}  // namespace

TEST(RtfCuts, CutsOnlyWhereBothFormatsStartAfresh) {
    std::string rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\viewkind4\n"
                      "\\pard\\f0 one\\par\n"                         // the body starts here
                      "\\pard\\plain\\fs24 two\\par\n"                // a cut
                      "\\pard\\qc three\\par\n"                       // paragraph format only: no cut
                      "{\\pard\\plain nested\\par}\n"                 // not at the top level: no cut
                      "\\pardeftab720\\pard\\plain \\b four\\par}";   // a cut (not the \\pardeftab word)
    TRtfCuts c = FindRtfCuts(rtf);
    EXPECT_EQ(c.bodyStart, rtf.find("\\pard\\f0 one"));
    ASSERT_EQ(c.cuts.size(), 2u);
    EXPECT_EQ(c.cuts[0], rtf.find("\\pard\\plain\\fs24 two"));
    EXPECT_EQ(c.cuts[1], rtf.find("\\pard\\plain \\b four"));
    // Text before the first paragraph would come with every piece; binary
    // data cannot be scanned; tables do not come back from a piece streamed
    // into the middle of a document: such documents are not cut.
    EXPECT_TRUE(FindRtfCuts("{\\rtf1\\pard a\\par\\trowd\\cellx100\\pard\\plain\\intbl x\\cell\\row"
                            "\\pard\\plain b\\par}").cuts.empty());
    EXPECT_TRUE(FindRtfCuts("{\\rtf1 intro\\pard a\\par\\pard\\plain b\\par}").cuts.empty());
    EXPECT_TRUE(FindRtfCuts("{\\rtf1\\pard a\\par{\\pict\\bin4 \\pard}\\pard\\plain b\\par}").cuts.empty());
    EXPECT_TRUE(FindRtfCuts("plain text, no RTF").cuts.empty());
}

TEST(StoredDocumentLoad, PiecesGiveTheSameDocumentAsOneStreamIn) {
    for (const std::string& rtf : {ReadFile(BOOK_RTF), VariedDocument(1500)}) {
        ASSERT_GT(FindRtfCuts(rtf).cuts.size(), 20u);
        std::unique_ptr<TForm> f(FormWith({{"Data", DataOf(rtf)}, {"MaxLength", layout::Value::Int(1000)}}));
        TwwDBRichEdit* e = EditOf(f.get());
        EXPECT_FALSE(e->DocumentPending());
        EXPECT_EQ(WithoutKeepNext(StreamOut(*e, SF_RTF)), WithoutKeepNext(OnePiece(rtf, SF_RTF)));
        EXPECT_EQ(StreamOut(*e, SF_TEXT), OnePiece(rtf, SF_TEXT));
        EXPECT_EQ(e->SelStart(), 0);
        EXPECT_FALSE(e->Modified());
        EXPECT_EQ(SendMessageA(e->Handle(), EM_CANUNDO, 0, 0), 0) << "loading is nothing to undo";
    }
}

TEST(StoredDocumentLoad, TheTextLimitMakesRoomDuringTheLoadAndComesBackAfter) {
    // Some rich edit windows stop a stream-in at the text limit: the limit the
    // window holds while each piece streams in must fit the whole document.
    struct Watch : TwwDBRichEdit {
        using TwwDBRichEdit::TwwDBRichEdit;
        std::vector<LRESULT> limits;
        void WndProc(TMessage& m) override {
            if (m.msg == EM_STREAMIN) limits.push_back(SendMessageA(m.hwnd, EM_GETLIMITTEXT, 0, 0));
            TwwDBRichEdit::WndProc(m);
        }
    };
    testsupport::TTestForm form;
    form.SetBounds(100, 100, 440, 340);
    auto* e = new Watch(&form);
    e->SetParent(&form);
    e->SetBounds(10, 10, 360, 240);
    e->SetMaxLength(1000);
    std::string rtf = VariedDocument(1500);
    e->LoadStoredDocument(rtf);
    int length = e->GetTextLen();
    ASSERT_GT(length, 100000);
    ASSERT_GT(e->limits.size(), 2u) << "the document came in pieces";
    for (LRESULT limit : e->limits) EXPECT_GE(limit, length);
    EXPECT_EQ(SendMessageA(e->Handle(), EM_GETLIMITTEXT, 0, 0), 1000) << "typing is limited again";
    EXPECT_NE(e->Text().find("The last sentence of the book."), std::string::npos);
    EXPECT_GE(e->FindText("The last sentence", 0, length, 0), 0);
}

TEST(StoredDocumentLoad, TheWindowIsItselfAgainAfterALoadInPieces) {
    // While the pieces stream in, the window is quiet and keeps no undo
    // record; afterwards it must draw, notify, undo and limit typing as
    // before, whether the load ran in idle time or all at once.
    for (bool inIdleTime : {true, false}) {
        DeferredLoading deferred(inIdleTime);
        std::unique_ptr<TForm> f(FormWith({{"Data", DataOf(VariedDocument(1500))},
                                           {"MaxLength", layout::Value::Int(1000)},
                                           {"AutoURLDetect", layout::Value::Bool(true)}}));
        TwwDBRichEdit* e = EditOf(f.get());
        f->Show();
        HWND w = e->Handle();
        DWORD mask = static_cast<DWORD>(CallWindowProcA(reinterpret_cast<WNDPROC>(GetClassLongPtrA(w, GCLP_WNDPROC)), w,
                                                        EM_GETEVENTMASK, 0, 0));
        if (inIdleTime) {
            ASSERT_TRUE(e->DocumentPending());
            ASSERT_TRUE(WaitFor([&] { return !e->DocumentPending(); }, 60000));
        } else {
            ASSERT_FALSE(e->DocumentPending());
        }
        EXPECT_EQ(static_cast<DWORD>(SendMessageA(w, EM_GETEVENTMASK, 0, 0)), mask) << inIdleTime;
        EXPECT_NE(mask & ENM_LINK, 0u);
        EXPECT_TRUE(IsWindowVisible(w)) << "drawing is on again";
        EXPECT_NE(e->Text().find("The last sentence of the book."), std::string::npos);
        // Typing is limited by MaxLength: the document is already longer.
        int length = e->GetTextLen();
        e->SetFocus();
        e->SetSelStart(0);
        testsupport::TypeText("x");
        Pump(50);
        EXPECT_EQ(e->GetTextLen(), length) << "no typing past the limit";
        // An edit made by the program can be undone again.
        SendMessageA(w, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
        testsupport::TypeText("x");
        Pump(50);
        EXPECT_EQ(e->GetTextLen(), length + 1);
        EXPECT_NE(SendMessageA(w, EM_CANUNDO, 0, 0), 0) << "the undo record is kept again";
        SendMessageA(w, EM_UNDO, 0, 0);
        EXPECT_EQ(e->GetTextLen(), length);
        f->Hide();
    }
}

TEST(StoredDocumentLoad, AViewShownDuringTheLoadShowsTheDocumentsStart) {
    // Read during the load: the pieces before the last part go in above
    // what the window shows first, and the reader must see the first page,
    // not the part that happened to come first.
    struct Watch : TwwDBRichEdit {
        using TwwDBRichEdit::TwwDBRichEdit;
        int streamIns = 0;
        std::vector<int> paintedTops;  // the view's top at each paint during the load
        void WndProc(TMessage& m) override {
            if (m.msg == EM_STREAMIN) ++streamIns;
            if (m.msg == WM_PAINT && DocumentPending() && streamIns > 1) paintedTops.push_back(TopCharacter());
            TwwDBRichEdit::WndProc(m);
        }
    };
    DeferredLoading deferred(true);
    testsupport::TTestForm form;
    form.SetBounds(100, 100, 440, 340);
    auto* e = new Watch(&form);
    e->SetParent(&form);
    e->SetBounds(10, 10, 360, 240);
    form.Show();
    e->LoadStoredDocument(VariedDocument(3000));
    ASSERT_TRUE(e->DocumentPending());
    ASSERT_TRUE(WaitFor([&] { return !e->DocumentPending(); }, 60000));
    ASSERT_GT(e->streamIns, 4);
    ASSERT_FALSE(e->paintedTops.empty());
    for (int top : e->paintedTops) EXPECT_EQ(top, 0) << "the view showed the document's start all the way";
    EXPECT_EQ(e->TopCharacter(), 0);
    EXPECT_EQ(e->SelStart(), 0) << "the caret is at the start";
    EXPECT_EQ(e->Text().rfind("Chapter 0", 0), 0u);
    form.Hide();
}

TEST(StoredDocumentLoad, DeferredDocumentsComeInIdleTimeOrWhenNeeded) {
    std::string rtf = VariedDocument(600);
    std::string whole = OnePiece(rtf, SF_RTF);
    DeferredLoading deferred(true);
    {
        // Idle time: the document arrives piece by piece while messages are pumped.
        std::unique_ptr<TForm> f(FormWith({{"Data", DataOf(rtf)}}));
        TwwDBRichEdit* e = EditOf(f.get());
        int arrived = 0;
        e->OnDocumentLoaded = [&](TObject*) { ++arrived; };
        EXPECT_TRUE(e->DocumentPending());
        ASSERT_TRUE(WaitFor([&] { return !e->DocumentPending(); }, 60000));
        EXPECT_EQ(arrived, 1);
        EXPECT_EQ(WithoutKeepNext(StreamOut(*e, SF_RTF)), WithoutKeepNext(whole));
    }
    {
        // The first request that needs the text finishes the load at once.
        std::unique_ptr<TForm> f(FormWith({{"Data", DataOf(rtf)}}));
        TwwDBRichEdit* e = EditOf(f.get());
        int arrived = 0;
        e->OnDocumentLoaded = [&](TObject*) { ++arrived; };
        ASSERT_TRUE(e->DocumentPending());
        int length = e->GetTextLen();
        EXPECT_FALSE(e->DocumentPending());
        EXPECT_EQ(arrived, 1);
        EXPECT_EQ(length, static_cast<int>(OnePieceText(rtf).size()));
        EXPECT_EQ(WithoutKeepNext(StreamOut(*e, SF_RTF)), WithoutKeepNext(whole));
    }
    {
        // A document loaded over it replaces what was still to come.
        std::unique_ptr<TForm> f(FormWith({{"Data", DataOf(rtf)}}));
        TwwDBRichEdit* e = EditOf(f.get());
        TwwRichMemoryStream ms;
        ms.WriteString(richtest::Rtf("notes of my own"));
        ms.SetPosition(0);
        e->Lines()->LoadFromStream(ms);
        EXPECT_FALSE(e->DocumentPending());
        Pump(100);
        EXPECT_EQ(e->Text(), "notes of my own");
    }
    {
        // Copies take the whole document.
        std::unique_ptr<TForm> f(FormWith({{"Data", DataOf(rtf)}}));
        std::unique_ptr<TForm> g(FormWith({}));
        TwwCustomRichEdit::CopyDocument(*EditOf(f.get()), *EditOf(g.get()));
        EXPECT_EQ(StreamOut(*EditOf(g.get()), SF_TEXT), OnePiece(rtf, SF_TEXT));
    }
}

TEST(StoredDocumentLoad, LongNotesLoadAndSaveWhole) {
    std::vector<int> lengths = {100000};
    if (GetEnvironmentVariableA("CODEXIA_BIG_DOCUMENTS", nullptr, 0) > 0) lengths.push_back(2000000);
    for (int length : lengths) {
        std::string text;
        for (int k = 0; static_cast<int>(text.size()) < length; ++k)
            text += "Note " + std::to_string(k) + (k % 7 == 6 ? ".\r\n" : ". ");
        text.resize(static_cast<std::size_t>(length));
        std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs20 ";
        for (char c : text) rtf += c == '\r' ? std::string() : c == '\n' ? std::string("\\par\n") : std::string(1, c);
        rtf += "}";
        std::string in = TempPath("codexia-long-notes.rtf"), out = TempPath("codexia-long-notes-saved.rtf");
        std::ofstream(in, std::ios::binary) << rtf;
        Fixture fx;
        fx.edit->Lines()->LoadFromFile(in);
        fx.edit->Lines()->SaveToFile(out);
        Fixture back;
        back.edit->Lines()->LoadFromFile(out);
        std::string got = back.edit->Text();
        // The window ends the last paragraph with its own break.
        while (!got.empty() && (got.back() == '\r' || got.back() == '\n')) got.pop_back();
        std::string want = text;
        while (!want.empty() && (want.back() == '\r' || want.back() == '\n')) want.pop_back();
        EXPECT_EQ(got.size(), want.size()) << length;
        EXPECT_TRUE(got == want) << length;
        DeleteFileA(in.c_str());
        DeleteFileA(out.c_str());
    }
}

TEST(ViewPlace, TheTopLineStaysAtTheTopThroughAResize) {
    std::unique_ptr<TForm> f(FormWith({{"RichEditVersion", layout::Value::Int(2)},
                                       {"Data", DataOf(VariedDocument(400))},
                                       {"ScrollBars", layout::Value::Id("ssVertical")}}));
    TwwDBRichEdit* e = EditOf(f.get());
    f->Show();
    Pump(50);
    int target = e->FindText("Paragraph 200 ", 0, e->GetTextLen(), 0);
    ASSERT_GT(target, 0);
    e->ScrollCharacterToTop(target);
    auto lineOf = [&](int pos) { return SendMessageA(e->Handle(), EM_EXLINEFROMCHAR, 0, pos); };
    EXPECT_EQ(lineOf(e->TopCharacter()), lineOf(target));
    int top = e->TopCharacter();
    e->SetBounds(e->Left(), e->Top(), e->Width() / 2, e->Height());
    Pump(30);
    EXPECT_EQ(lineOf(e->TopCharacter()), lineOf(top)) << "the line that was at the top, wrapped anew, is at the top";
    f->Hide();
}
