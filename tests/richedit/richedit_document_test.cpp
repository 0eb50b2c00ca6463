// The document as lines and as a stream: line counting and reading (with
// the 4,096-byte cut), inserting, replacing and deleting lines, loading text
// files with any line ends, the RTF-then-text fallback and its failure, the
// limited loader, copies between controls, and the document surviving the
// window.
#include <gtest/gtest.h>

#include <fstream>

#include "RichTestUtil.h"

using richtest::Fixture;
using richtest::Rtf;

namespace {
std::string TempFile(const std::string& name, const std::string& bytes) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name;
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void LoadRtf(TwwCustomRichEdit& e, const std::string& rtf) {
    TwwRichMemoryStream ms;
    ms.WriteString(rtf);
    ms.SetPosition(0);
    e.Lines()->LoadFromStream(ms);
}
}  // namespace

TEST(RichEditLines, CountLeavesOutAnEmptyLastLine) {
    Fixture fx;
    TStrings* lines = fx.edit->Lines();
    EXPECT_EQ(lines->Count(), 0) << "an empty document has no lines";
    lines->SetText("alpha\r\nbeta");
    EXPECT_EQ(lines->Count(), 2);
    lines->SetText("alpha\r\nbeta\r\n");
    EXPECT_EQ(lines->Count(), 2) << "the empty line after the last break is not a line";
    EXPECT_EQ(SendMessageA(fx.edit->Handle(), EM_GETLINECOUNT, 0, 0), 3);
    EXPECT_EQ(lines->Get(0), "alpha");
    EXPECT_EQ(lines->Get(1), "beta");
    lines->SetText("alpha\r\n\r\nbeta");
    EXPECT_EQ(lines->Count(), 3);
    EXPECT_EQ(lines->Get(1), "");
}

TEST(RichEditLines, LongLinesAreCutAtTheReadBuffer) {
    Fixture fx;
    fx.edit->SetWordWrap(false);
    std::string longLine(5000, 'x');
    fx.edit->Lines()->SetText(longLine + "\r\nshort\r\n");
    ASSERT_EQ(fx.edit->Lines()->Count(), 2);
    std::string first = fx.edit->Lines()->Get(0);
    EXPECT_EQ(first.size(), 4096u);
    EXPECT_EQ(first, longLine.substr(0, 4096));
    EXPECT_EQ(fx.edit->Lines()->Get(1), "short");
    // The document itself keeps the whole line.
    EXPECT_EQ(fx.edit->Text().substr(0, 5000), longLine);
}

TEST(RichEditLines, InsertReplaceDeleteAndAdd) {
    Fixture fx;
    TStrings* lines = fx.edit->Lines();
    EXPECT_EQ(lines->Add("one"), 0);
    EXPECT_EQ(lines->Add("three"), 1);
    lines->Insert(1, "two");
    EXPECT_EQ(lines->ToVector(), (std::vector<std::string>{"one", "two", "three"}));
    lines->Put(1, "TWO");
    EXPECT_EQ(lines->Get(1), "TWO");
    lines->Delete(0);
    EXPECT_EQ(lines->ToVector(), (std::vector<std::string>{"TWO", "three"}));
    lines->Delete(1);
    EXPECT_EQ(lines->ToVector(), (std::vector<std::string>{"TWO"}));
    lines->Clear();
    EXPECT_EQ(lines->Count(), 0);
    EXPECT_FALSE(fx.edit->Modified());
}

TEST(RichEditLines, InsertPastTheEndNeedsANonEmptyLastLine) {
    Fixture fx;
    TStrings* lines = fx.edit->Lines();
    lines->SetText("a\r\nb");  // last line "b" is not empty
    lines->Insert(2, "c");
    EXPECT_EQ(fx.edit->Text(), "a\r\nb\r\nc");
    lines->SetText("a\r\n");  // the last window line is empty
    lines->Insert(2, "z");
    EXPECT_EQ(fx.edit->Text(), "a\r\n") << "nothing is appended after an empty last line";
    lines->Insert(7, "far");
    EXPECT_EQ(fx.edit->Text(), "a\r\n");
    lines->Insert(-1, "negative");
    EXPECT_EQ(fx.edit->Text(), "a\r\n");
}

