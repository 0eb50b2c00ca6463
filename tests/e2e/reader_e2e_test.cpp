// The reading window's settings and notes as a reader leaves them: the
// program is started in fresh directories, driven from outside, and the
// files it leaves are read back.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "BookProcess.h"

using namespace e2e;

namespace {

const std::string kId = BOOK_IDENTIFIER_TEXT;

std::map<std::string, std::string> IniValues(const std::string& path) {
    std::map<std::string, std::string> out;
    std::istringstream in(ReadFile(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto eq = line.find('=');
        if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
}

struct ChildFind {
    std::string cls, text;
    HWND found = nullptr;
};
BOOL CALLBACK FindChild(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<ChildFind*>(lp);
    char cls[128] = {}, text[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, text, sizeof text);
    if (f->cls == cls && (f->text.empty() || f->text == text)) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}
// The text of another process's control (its window text is kept by the control).
std::string TextOf(HWND w) {
    char buf[256] = {};
    SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

HWND Child(HWND parent, const std::string& cls, const std::string& text = "") {
    ChildFind f{cls, text};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

// A book run: start, open the reading window through Read, act, close.
class Reader {
public:
    Reader(const std::string& dir, const std::string& args = "", const std::string& exe = BookExe())
        : book(dir, args, exe) {
        skin = book.WaitForWindow("TForm1");
        if (!skin) return;
        Sleep(200);
    }
    // Presses Read on the cover, as a reader would.
    bool Open() {
        if (!skin) return false;
        RECT r;
        GetWindowRect(skin, &r);
        // Under Wine a click soon after the start is sometimes lost: pressed
        // again after 5 s (one press opens it on Windows).
        for (int press = 0; press < 2 && !read; ++press) {
            ClickScreen(r.left + 92, r.top + 353);
            WaitUntil([&] { return (read = book.FindWindowOf("TfrmRead")) != nullptr; }, press == 0 ? 5000 : 30000);
        }
        return read != nullptr;
    }
    HWND CheckBox() const { return Child(read, "Cx.BUTTON", "Save Settings"); }
    bool Checked() const { return SendMessageA(CheckBox(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetChecked(bool v) {
        if (Checked() != v) SendMessageA(CheckBox(), BM_CLICK, 0, 0);
    }
    void CloseReading() {
        PostMessageA(read, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !IsWindowVisible(read); });
    }
    bool Quit() {
        PostMessageA(skin, WM_CLOSE, 0, 0);
        return book.WaitForExit(8000) && book.ExitCode() == 0;
    }
    BookProcess book;
    HWND skin = nullptr;
    HWND read = nullptr;
};

class ReaderE2E : public testing::Test {
protected:
    void SetUp() override { dir = MakeTempDir(); }
    void TearDown() override { RemoveTree(dir); }
    std::string Ini() const { return dir + "\\" + kId + ".Ini"; }
    std::string Notes() const { return dir + "\\" + kId + ".Rtf"; }
    std::string dir;
};

}  // namespace

TEST_F(ReaderE2E, UncheckedCloseLeavesNoFile) {
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    EXPECT_FALSE(r.Checked());
    r.CloseReading();
    EXPECT_TRUE(r.Quit());
    EXPECT_TRUE(FilesIn(dir).empty());
}

TEST_F(ReaderE2E, CheckedCloseWritesTheTemplateWithAllKeysAndTheNotes) {
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    r.SetChecked(true);
    r.CloseReading();
    ASSERT_TRUE(r.Quit());
    auto v = IniValues(Ini());
    EXPECT_EQ(v["SaveSettings"], "True");
    EXPECT_EQ(v["WindowState"], "wsNormal");
    // Nothing chosen: the book's body face and size (not the layout's).
    EXPECT_EQ(v["ReadingFont"], "Times New Roman");
    EXPECT_EQ(v["ReadingFontSize"], "12");
    EXPECT_EQ(v["ReadingBackground"], "clWindow");
    EXPECT_EQ(v["ReadingBookmark"], "0");
    EXPECT_EQ(v["Notepad"], "False");
    std::string text = ReadFile(Ini());
    EXPECT_EQ(text.rfind("[CodexiaBook]", 0), 0u) << text;
    EXPECT_LT(text.find("SaveSettings="), text.find("WindowState="));
    EXPECT_LT(text.find("ReadingBookmark="), text.find("Notepad="));
    EXPECT_EQ(ReadFile(Notes()).rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(FilesIn(dir).size(), 2u);
}

TEST_F(ReaderE2E, SaveSettingsFalseAppliesNothingAndCloseDeletesTheFile) {
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=False\r\nReadingFont=Arial\r\nReadingFontSize=20\r\n");
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    EXPECT_FALSE(r.Checked());
    EXPECT_EQ(TextOf(Child(r.read, "Cx.EDIT")), "12");
    r.CloseReading();
    ASSERT_TRUE(r.Quit());
    EXPECT_TRUE(FilesIn(dir).empty());
}

TEST_F(ReaderE2E, SwitchesAreSavedBackAndLowerCaseSwitchesDoNothing) {
    // The face and size the settings file holds after a run with these
    // switches, Save Settings checked.
    auto savedWith = [&](const std::string& args, const std::string& sizeShown) {
        DeleteFileA(Ini().c_str());
        Reader r(dir, args);
        EXPECT_TRUE(r.Open());
        EXPECT_EQ(TextOf(Child(r.read, "Cx.EDIT")), sizeShown) << args;
        r.SetChecked(true);
        r.CloseReading();
        EXPECT_TRUE(r.Quit());
        auto v = IniValues(Ini());
        return v["ReadingFont"] + "/" + v["ReadingFontSize"];
    };
    EXPECT_EQ(savedWith("/RFArial /RI14", "14"), "Arial/14");
    // A face of more than one word comes quoted, as a launcher passes it.
    EXPECT_EQ(savedWith("/RF\"Courier New\" \"/RI12\"", "12"), "Courier New/12");
    EXPECT_EQ(savedWith("/rfArial /ri14", "12"), "Times New Roman/12");
}

TEST_F(ReaderE2E, TheSettingsFileOverridesMaximized) {
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=True\r\nWindowState=wsNormal\r\n");
    Reader r(dir, "/X");
    ASSERT_TRUE(r.Open());
    EXPECT_FALSE(IsZoomed(r.read));
    r.CloseReading();
    EXPECT_TRUE(r.Quit());
}

TEST_F(ReaderE2E, AMinimizedWindowKeepsTheStoredWindowState) {
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=True\r\nWindowState=wsMaximized\r\n");
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    ShowWindow(r.read, SW_MINIMIZE);
    WaitUntil([&] { return IsIconic(r.read) != 0; });
    r.CloseReading();
    ASSERT_TRUE(r.Quit());
    EXPECT_EQ(IniValues(Ini())["WindowState"], "wsMaximized");
}

TEST_F(ReaderE2E, ASettingsFileThatCannotBeCreatedShowsTheMessageAndSavesNothing) {
    // A directory in the settings file's place: the file cannot be created,
    // as in a read-only folder (root's files are not read-only to it here).
    ASSERT_TRUE(CreateDirectoryA(Ini().c_str(), nullptr));
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    r.SetChecked(true);
    PostMessageA(r.read, WM_CLOSE, 0, 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = r.book.FindWindowOf("#32770")) != nullptr; }));
    HWND label = Child(box, "Static", "Unable to save. Copy Codexia to rewritable drive and try again.");
    EXPECT_NE(label, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(r.read); }));
    ASSERT_TRUE(r.Quit());
    EXPECT_EQ(FilesIn(dir).size(), 1u);  // the directory alone: no notes file
}

TEST_F(ReaderE2E, GarbageSettingsShowErrorsAndTheProgramKeepsRunning) {
    WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=Maybe\r\nWindowState=huge\r\nReadingFont=ERROR\r\n"
                     "ReadingFontSize=big\r\nReadingBackground=purple-ish\r\nReadingBookmark=x\r\nNotepad=yes\r\n");
    BookProcess book(dir);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = book.FindWindowOf("#32770")) != nullptr; }));
    EXPECT_NE(Child(box, "Static", "'big' is not a valid integer value."), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND skin = book.WaitForWindow("TForm1");
    ASSERT_NE(skin, nullptr);
    EXPECT_TRUE(book.Running());
    PostMessageA(skin, WM_CLOSE, 0, 0);
    EXPECT_TRUE(book.WaitForExit(8000));
}

