// bench_pageformat SMALL.rtf LARGE.rtf [RUNS [CLASS [PLACE [WAYS]]]]: what one page-sized
// format change costs a bare rich edit window, and how that grows with the
// document around the page. Both documents (RTF, or plain text when the name
// ends in .txt; bench/gen_large_book.py makes them) are streamed into
// windows of the class (default RichEdit20A, the book view's; RICHEDIT50W
// loads MSFTEDIT.DLL) the size of the reading window's view, shown, and
// scrolled to the middle. "The page" is the text from the top line to the
// last one shown and twice as much again past it (at least 2,000
// characters): what the reading view sizes first.
//
// Each way of changing the page's size is timed on both documents, the size
// going back and forth between 13 and 14 points so that every change is
// one, RUNS times (default 5) in alternating order; printed per way: the
// median wall time of the change itself and of the page drawn after it
// (redraw on, the window's content made invalid and painted) on each
// document, and the ratio of the large document's total to the small one's.
// A ratio near 1 is a change whose cost is the page's; near the ratio of
// the documents' lengths, one whose cost is the whole document's. The
// "view:" ways time the other questions the reading view asks around a
// page. PLACE (per cent, default 50) puts the page elsewhere in the books;
// WAYS runs only the ways whose names begin with it. BOOK_EVENTS in the
// environment makes the windows ask for the notifications the book view
// asks for; BOOK_LINKS makes them detect web addresses as it does.
// BOOK_PIECES=N (kilobytes) streams the large document (RTF) in as the book
// view gets its stored document: the last part first as the whole document,
// then the rest in pieces of about N KB in order, each into the selection in
// front of the last part (N = 128 is what a load all at once uses, 2 to 32
// what idle time uses); the small one is still loaded in one piece, so the
// same file given twice compares the two ways in.
#include <windows.h>
#include <richedit.h>
#include <richole.h>
#include <tom.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "richedit/wwRichEditLoad.h"

#include "../BenchCommon.h"

using namespace bench;

namespace {

// {8CC497C0-A1DF-11CE-8098-00AA0047BE5D}
const IID kTextDocument = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};
// {00020D00-0000-0000-C000-000000000046}
const IID kRichEditOle = {0x00020D00, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

std::string g_class = "RichEdit20A";

std::string ReadAll(const char* name) {
    std::string bytes;
    if (FILE* f = std::fopen(name, "rb")) {
        char buf[65536];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
        std::fclose(f);
    }
    return bytes;
}

bool IsText(const std::string& name) {
    return name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".txt") == 0;
}

HWND Host() {
    static HWND host = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PageFormatHost";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        if (!RegisterClassA(&wc)) std::fprintf(stderr, "no host class (error %lu)\n", GetLastError());
        HWND h = CreateWindowExA(0, "PageFormatHost", "Page format", WS_OVERLAPPEDWINDOW, 40, 40, 760, 420, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        if (!h) std::fprintf(stderr, "no host window (error %lu)\n", GetLastError());
        ShowWindow(h, SW_SHOW);
        return h;
    }();
    return host;
}

// One document in its own window.
struct Doc {
    std::string name;
    HWND w = nullptr;
    LONG length = 0;
    LONG from = 0, to = 0;  // the page
    int pieces = 1;         // streamed in as so many parts
    ITextDocument* tom = nullptr;
};

LONG Length(HWND w) {
    GETTEXTLENGTHEX g{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    return static_cast<LONG>(SendMessageA(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0));
}

bool StreamInto(HWND w, const std::string& bytes, UINT how) {
    Source src{&bytes};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&src), 0, FromMemory};
    SendMessageA(w, EM_STREAMIN, how, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0;
}