TEST(RichEditLines, AddStringsKeepsSelectionHandlersQuiet) {
    Fixture fx;
    int selectionChanges = 0;
    fx.edit->OnSelectionChange = [&](TObject*) { ++selectionChanges; };
    TStringList more;
    more.SetText("x\r\ny\r\nz\r\n");
    fx.edit->HandleNeeded();
    selectionChanges = 0;
    fx.edit->Lines()->AddStrings(more);
    EXPECT_EQ(fx.edit->Lines()->Count(), 3);
    EXPECT_EQ(selectionChanges, 0);
    ASSERT_TRUE(fx.edit->OnSelectionChange) << "the handler comes back afterwards";
}

TEST(RichEditLines, SettingTheWholeTextRaisesNoChangeEvent) {
    Fixture fx;
    int changes = 0;
    fx.edit->OnChange = [&](TObject*) { ++changes; };
    fx.edit->HandleNeeded();
    DWORD mask = static_cast<DWORD>(SendMessageA(fx.edit->Handle(), EM_GETEVENTMASK, 0, 0));
    fx.edit->Lines()->SetText("quiet\r\ntext");
    testsupport::Pump(20);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(static_cast<DWORD>(SendMessageA(fx.edit->Handle(), EM_GETEVENTMASK, 0, 0)), mask);
    fx.edit->SetSelStart(0);
    fx.edit->SetSelText("typed ");
    testsupport::Pump(20);
    EXPECT_GE(changes, 1) << "ordinary edits still report changes";
}