TEST_F(ReaderE2E, ACloseCommandWhileReadingSavesNothing) {
    CloseCommand cmd;
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    r.SetChecked(true);
    cmd.WriteText("C");
    cmd.Send(r.skin, 1);
    EXPECT_TRUE(r.book.WaitForExit(8000));
    EXPECT_TRUE(FilesIn(dir).empty());
}

// ---------------------------------------------------------------- the page as the reader sees it

namespace {

struct BookSource {
    const std::string* s;
    std::size_t at;
};
DWORD CALLBACK FeedBook(DWORD_PTR c, LPBYTE buf, LONG cb, LONG* got) {
    auto* s = reinterpret_cast<BookSource*>(c);
    LONG n = static_cast<LONG>(std::min<std::size_t>(static_cast<std::size_t>(cb), s->s->size() - s->at));
    memcpy(buf, s->s->data() + s->at, static_cast<std::size_t>(n));
    s->at += static_cast<std::size_t>(n);
    *got = n;
    return 0;
}

// A document loaded into a rich edit window of this process, as the
// platform's window counts and formats it.
HWND LoadedCopy(const std::string& rtf) {
    LoadLibraryA("RICHED20.DLL");
    HWND w = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | ES_MULTILINE, 0, 0, 300, 300, nullptr, nullptr,
                             nullptr, nullptr);
    BookSource src{&rtf, 0};
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
    es.pfnCallback = FeedBook;
    SendMessageA(w, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    SendMessageA(w, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    return w;
}

// Where a text lies in the book as the platform's rich edit window counts:
// the book's own document loaded into a window of this process.
int OffsetInBook(const std::string& text, const std::string& after = "") {
    LoadLibraryA("RICHED20.DLL");
    HWND w = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | ES_MULTILINE, 0, 0, 300, 300, nullptr, nullptr,
                             nullptr, nullptr);
    std::string rtf = ReadFile(BOOK_RTF);
    BookSource src{&rtf, 0};
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
    es.pfnCallback = FeedBook;
    SendMessageA(w, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    SendMessageA(w, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    auto find = [&](const std::string& what, LONG from) {
        FINDTEXTEXA ft{};
        ft.chrg = {from, -1};
        ft.lpstrText = what.c_str();
        return static_cast<int>(SendMessageA(w, EM_FINDTEXTEX, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&ft)));
    };
    int at = find(text, after.empty() ? 0 : std::max(0, find(after, 0)));
    DestroyWindow(w);
    return at;
}

BOOL CALLBACK FindBookView(HWND w, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    CharUpperA(cls);
    RECT r;
    GetWindowRect(w, &r);
    auto* best = reinterpret_cast<std::pair<HWND, int>*>(lp);
    int area = (r.right - r.left) * (r.bottom - r.top);
    if (std::string(cls).find("RICHEDIT") != std::string::npos && IsWindowVisible(w) && area > best->second)
        *best = {w, area};
    return TRUE;
}
// The book view: the largest visible rich edit window of the reading window.
// A view whose drawing is held back while a part of the book goes in is not
// "visible" for that moment (holding the drawing clears the window's visible
// style): it is looked for again until it shows.
HWND BookView(HWND read) {
    std::pair<HWND, int> best{nullptr, 0};
    WaitUntil([&] {
        best = {nullptr, 0};
        EnumChildWindows(read, FindBookView, reinterpret_cast<LPARAM>(&best));
        return best.first != nullptr;
    }, 10000);
    return best.first;
}

// The rows of the view on screen that hold dark pixels, as bands of text
// lines: each band's top and height.
struct Band {
    int top, height;
};
std::vector<Band> TextBands(HWND view) {
    RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Sleep(150);
    RECT r;
    GetClientRect(view, &r);
    POINT o{0, 0};
    ClientToScreen(view, &o);
    int w = r.right - 20, h = r.bottom;  // the scroll bar's side left out
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, o.x, o.y, SRCCOPY);
    std::vector<Band> bands;
    auto* px = static_cast<const std::uint32_t*>(bits);
    int start = -1;
    for (int y = 0; y <= h; ++y) {
        bool dark = false;
        for (int x = 4; y < h && x < w && !dark; ++x) {
            std::uint32_t p = px[y * w + x];
            int lum = ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255);
            dark = lum < 3 * 110;
        }
        if (dark && start < 0) start = y;
        if (!dark && start >= 0) {
            // A sliver just under a row is the faint foot of its letters
            // (a descender's thin stroke drawn lighter), not a row of its own.
            if (y - start <= 2 && !bands.empty() && start - (bands.back().top + bands.back().height) <= 2)
                bands.back().height = y - bands.back().top;
            else
                bands.push_back({start, y - start});
            start = -1;
        }
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return bands;
}

// The same text rows: the same page, drawn the same way.
bool SameBands(const std::vector<Band>& a, const std::vector<Band>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (a[k].top != b[k].top || a[k].height != b[k].height) return false;
    return true;
}

int MedianPitch(const std::vector<Band>& b) {
    std::vector<int> d;
    for (std::size_t k = 1; k < b.size(); ++k) d.push_back(b[k].top - b[k - 1].top);
    if (d.empty()) return 0;
    std::sort(d.begin(), d.end());
    return d[d.size() / 2];
}

int MedianHeight(const std::vector<Band>& b) {
    std::vector<int> d;
    for (auto& x : b) d.push_back(x.height);
    if (d.empty()) return 0;
    std::sort(d.begin(), d.end());
    return d[d.size() / 2];
}

// A press of a button on the reading window's bar, with the mouse.
void PressBarButton(HWND read, int x) {
    RECT c;
    GetClientRect(read, &c);
    POINT p{x, c.bottom - 41 + 20};
    ClientToScreen(read, &p);
    ClickScreen(p.x, p.y);
}

std::string Settings(int bookmark, const std::string& more = "") {
    return "[CodexiaBook]\r\nSaveSettings=True\r\nWindowState=wsNormal\r\nReadingBookmark=" + std::to_string(bookmark) +
           "\r\n" + more;
}

bool InView(HWND view, int position) {
    auto first = SendMessageA(view, EM_GETFIRSTVISIBLELINE, 0, 0);
    auto line = SendMessageA(view, EM_EXLINEFROMCHAR, 0, position);
    return line >= first && line < first + 8;
}

// The reader's saved place at the heading of chapter five, the page the size
// tests look at: its offset (0 where the book has no such heading).
int SaveChapterFiveAsPlace(const std::string& ini) {
    int heading = OffsetInBook("The Crossing to Inchmore", "Chapter Five");
    if (heading > 0) WriteFile(ini, Settings(heading));
    return heading;
}

// The book view once the saved place is in it; nullptr when it never is.
HWND ViewAtPlace(HWND read, int place) {
    HWND view = BookView(read);
    return view && WaitUntil([&] { return InView(view, place); }) ? view : nullptr;
}

}  // namespace