// The stored document's way in: the last part (at least 16 KB, from a cut)
// as the whole document, then the pieces in front of it. The paragraph the
// pieces go in front of gets its own paragraph format back at the end.
// Returns the number of pieces.
int StreamInPieces(HWND w, const std::string& rtf, std::size_t pieceBytes) {
    TRtfCuts cuts = FindRtfCuts(rtf);
    std::vector<std::size_t> points;
    if (!cuts.cuts.empty()) {
        points.push_back(cuts.bodyStart);
        for (std::size_t cut : cuts.cuts)
            if (rtf.size() - cut >= 16 * 1024) points.push_back(cut);
    }
    if (points.size() < 2) {
        StreamInto(w, rtf, SF_RTF);
        return 1;
    }
    std::string header = rtf.substr(0, points.front());
    StreamInto(w, header + rtf.substr(points.back()), SF_RTF);
    CHARRANGE first{0, 0};
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&first));
    PARAFORMAT2 lastPart{};
    lastPart.cbSize = sizeof lastPart;
    lastPart.dwMask = PFM_ALL2;
    SendMessageA(w, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&lastPart));
    lastPart.dwMask &= ~static_cast<DWORD>(PFM_OFFSETINDENT);
    LONG at = 0;
    int pieces = 1;
    for (std::size_t next = 0; next + 1 < points.size();) {
        std::size_t from = points[next], j = next + 1;
        while (j + 1 < points.size() && points[j] - from < pieceBytes) ++j;
        LONG before = Length(w);
        CHARRANGE sel{at, at};
        SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&sel));
        if (!StreamInto(w, header + rtf.substr(from, points[j] - from) + "}", SF_RTF | SFF_SELECTION))
            std::fprintf(stderr, "a piece failed to stream in\n");
        at += Length(w) - before;
        next = j;
        ++pieces;
    }
    CHARRANGE last{at, at};
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&last));
    SendMessageA(w, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&lastPart));
    CHARRANGE start{0, 0};
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    return pieces;
}

// The page from the window's top line, as the reading view reckons it.
void FindPage(Doc& d) {
    POINTL topLeft{1, 1};
    RECT r{};
    GetClientRect(d.w, &r);
    POINTL corner{r.right - 1, r.bottom - 1};
    LONG top = static_cast<LONG>(SendMessageA(d.w, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&topLeft)));
    LONG last = static_cast<LONG>(SendMessageA(d.w, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&corner)));
    d.from = top;
    d.to = std::min(d.length, last + std::max<LONG>(2000, 2 * (last - top)));
}

// Scrolls so that the character at position is on the top line.
void ScrollTo(Doc& d, LONG position) {
    POINT origin{0, 0};
    SendMessageA(d.w, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&origin));
    LONG line = static_cast<LONG>(SendMessageA(d.w, EM_EXLINEFROMCHAR, 0, position));
    SendMessageA(d.w, EM_LINESCROLL, 0, line);
    UpdateWindow(d.w);
    FindPage(d);
}