TEST(RichEditFiles, TextFilesWithAnyLineEndsLoadWithCrLf) {
    Fixture fx;
    std::string unixFile = TempFile("cx_unix.txt", "first\nsecond\nthird\n");
    fx.edit->Lines()->LoadFromFile(unixFile);
    EXPECT_EQ(fx.edit->Lines()->ToVector(), (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(fx.edit->Text(), "first\r\nsecond\r\nthird\r\n");
    std::string macFile = TempFile("cx_mac.txt", "one\rtwo\rthree");
    fx.edit->Lines()->LoadFromFile(macFile);
    EXPECT_EQ(fx.edit->Lines()->ToVector(), (std::vector<std::string>{"one", "two", "three"}));
    // A file load lifts the text limit.
    EXPECT_EQ(SendMessageA(fx.edit->Handle(), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFF0);
    DeleteFileA(unixFile.c_str());
    DeleteFileA(macFile.c_str());
}

TEST(RichEditFiles, CrOnlyTextKeepsEveryBreakAtReadEdges) {
    Fixture fx;
    std::string text;
    for (int k = 0; k < 3000; ++k) text += "line" + std::to_string(k) + "\r";
    // Read in odd slices, so CRs land at the end of reads again and again.
    richtest::TSlicedStream in(13);
    in.WriteString(text);
    in.SetPosition(0);
    fx.edit->SetPlainText(true);
    fx.edit->Lines()->LoadFromStream(in);
    ASSERT_EQ(fx.edit->Lines()->Count(), 3000);
    EXPECT_EQ(fx.edit->Lines()->Get(2999), "line2999");
    EXPECT_EQ(fx.edit->Lines()->Get(1234), "line1234");
}

TEST(RichEditFiles, SaveAndLoadRtfFiles) {
    Fixture fx;
    LoadRtf(*fx.edit, Rtf("plain {\\b bold} end\\par second line"));
    std::string path = TempFile("cx_doc.rtf", "");
    fx.edit->Lines()->SaveToFile(path);
    std::string saved = ReadFile(path);
    EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u) << saved.substr(0, 40);
    Fixture other;
    other.edit->Lines()->LoadFromFile(path);
    EXPECT_EQ(other.edit->Text(), fx.edit->Text());
    other.edit->SetSelStart(7);
    other.edit->SetSelLength(1);
    EXPECT_EQ(other.edit->SelAttributes()->Style() & fsBold, unsigned(fsBold));
    DeleteFileA(path.c_str());
    EXPECT_THROW(other.edit->Lines()->LoadFromFile(path), EFOpenError);
    EXPECT_EQ(other.edit->Lines()->Get(1), "second line") << "a failed open leaves the document alone";
}

// Under Wine the platform writes a paragraph's indents under each other's
// names; the control puts them right, so a saved document read back (the
// reader's notes at every restart) keeps its paragraphs where they were.
TEST(RichEditFiles, SavedParagraphIndentsReadBackTheSame) {
    Fixture fx;
    LoadRtf(*fx.edit, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\fi360 first line in\\par"
                      "\\pard\\li720\\fi-360 hanging\\par\\pard\\li720 all in\\par"
                      "\\pard\\li360\\ri360 both sides\\par\\pard at the margin\\par}");
    auto indents = [](TwwCustomRichEdit& e) {
        std::vector<std::string> out;
        for (int line = 0; line < 5; ++line) {
            LRESULT at = SendMessageA(e.Handle(), EM_LINEINDEX, line, 0);
            CHARRANGE r{static_cast<LONG>(at), static_cast<LONG>(at)};
            SendMessageA(e.Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
            PARAFORMAT2 pf{};
            pf.cbSize = sizeof pf;
            SendMessageA(e.Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
            out.push_back(std::to_string(pf.dxStartIndent) + "/" + std::to_string(pf.dxOffset) + "/" +
                          std::to_string(pf.dxRightIndent));
        }
        return out;
    };
    const std::vector<std::string> want = {"360/-360/0", "360/360/0", "720/0/0", "360/0/360", "0/0/0"};
    ASSERT_EQ(indents(*fx.edit), want) << "as the platform reads them";
    std::string saved[2];
    for (std::string& s : saved) {
        TwwRichMemoryStream ms;
        fx.edit->Lines()->SaveToStream(ms);
        s = ms.Bytes();
        LoadRtf(*fx.edit, s);
        EXPECT_EQ(indents(*fx.edit), want) << s;
    }
    EXPECT_EQ(saved[1], saved[0]) << "saved again, the same document";
}

TEST(RichEditFiles, PlainTextSwitchSavesText) {
    Fixture fx;
    fx.edit->Lines()->SetText("just text\r\n");
    fx.edit->SetPlainText(true);
    TwwRichMemoryStream ms;
    fx.edit->Lines()->SaveToStream(ms);
    EXPECT_EQ(ms.Bytes(), "just text\r\n");
}

TEST(RichEditStreams, NonRtfFallsBackToText) {
    Fixture fx;
    TwwRichMemoryStream ms;
    ms.WriteString("prefix that stays");  // before the position: not read
    std::int64_t start = ms.Position();
    ms.WriteString("not rtf at all\nsecond");
    ms.SetPosition(start);
    fx.edit->Lines()->LoadFromStream(ms);
    EXPECT_EQ(fx.edit->Text(), "not rtf at all\r\nsecond");
}

TEST(RichEditStreams, UnreadableStreamFailsToLoad) {
    Fixture fx;
    fx.edit->Lines()->SetText("before");
    richtest::TFailingStream bad(0);
    bad.WriteString(Rtf("never read"));
    bad.SetPosition(0);
    try {
        fx.edit->Lines()->LoadFromStream(bad);
        FAIL() << "an unreadable stream loaded";
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Failed to Load Stream");
    }
}

TEST(RichEditStreams, SaveToAFailingStreamReportsIt) {
    class TFullStream : public TMemoryStream {
    public:
        std::size_t Write(const void*, std::size_t) override { return 0; }
    };
    Fixture fx;
    fx.edit->Lines()->SetText("something to save");
    TFullStream full;
    try {
        fx.edit->Lines()->SaveToStream(full);
        FAIL() << "a full stream took the document";
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Failed to Save Stream");
    }
}

TEST(RichEditStreams, LoadStreamLimitedReplacesTheSelectionOrStopsEarly) {
    Fixture fx;
    fx.edit->Lines()->SetText("Hello World");
    fx.edit->SetSelStart(6);
    fx.edit->SetSelLength(5);
    TwwRichMemoryStream ms;
    ms.WriteString(Rtf("Moon"));
    ms.SetPosition(0);
    fx.edit->LoadStreamLimited(ms, true, 0);
    EXPECT_EQ(fx.edit->Text().substr(0, 10), "Hello Moon");
    // Over a selection there is no text fallback.
    TwwRichMemoryStream text;
    text.WriteString("plain words");
    text.SetPosition(0);
    fx.edit->SelectAll();
    EXPECT_THROW(fx.edit->LoadStreamLimited(text, true, 0), EStreamError);
    // One chunk of a long document: the RTF is closed after its first paragraph group.
    std::string longDoc = "{\\rtf1\\ansi\\pard first paragraph{\\b next}\\par" + std::string(9000, ' ') + " tail}";
    TwwRichMemoryStream big;
    big.WriteString(longDoc);
    big.SetPosition(0);
    fx.edit->LoadStreamLimited(big, false, 1);
    EXPECT_EQ(fx.edit->Text(), "first paragraph");
}

TEST(RichEditStreams, CopyDocumentKeepsFormatting) {
    Fixture a, b;
    LoadRtf(*a.edit, Rtf("copy {\\i this} across"));
    b.edit->SetMaxLength(5);
    TwwCustomRichEdit::CopyDocument(*a.edit, *b.edit);
    EXPECT_EQ(b.edit->Text(), a.edit->Text());
    b.edit->SetSelStart(6);
    b.edit->SetSelLength(2);
    EXPECT_EQ(b.edit->SelAttributes()->Style() & fsItalic, unsigned(fsItalic));
    EXPECT_EQ(SendMessageA(b.edit->Handle(), EM_GETLIMITTEXT, 0, 0), 5) << "the raised limit is put back";
}

TEST(RichEditRecreation, DocumentSurvivesEveryRecreation) {
    Fixture fx;
    LoadRtf(*fx.edit, Rtf("kept {\\b across} windows\\par line two"));
    std::string text = fx.edit->Text();
    HWND first = fx.edit->Handle();
    fx.edit->SetHideScrollBars(false);
    EXPECT_NE(fx.edit->Handle(), first) << "HideScrollBars re-creates the window";
    EXPECT_TRUE(GetWindowLongA(fx.edit->Handle(), GWL_STYLE) & ES_DISABLENOSCROLL);
    EXPECT_EQ(fx.edit->Text(), text);
    fx.edit->SetOleOptions(reoAdjustPopupMenu | reoDisableOLE);
    EXPECT_EQ(fx.edit->Text(), text);
    EXPECT_EQ(fx.edit->OleInterface(), nullptr);
    fx.edit->SetRichEditVersion(1);
    EXPECT_EQ(fx.edit->WindowClassName(), "RICHEDIT");
    EXPECT_EQ(fx.edit->Text(), text);
    fx.edit->SetRichEditVersion(2);
    EXPECT_EQ(fx.edit->WindowClassName(), "RICHEDIT20A");
    EXPECT_EQ(fx.edit->Text(), text);
    fx.edit->SetSelStart(5);
    fx.edit->SetSelLength(6);
    EXPECT_EQ(fx.edit->SelAttributes()->Style() & fsBold, unsigned(fsBold)) << "formatting survives too";
}

TEST(RichEditRecreation, AShorterDocumentLeavesNoTailOfTheLongerOne) {
    Fixture fx;
    fx.edit->SetPlainText(true);
    fx.edit->Lines()->SetText(std::string(3000, 'L') + "\r\nlong tail\r\n");
    fx.edit->SetHideScrollBars(false);
    fx.edit->Lines()->SetText("short");
    fx.edit->SetHideScrollBars(true);
    EXPECT_EQ(fx.edit->Text(), "short");
}

TEST(RichEditRecreation, MovingToAnotherParentKeepsTheDocument) {
    Fixture a, b;
    LoadRtf(*a.edit, Rtf("moving house"));
    a.edit->SetParent(b.form);
    EXPECT_EQ(a.edit->Text(), "moving house");
    a.edit->SetParent(nullptr);
    a.edit->SetParent(a.form);
    EXPECT_EQ(a.edit->Text(), "moving house");
}