// The book loads the common dialogs' library only when a dialog is first
// asked for: the reading window's Font and Background buttons open theirs.
TEST_F(ReaderE2E, TheFontAndColourDialogsOpenFromTheReadingWindow) {
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    for (auto [x, caption] : {std::pair{95, "Font"}, std::pair{35, "Color"}}) {
        PressBarButton(r.read, x);
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (box = r.book.FindWindowOf("#32770")) != nullptr; })) << caption;
        EXPECT_EQ(TextOf(box), caption);
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitUntil([&] { return r.book.FindWindowOf("#32770") == nullptr; })) << caption;
    }
    r.CloseReading();
    ASSERT_TRUE(r.Quit());
}

TEST_F(ReaderE2E, ThreePressesOfPlusMakeTheBodyTallerAndAHeadingStaysTaller) {
    int heading = SaveChapterFiveAsPlace(Ini());
    ASSERT_GT(heading, 0);
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    HWND view = ViewAtPlace(r.read, heading);
    ASSERT_NE(view, nullptr);
    std::vector<Band> before = TextBands(view);
    for (int k = 0; k < 3; ++k) {
        std::string want = std::to_string(13 + k);
        PressBarButton(r.read, 150);
        ASSERT_TRUE(WaitUntil([&] { return TextOf(Child(r.read, "Cx.EDIT")) == want; })) << want;
    }
    EXPECT_TRUE(InView(view, heading)) << "the place stays";
    std::vector<Band> after = TextBands(view);
    ASSERT_GT(before.size(), 4u);
    ASSERT_GT(after.size(), 3u);
    EXPECT_GT(MedianPitch(after), MedianPitch(before)) << "body lines are further apart";
    EXPECT_GT(MedianHeight(after), MedianHeight(before)) << "and their letters taller";
    // The heading is the first line shown: taller than the body's lines.
    EXPECT_GT(after.front().height, MedianHeight(after));
    r.CloseReading();
    ASSERT_TRUE(r.Quit());
    EXPECT_EQ(IniValues(Ini())["ReadingFontSize"], "15");
}