Doc Make(const char* file, int x, DWORD extraStyle, bool inPieces) {
    Doc d;
    d.name = file;
    std::string bytes = ReadAll(file);
    d.w = CreateWindowExA(WS_EX_CLIENTEDGE, g_class.c_str(), "",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | extraStyle, x, 0, 360, 380,
                          Host(), nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!d.w) {
        std::fprintf(stderr, "no window of class %s (error %lu, host %p)\n", g_class.c_str(), GetLastError(),
                     static_cast<void*>(Host()));
        std::exit(2);
    }
    SendMessageA(d.w, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    // With BOOK_EVENTS set, the notifications the book view asks for.
    if (std::getenv("BOOK_EVENTS"))
        SendMessageA(d.w, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_PROTECTED);
    // With BOOK_LINKS set, web addresses found as the book view finds them.
    if (std::getenv("BOOK_LINKS")) SendMessageA(d.w, EM_AUTOURLDETECT, TRUE, 0);
    const char* pieces = std::getenv("BOOK_PIECES");
    if (pieces && inPieces && !IsText(file)) {
        SendMessageA(d.w, EM_SETUNDOLIMIT, 0, 0);
        d.pieces = StreamInPieces(d.w, bytes, static_cast<std::size_t>(std::max(1, std::atoi(pieces))) * 1024);
        SendMessageA(d.w, EM_SETUNDOLIMIT, 100, 0);
    } else {
        StreamInto(d.w, bytes, IsText(file) ? SF_TEXT : SF_RTF);
    }
    d.length = Length(d.w);
    IRichEditOle* ole = nullptr;
    SendMessageA(d.w, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
    if (ole) {
        ole->QueryInterface(kTextDocument, reinterpret_cast<void**>(&d.tom));
        ole->Release();
    }
    UpdateWindow(d.w);
    ScrollTo(d, d.length / 2);
    return d;
}

// What a way does to the page; every way is given the points to set.
struct Way {
    const char* name;
    std::function<void(Doc&, int points, double& change)> run;
};

int g_pieces = 20;

// The page split into pieces of equal length, as the reading view changes it
// one stretch of equal size at a time.
std::vector<std::pair<LONG, LONG>> Pieces(const Doc& d, int n) {
    std::vector<std::pair<LONG, LONG>> out;
    LONG len = d.to - d.from;
    for (int i = 0; i < n; ++i) out.push_back({d.from + len * i / n, d.from + len * (i + 1) / n});
    return out;
}

void SelSet(HWND w, LONG a, LONG b, int points) {
    CHARRANGE r{a, b};
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    CHARFORMAT2A f{};
    f.cbSize = sizeof f;
    f.dwMask = CFM_SIZE;
    f.yHeight = points * 20;
    SendMessageA(w, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
}

// The settings a way changes around its changes, and back.
struct Around {
    bool noRedraw = false, noUndo = false, hideSel = false, noEvents = false, freeze = false, hidden = false,
         noLinks = false;
};

void Changes(Doc& d, int points, double& change, const Around& a, int pieces, bool tom) {
    double t0 = Now();
    CHARRANGE saved{};
    SendMessageA(d.w, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    LRESULT mask = 0;
    long frozen = 0;
    if (a.hidden) ShowWindow(d.w, SW_HIDE);
    if (a.noEvents) {
        mask = SendMessageA(d.w, EM_GETEVENTMASK, 0, 0);
        SendMessageA(d.w, EM_SETEVENTMASK, 0, 0);
    }
    if (a.noUndo) SendMessageA(d.w, EM_SETUNDOLIMIT, 0, 0);
    if (a.hideSel) SendMessageA(d.w, EM_HIDESELECTION, TRUE, 0);
    if (a.noRedraw) SendMessageA(d.w, WM_SETREDRAW, FALSE, 0);
    if (a.noLinks) SendMessageA(d.w, EM_AUTOURLDETECT, FALSE, 0);
    if (a.freeze && d.tom) d.tom->Freeze(&frozen);
    for (auto [from, to] : Pieces(d, pieces)) {
        if (tom && d.tom) {
            ITextRange* r = nullptr;
            if (d.tom->Range(from, to, &r) == S_OK && r) {
                ITextFont* f = nullptr;
                if (r->GetFont(&f) == S_OK && f) {
                    f->SetSize(static_cast<float>(points));
                    f->Release();
                }
                r->Release();
            }
        } else {
            SelSet(d.w, from, to, points);
        }
    }
    if (a.freeze && d.tom) d.tom->Unfreeze(&frozen);
    if (!tom) SendMessageA(d.w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    if (a.noLinks && std::getenv("BOOK_LINKS")) SendMessageA(d.w, EM_AUTOURLDETECT, TRUE, 0);
    if (a.noRedraw) SendMessageA(d.w, WM_SETREDRAW, TRUE, 0);
    if (a.hideSel) SendMessageA(d.w, EM_HIDESELECTION, FALSE, 0);
    if (a.noUndo) SendMessageA(d.w, EM_SETUNDOLIMIT, 100, 0);
    if (a.noEvents) SendMessageA(d.w, EM_SETEVENTMASK, 0, mask);
    if (a.hidden) ShowWindow(d.w, SW_SHOW);
    change = Now() - t0;
}

std::vector<Way> Ways() {
    std::vector<Way> ways;
    ways.push_back({"EM_EXSETSEL alone, page and back", [](Doc& d, int, double& change) {
                        double t0 = Now();
                        for (auto [from, to] : Pieces(d, g_pieces)) {
                            CHARRANGE r{from, to};
                            SendMessageA(d.w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
                        }
                        CHARRANGE back{d.from, d.from};
                        SendMessageA(d.w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&back));
                        change = Now() - t0;
                    }});
    ways.push_back({"1 EM_SETCHARFORMAT on the page", [](Doc& d, int p, double& c) { Changes(d, p, c, {}, 1, false); }});
    ways.push_back({"1 EM_SETCHARFORMAT colour, not size", [](Doc& d, int p, double& c) {
                        double t0 = Now();
                        CHARRANGE r{d.from, d.to};
                        SendMessageA(d.w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
                        CHARFORMAT2A f{};
                        f.cbSize = sizeof f;
                        f.dwMask = CFM_COLOR;
                        f.crTextColor = p == 13 ? RGB(0, 0, 0) : RGB(0, 0, 96);
                        SendMessageA(d.w, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
                        CHARRANGE back{d.from, d.from};
                        SendMessageA(d.w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&back));
                        c = Now() - t0;
                    }});
    ways.push_back({"1 EM_SETCHARFORMAT, 2nd right after", [](Doc& d, int p, double& c) {
                        double first = 0;
                        Changes(d, p == 13 ? 14 : 13, first, {}, 1, false);
                        Changes(d, p, c, {}, 1, false);
                    }});
    ways.push_back({"20 EM_SETCHARFORMAT (pieces)", [](Doc& d, int p, double& c) { Changes(d, p, c, {}, g_pieces, false); }});
    ways.push_back({"20, WM_SETREDRAW FALSE", [](Doc& d, int p, double& c) {
                        Around a;
                        a.noRedraw = true;
                        Changes(d, p, c, a, g_pieces, false);
                    }});
    ways.push_back({"20, EM_SETUNDOLIMIT 0", [](Doc& d, int p, double& c) {
                        Around a;
                        a.noUndo = true;
                        Changes(d, p, c, a, g_pieces, false);
                    }});
    ways.push_back({"20, EM_HIDESELECTION", [](Doc& d, int p, double& c) {
                        Around a;
                        a.hideSel = true;
                        Changes(d, p, c, a, g_pieces, false);
                    }});
    ways.push_back({"20, EM_SETEVENTMASK 0", [](Doc& d, int p, double& c) {
                        Around a;
                        a.noEvents = true;
                        Changes(d, p, c, a, g_pieces, false);
                    }});
    ways.push_back({"20, all four (as the view's batch)", [](Doc& d, int p, double& c) {
                        Around a;
                        a.noRedraw = a.noUndo = a.hideSel = a.noEvents = true;
                        Changes(d, p, c, a, g_pieces, false);
                    }});
    ways.push_back({"20, all four, link detection off", [](Doc& d, int p, double& c) {
                        Around a;
                        a.noRedraw = a.noUndo = a.hideSel = a.noEvents = a.noLinks = true;
                        Changes(d, p, c, a, g_pieces, false);
                    }});
    ways.push_back({"20, window hidden", [](Doc& d, int p, double& c) {
                        Around a;
                        a.hidden = true;
                        Changes(d, p, c, a, g_pieces, false);
                    }});
    ways.push_back({"TOM: 1 ITextFont::SetSize", [](Doc& d, int p, double& c) { Changes(d, p, c, {}, 1, true); }});
    ways.push_back({"TOM: 20 ITextFont::SetSize", [](Doc& d, int p, double& c) { Changes(d, p, c, {}, g_pieces, true); }});
    ways.push_back({"TOM: 20, Freeze/Unfreeze", [](Doc& d, int p, double& c) {
                        Around a;
                        a.freeze = true;
                        Changes(d, p, c, a, g_pieces, true);
                    }});
    ways.push_back({"TOM: 20, Freeze + WM_SETREDRAW FALSE", [](Doc& d, int p, double& c) {
                        Around a;
                        a.freeze = a.noRedraw = true;
                        Changes(d, p, c, a, g_pieces, true);
                    }});
    // What else the reading view asks of the window around a page's
    // changes: the length, the top line's character and scrolling it back.
    ways.push_back({"view: EM_GETTEXTLENGTHEX (precise)", [](Doc& d, int, double& c) {
                        double t0 = Now();
                        Length(d.w);
                        c = Now() - t0;
                    }});
    ways.push_back({"view: EM_EXLINEFROMCHAR + EM_LINEINDEX", [](Doc& d, int, double& c) {
                        double t0 = Now();
                        LRESULT line = SendMessageA(d.w, EM_EXLINEFROMCHAR, 0, d.from);
                        SendMessageA(d.w, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
                        c = Now() - t0;
                    }});
    ways.push_back({"view: EM_CHARFROMPOS + EM_POSFROMCHAR", [](Doc& d, int, double& c) {
                        double t0 = Now();
                        POINTL p{1, 1}, at{};
                        SendMessageA(d.w, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&p));
                        SendMessageA(d.w, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), d.from);
                        c = Now() - t0;
                    }});
    ways.push_back({"view: EM_GETTEXTRANGE 4 kB", [](Doc& d, int, double& c) {
                        double t0 = Now();
                        std::string text(4097, '\0');
                        TEXTRANGEA tr{{std::max<LONG>(0, d.from - 4096), d.from}, text.data()};
                        SendMessageA(d.w, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&tr));
                        c = Now() - t0;
                    }});
    ways.push_back({"view: EM_SETSCROLLPOS where it is", [](Doc& d, int, double& c) {
                        double t0 = Now();
                        POINT at{};
                        SendMessageA(d.w, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&at));
                        SendMessageA(d.w, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&at));
                        c = Now() - t0;
                    }});
    return ways;
}

// The page drawn after a change, as the view draws it: invalid, painted.
double Draw(Doc& d) {
    double t0 = Now();
    InvalidateRect(d.w, nullptr, TRUE);
    UpdateWindow(d.w);
    return Now() - t0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_pageformat SMALL LARGE [RUNS] [CLASS] [PLACE] [WAYS]\n");
        return 2;
    }
    int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    if (argc > 4) g_class = argv[4];
    // Where the page is: 0 to 100 per cent of the document (default the middle).
    int place = argc > 5 ? std::clamp(std::atoi(argv[5]), 0, 100) : 50;
    HMODULE lib = LoadLibraryA(_stricmp(g_class.c_str(), "RICHEDIT50W") == 0 ? "MSFTEDIT.DLL" : "RICHED20.DLL");
    if (!lib) std::fprintf(stderr, "no rich edit library (error %lu)\n", GetLastError());
    OleInitialize(nullptr);
    std::string smallName = FullPath(argv[1]), largeName = FullPath(argv[2]);
    if (smallName.empty() || largeName.empty()) return 2;
    double t0 = Now();
    Doc docs[2] = {Make(smallName.c_str(), 0, 0, false), Make(largeName.c_str(), 380, 0, true)};
    double loaded = Now() - t0;
    for (Doc& d : docs) {
        ScrollTo(d, static_cast<LONG>(static_cast<long long>(d.length) * place / 100));
        Pump();
    }
    std::printf("class %s, page at %d%%; loaded both in %.0f ms; tom %s\n", g_class.c_str(), place, loaded,
                docs[1].tom ? "yes" : "no");
    for (Doc& d : docs)
        std::printf("  %s: %ld characters in %d part(s), page %ld..%ld (%ld)\n", d.name.c_str(),
                    static_cast<long>(d.length), d.pieces, static_cast<long>(d.from), static_cast<long>(d.to),
                    static_cast<long>(d.to - d.from));
    std::fflush(stdout);
    // Only the ways whose names begin with this text (all by default).
    std::vector<Way> ways;
    for (Way& w : Ways())
        if (argc <= 6 || std::strncmp(w.name, argv[6], std::strlen(argv[6])) == 0) ways.push_back(w);
    // [way][doc] change and draw times.
    std::vector<std::vector<std::vector<double>>> change(ways.size(), std::vector<std::vector<double>>(2)),
        draw = change;
    int points = 13;
    for (int run = 0; run < runs; ++run) {
        for (std::size_t k = 0; k < ways.size(); ++k) {
            for (int j = 0; j < 2; ++j) {
                int i = (run + static_cast<int>(k)) % 2 == 0 ? j : 1 - j;
                points = points == 13 ? 14 : 13;
                double c = 0;
                ways[k].run(docs[i], points, c);
                double dr = Draw(docs[i]);
                Pump();
                change[k][i].push_back(c);
                draw[k][i].push_back(dr);
                std::fprintf(stderr, "  %-40s %s %9.1f %9.1f\n", ways[k].name, i ? "large" : "small", c, dr);
            }
        }
        std::fprintf(stderr, "run %d done\n", run + 1);
    }
    double lengths = static_cast<double>(docs[1].length) / std::max<LONG>(1, docs[0].length);
    std::printf("\n%-40s %9s %9s %9s %9s %7s\n", "way (median of runs, ms)", "small:chg", "draw", "large:chg", "draw",
                "ratio");
    for (std::size_t k = 0; k < ways.size(); ++k) {
        double sc = Median(change[k][0]), sd = Median(draw[k][0]), lc = Median(change[k][1]), ld = Median(draw[k][1]);
        std::printf("%-40s %9.1f %9.1f %9.1f %9.1f %7.1f\n", ways[k].name, sc, sd, lc, ld,
                    (lc + ld) / std::max(0.1, sc + sd));
    }
    std::printf("length ratio of the documents: %.1f\n", lengths);
    std::fflush(stdout);
    // The whole of each document in one change, for reference (the bare
    // window's "+").
    double all[2];
    for (int i = 0; i < 2; ++i) {
        double s = Now();
        CHARFORMAT2A f{};
        f.cbSize = sizeof f;
        f.dwMask = CFM_SIZE;
        f.yHeight = 15 * 20;
        SendMessageA(docs[i].w, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&f));
        UpdateWindow(docs[i].w);
        all[i] = Now() - s + Draw(docs[i]);
    }
    std::printf("%-40s %9.1f %9s %9.1f %9s %7.1f\n", "SCF_ALL, whole document (once)", all[0], "", all[1], "",
                all[1] / std::max(0.1, all[0]));
    return 0;
}