TEST_F(ReaderE2E, TheSavedFaceAndSizeShowAgainAfterARestartAtTheSavedPlace) {
    int middle = OffsetInBook("Chapter Five");
    int six = OffsetInBook("Chapter Six");
    ASSERT_GT(six, middle);
    middle = (middle + six) / 2;
    std::vector<Band> bookFaces, chosen;
    {
        WriteFile(Ini(), Settings(middle, "ReadingFontSize=11\r\n"));
        Reader r(dir);
        ASSERT_TRUE(r.Open());
        HWND view = BookView(r.read);
        ASSERT_TRUE(WaitUntil([&] { return InView(view, middle); })) << "the bookmark is in view";
        bookFaces = TextBands(view);
        r.CloseReading();
        ASSERT_TRUE(r.Quit());
    }
    {
        WriteFile(Ini(), Settings(middle, "ReadingFontSize=11\r\nReadingFont=Courier New\r\n"));
        Reader r(dir);
        ASSERT_TRUE(r.Open());
        HWND view = BookView(r.read);
        ASSERT_TRUE(WaitUntil([&] { return InView(view, middle); }));
        chosen = TextBands(view);
        r.CloseReading();
        ASSERT_TRUE(r.Quit());
    }
    // Another face: other glyphs, so other bands of dark rows.
    EXPECT_FALSE(SameBands(bookFaces, chosen));
    auto v = IniValues(Ini());
    EXPECT_EQ(v["ReadingFont"], "Courier New");
    EXPECT_EQ(v["ReadingFontSize"], "11");
    {
        // The file as the program saved it: the same page again.
        Reader r(dir);
        ASSERT_TRUE(r.Open());
        EXPECT_EQ(TextOf(Child(r.read, "Cx.EDIT")), "11");
        HWND view = BookView(r.read);
        ASSERT_TRUE(WaitUntil([&] { return InView(view, middle); }));
        std::vector<Band> again = TextBands(view);
        ASSERT_EQ(again.size(), chosen.size());
        for (std::size_t k = 0; k < again.size(); ++k) {
            EXPECT_EQ(again[k].top, chosen[k].top) << k;
            EXPECT_EQ(again[k].height, chosen[k].height) << k;
        }
        r.CloseReading();
        ASSERT_TRUE(r.Quit());
    }
}

// A saved face applies whatever it is, the layout's own "MS Sans Serif"
// too, and rules over a launcher's face switch.
TEST_F(ReaderE2E, ASavedFaceAppliesWhateverItIsAndRulesOverAFaceSwitch) {
    int middle = (OffsetInBook("Chapter Five") + OffsetInBook("Chapter Six")) / 2;
    ASSERT_GT(middle, 0);
    auto page = [&](const std::string& settings, const std::string& args) {
        WriteFile(Ini(), Settings(middle, "ReadingFontSize=11\r\n" + settings));
        Reader r(dir, args);
        std::vector<Band> bands;
        if (!r.Open()) return bands;
        HWND view = BookView(r.read);
        if (view && WaitUntil([&] { return InView(view, middle); })) bands = TextBands(view);
        r.SetChecked(true);
        r.CloseReading();
        r.Quit();
        return bands;
    };
    std::vector<Band> bookFaces = page("", "");
    std::vector<Band> courier = page("", "\"/RFCourier New\"");
    std::vector<Band> sans = page("ReadingFont=MS Sans Serif\r\n", "");
    EXPECT_EQ(IniValues(Ini())["ReadingFont"], "MS Sans Serif");
    // The file as the program saved it, read at the next start.
    std::vector<Band> sansAgain = page("ReadingFont=MS Sans Serif\r\n", "\"/RFCourier New\"");
    ASSERT_FALSE(bookFaces.empty());
    EXPECT_FALSE(SameBands(courier, bookFaces)) << "the switch alone changes the face";
    EXPECT_FALSE(SameBands(sans, bookFaces)) << "the saved layout face is put on the book";
    EXPECT_TRUE(SameBands(sansAgain, sans)) << "the saved face rules over the switch";
}

// The first start, nothing saved: the book as its author set it, its body
// size in the box, its first line whole at the top, whether Read comes while
// the book still streams in or after.
TEST_F(ReaderE2E, AFirstStartShowsTheBodySizeAndTheFirstLineWholeAtTheTop) {
    for (int wait : {0, 3000}) {
        SCOPED_TRACE(wait);
        Reader r(dir);
        Sleep(wait);
        ASSERT_TRUE(r.Open());
        EXPECT_EQ(TextOf(Child(r.read, "Cx.EDIT")), "12");
        HWND view = BookView(r.read);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(SendMessageA(view, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
        // The old form of the question (a character index, the place packed
        // in the answer) crosses processes.
        LRESULT at = SendMessageA(view, EM_POSFROMCHAR, 0, 0);
        EXPECT_GE(static_cast<short>(HIWORD(at)), 0);
        EXPECT_LE(static_cast<short>(HIWORD(at)), 2);
        std::vector<Band> bands = TextBands(view);
        ASSERT_GT(bands.size(), 3u);
        EXPECT_GT(bands.front().top, 0) << "the title's top edge is inside the view";
        r.CloseReading();
        ASSERT_TRUE(r.Quit());
    }
}

// A size switch and a saved size: the page shown at once is the page the
// finished load shows, with no jump.
TEST_F(ReaderE2E, AChosenSizeShowsAtOnceWithNoJumpWhenTheLoadEnds) {
    for (bool saved : {false, true}) {
        SCOPED_TRACE(saved);
        if (saved) WriteFile(Ini(), "[CodexiaBook]\r\nSaveSettings=True\r\nReadingFontSize=15\r\n");
        Reader r(dir, saved ? "" : "/RI15");
        ASSERT_TRUE(r.Open());
        EXPECT_EQ(TextOf(Child(r.read, "Cx.EDIT")), "15");
        HWND view = BookView(r.read);
        ASSERT_NE(view, nullptr);
        std::vector<Band> early = TextBands(view);
        Sleep(3000);
        std::vector<Band> late = TextBands(view);
        EXPECT_GT(early.size(), 3u);
        EXPECT_TRUE(SameBands(early, late));
        r.CloseReading();
        ASSERT_TRUE(r.Quit());
    }
}

namespace {

struct Ink {
    long dark = 0, red = 0;
};
// The ink on the view's rows from..to (screen pixels of the view's client area).
Ink InkIn(HWND view, int from, int to) {
    RECT r;
    GetClientRect(view, &r);
    POINT o{0, 0};
    ClientToScreen(view, &o);
    HDC screen = GetDC(nullptr);
    Ink ink;
    for (int y = from; y < to && y < r.bottom; ++y)
        for (int x = 4; x < r.right - 20; ++x) {
            COLORREF c = GetPixel(screen, o.x + x, o.y + y);
            int R = GetRValue(c), G = GetGValue(c), B = GetBValue(c);
            if (R + G + B < 3 * 110 || (R > 150 && G < 90 && B < 90)) ++ink.dark;
            if (R > 150 && G < 90 && B < 90) ++ink.red;
        }
    ReleaseDC(nullptr, screen);
    return ink;
}

// In another process's font dialog: the item of a combo box whose data is
// wanted, chosen as a click in its list would.
bool ChooseByData(HWND dlg, int id, LRESULT want, const std::function<bool(LRESULT, LRESULT)>& match) {
    HWND combo = GetDlgItem(dlg, id);
    LRESULT n = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT k = 0; k < n; ++k)
        if (match(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(k), 0), want)) {
            SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(k), 0);
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
            return true;
        }
    return false;
}

}  // namespace

// The Font dialog's colour and bold, chosen there and confirmed with its OK
// button: the body text turns red and bolder, the heading keeps its colour
// and stays larger.
TEST_F(ReaderE2E, TheFontDialogsColourAndBoldReachTheBodyAndAHeadingStaysLarger) {
    int heading = SaveChapterFiveAsPlace(Ini());
    ASSERT_GT(heading, 0);
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    HWND view = ViewAtPlace(r.read, heading);
    ASSERT_NE(view, nullptr);
    std::vector<Band> before = TextBands(view);
    ASSERT_GT(before.size(), 4u);
    int bodyFrom = before[1].top, bodyTo = before.back().top;
    Ink plain = InkIn(view, bodyFrom, bodyTo);
    PressBarButton(r.read, 95);
    HWND dlg = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dlg = r.book.FindWindowOf("#32770")) != nullptr; }));
    // The style list's items carry weight and italic, the colour list's the colour.
    EXPECT_TRUE(ChooseByData(dlg, 0x471, FW_BOLD, [](LRESULT d, LRESULT w) { return LOWORD(d) == w && !HIWORD(d); }));
    EXPECT_TRUE(ChooseByData(dlg, 0x473, RGB(255, 0, 0), [](LRESULT d, LRESULT w) { return d == w; }));
    RECT ok;
    GetWindowRect(GetDlgItem(dlg, IDOK), &ok);
    ClickScreen((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
    ASSERT_TRUE(WaitUntil([&] { return r.book.FindWindowOf("#32770") == nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return InView(view, heading); }));
    std::vector<Band> after = TextBands(view);
    ASSERT_GT(after.size(), 4u);
    Ink chosen = InkIn(view, after[1].top, after.back().top);
    EXPECT_GT(chosen.red, chosen.dark / 2) << "the body text is red";
    EXPECT_GT(chosen.dark * 10, plain.dark * 11) << "and bolder: more ink on the same lines";
    Ink head = InkIn(view, after.front().top, after.front().top + after.front().height);
    EXPECT_LT(head.red, head.dark / 10) << "the heading keeps its own colour";
    EXPECT_GT(after.front().height, MedianHeight(after)) << "and stays larger";
    r.CloseReading();
    ASSERT_TRUE(r.Quit());
}

// About right after the start, while the book is still coming in behind the
// cover: the Author page shows its text as the window shows, not once the
// whole book is in.
TEST_F(ReaderE2E, AboutRightAfterTheStartShowsTheAuthorPageAtOnce) {
    BookProcess book(dir);
    HWND skin = book.WaitForWindow("TForm1");
    ASSERT_NE(skin, nullptr);
    RECT s;
    GetWindowRect(skin, &s);
    ClickScreen(s.left + 158, s.top + 353);
    HWND about = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (about = book.FindWindowOf("TfrmAbout")) != nullptr; }, 5000));
    HWND page = BookView(about);
    ASSERT_NE(page, nullptr);
    EXPECT_GT(TextBands(page).size(), 2u) << "the Author page shows no text";
    PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
    PostMessageA(skin, WM_CLOSE, 0, 0);
    EXPECT_TRUE(book.WaitForExit(8000));
}

// ---------------------------------------------------------------- sizes through the whole book

namespace {

// The character formats of another process's rich edit window, asked for
// with the request and answer placed in that process's memory.
class RemoteFormats {
public:
    RemoteFormats(DWORD pid, HWND view)
        : view_(view), process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)) {
        if (process_) mem_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteFormats() {
        if (mem_) VirtualFreeEx(process_, mem_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool Ready() const { return mem_ != nullptr; }
    // The size in twips of the characters from..to, or -1 where they differ.
    int TwipsOf(LONG from, LONG to) {
        CHARRANGE r{from, to};
        CHARFORMAT2A f{};
        f.cbSize = sizeof f;
        WriteProcessMemory(process_, mem_, &r, sizeof r, nullptr);
        WriteProcessMemory(process_, mem_ + 64, &f, sizeof f, nullptr);
        SendMessageA(view_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(mem_));
        SendMessageA(view_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(mem_ + 64));
        ReadProcessMemory(process_, mem_ + 64, &f, sizeof f, nullptr);
        return f.dwMask & CFM_SIZE ? static_cast<int>(f.yHeight) : -1;
    }

private:
    HWND view_;
    HANDLE process_;
    char* mem_ = nullptr;
};

// The size in twips of the characters from..to, or -1 where they differ.
int LocalTwipsOf(HWND w, LONG from, LONG to) {
    CHARRANGE r{from, to};
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    CHARFORMAT2A f{};
    f.cbSize = sizeof f;
    SendMessageA(w, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    return f.dwMask & CFM_SIZE ? static_cast<int>(f.yHeight) : -1;
}

// The stretches of one size of a document, from its start to length: each
// stretch is found by doubling and halving its end, a few calls each.
struct SizeStretch {
    LONG from, to;
    int twips;
};
std::vector<SizeStretch> SizeStretches(HWND w, LONG length) {
    std::vector<SizeStretch> out;
    for (LONG from = 0; from < length;) {
        int twips = LocalTwipsOf(w, from, from + 1);
        LONG good = from + 1, step = 1;
        while (good + step <= length && LocalTwipsOf(w, from, good + step) == twips) good += step, step *= 2;
        for (; step > 0; step /= 2)
            if (good + step <= length && LocalTwipsOf(w, from, good + step) == twips) good += step;
        out.push_back({from, good, twips});
        from = good;
    }
    return out;
}

LONG Length(HWND w) {
    GETTEXTLENGTHEX g{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    return static_cast<LONG>(SendMessageA(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0));
}

}  // namespace

// Two presses of "+" in quick succession, the second while the first is
// still going through the book: the page shows the new size at once, and
// in the end every run of the whole book is at the last size chosen (the
// body at 14 points, every other size in proportion to the half point),
// before the reader's place and after it.
TEST_F(ReaderE2E, TwoQuickPressesOfPlusLeaveEveryRunOfTheBookAtTheLastSize) {
    int heading = SaveChapterFiveAsPlace(Ini());
    ASSERT_GT(heading, 0);
    Reader r(dir);
    ASSERT_TRUE(r.Open());
    HWND view = ViewAtPlace(r.read, heading);
    ASSERT_NE(view, nullptr);
    std::vector<Band> before = TextBands(view);
    PressBarButton(r.read, 150);
    PressBarButton(r.read, 150);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(Child(r.read, "Cx.EDIT")) == "14"; }));
    std::vector<Band> page = TextBands(view);
    ASSERT_GT(page.size(), 3u);
    EXPECT_GT(MedianHeight(page), MedianHeight(before)) << "the page shows the larger body";
    EXPECT_GT(page.front().height, MedianHeight(page)) << "under a heading still larger";
    // The rest of the book in idle time, then every run read back.
    Sleep(3000);
    EXPECT_TRUE(SameBands(TextBands(view), page)) << "the page stays as it was drawn";
    HWND own = LoadedCopy(ReadFile(BOOK_RTF));
    LONG length = Length(own);
    ASSERT_GT(length, 100000);
    RemoteFormats remote(r.book.Pid(), view);
    ASSERT_TRUE(remote.Ready());
    // Every stretch of one size in the book is of one size in the view too,
    // the body at 14 points and every other size in proportion.
    int wrong = 0, firstWrong = -1;
    for (const SizeStretch& run : SizeStretches(own, length)) {
        int want = run.twips * 14 / 12, got = remote.TwipsOf(run.from, run.to);
        bool right = run.twips == 240 ? got == 280 : got > 0 && std::abs(got - want) <= 5;
        if (!right && wrong++ == 0) firstWrong = run.from;
    }
    DestroyWindow(own);
    EXPECT_EQ(wrong, 0) << "first at " << firstWrong;
    r.CloseReading();
    ASSERT_TRUE(r.Quit());
    EXPECT_EQ(IniValues(Ini())["ReadingFontSize"], "14");
}

namespace {

// The sample book's body repeated: a book of copies times its length.
struct LargeBook {
    std::string header, body;
    std::string Rtf(int copies) const {
        std::string out = header;
        for (int k = 0; k < copies; ++k) out += body;
        return out + "}";
    }
};
LargeBook SplitSample() {
    std::string rtf = ReadFile(BOOK_RTF);
    std::size_t start = rtf.find("\\pard"), end = rtf.rfind('}');
    return {rtf.substr(0, start), rtf.substr(start, end - start)};
}

// The length of one copy of the body, as the platform's window counts.
LONG CopyLength(const LargeBook& b) {
    HWND one = LoadedCopy(b.Rtf(1)), two = LoadedCopy(b.Rtf(2));
    LONG n = Length(two) - Length(one);
    DestroyWindow(one);
    DestroyWindow(two);
    return n;
}

}  // namespace

// Read on a 5 MB book while it still streams in: the window shows within
// seconds, on the page the sample book shows for the same text (its first
// page, or with a saved size the page at the saved place in the second
// copy of the text), and the page stays as the rest comes in.
TEST_F(ReaderE2E, ReadOnALargeBookShowsItsPageAtOnceAsTheSampleShowsIt) {
    LargeBook parts = SplitSample();
    std::string folder = CopyFolder(SAMPLE_DIR);
    WriteFile(folder + "\\book.rtf", parts.Rtf(24));
    std::string bigDir = MakeTempDir();
    std::string big = bigDir + "\\" + kId + ".Exe";
    ProgramRun made =
        RunProgram(MAKER_EXE, "\"" + folder + "\" -o \"" + big + "\" --template \"" + TEMPLATE_EXE + "\"", folder);
    RemoveTree(folder);
    ASSERT_EQ(made.exitCode, 0u) << made.err;
    int place = (OffsetInBook("Chapter Five") + OffsetInBook("Chapter Six")) / 2;
    LONG copy = CopyLength(parts);
    ASSERT_GT(copy, 100000);

    struct Case {
        const char* name;
        std::string sampleIni, bigIni, size;
    };
    const Case cases[] = {
        {"first start", "", "", "12"},
        {"saved size and place", Settings(place, "ReadingFontSize=15\r\n"),
         Settings(place + copy, "ReadingFontSize=15\r\n"), "15"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Band> sample;
        {
            if (!c.sampleIni.empty()) WriteFile(Ini(), c.sampleIni);
            Reader r(dir);
            ASSERT_TRUE(r.Open());
            HWND view = BookView(r.read);
            ASSERT_NE(view, nullptr);
            if (c.sampleIni.empty()) Sleep(1000);
            else ASSERT_TRUE(WaitUntil([&] { return InView(view, place); }));
            sample = TextBands(view);
            r.CloseReading();
            ASSERT_TRUE(r.Quit());
        }
        std::string bigRun = MakeTempDir();
        if (!c.bigIni.empty()) WriteFile(bigRun + "\\" + kId + ".Ini", c.bigIni);
        {
            Reader r(bigRun, "", big);
            ASSERT_NE(r.skin, nullptr) << r.book.Shown();
            DWORD t0 = GetTickCount();
            ASSERT_TRUE(r.Open());
            EXPECT_LT(GetTickCount() - t0, 15000u) << "Read to the window";
            // Nothing here asks the window for its text or its lines: that
            // would make it finish the book first.
            EXPECT_EQ(TextOf(Child(r.read, "Cx.EDIT")), c.size);
            HWND view = BookView(r.read);
            ASSERT_NE(view, nullptr);
            std::vector<Band> early = TextBands(view);
            EXPECT_TRUE(SameBands(early, sample)) << early.size() << " bands against " << sample.size();
            Sleep(3000);
            EXPECT_TRUE(SameBands(TextBands(view), early)) << "no jump as the rest comes in";
            r.SetChecked(!c.bigIni.empty());
            r.CloseReading();
            EXPECT_TRUE(r.Quit());
        }
        if (!c.bigIni.empty()) {
            EXPECT_EQ(IniValues(bigRun + "\\" + kId + ".Ini")["ReadingBookmark"], std::to_string(place + copy));
        }
        RemoveTree(bigRun);
    }
    RemoveTree(bigDir);
}
