// bench_bigload FILE.rtf [RUNS] [VARIANT...]: where the time goes when a large
// RTF document streams into the platform's rich edit window. Each variant
// loads the same bytes into a fresh "RichEdit20A" window (298 x 325, vertical
// scroll bar, shown), ends with the window painted, and streams the document
// out again: every variant must give the same RTF as the bare one-piece load
// (the first variant), or it says how it differs. Variants run in turn,
// RUNS rounds, the order rotating each round; the figures are the medians and
// their ratio to the first variant.
//
// A variant is words joined by '+':
//   one        the whole document in one EM_STREAMIN (SF_RTF)
//   pN         in pieces of about N KB, cut where both formats start afresh;
//              each piece is the document's header, its part of the body and
//              "}", appended at the end of what came before (SFF_SELECTION)
//   sN         the same pieces, every one streamed into the selection at the
//              end (the first too), the last paragraph break taken off after
//   tailN      the same pieces, but the last part first as the whole
//              document and the others in front of it in order, each
//              ending with the control words that open the last part
//   redraw     WM_SETREDRAW off during the load
//   events     the control's own event mask (change, selection change,
//              resize request, protected, link) during the load (default: 0)
//   undo0      EM_SETUNDOLIMIT 0 during the load, 100 after
//   single     EM_SETTEXTMODE TM_RICHTEXT | TM_SINGLELEVELUNDO before the load
//   nowrap     EM_SETTARGETDEVICE (no device, width 1: no wrapping) during
//              the load, wrapping to the window after
//   hidden     the window hidden during the load, shown after
//   links      automatic link detection on during the load (the book view
//              has it); "linksafter" turns it on after the load
//   nolimit    the text limit raised (default) - "limit" leaves it at 32767+
//              fit (Wine raises it to fit)
// Example: bench_bigload book.rtf 2 one p64+redraw p64+redraw+undo0+nowrap
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "richedit/wwRichEditLoad.h"

#include "../BenchCommon.h"
#include "RtfSame.h"

using namespace bench;
using rtfsame::WithoutKeepNext;

namespace {

DWORD CALLBACK ToString(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<char*>(buf), static_cast<std::size_t>(cb));
    *done = cb;
    return 0;
}

bool StreamIn(HWND w, const std::string& bytes, WPARAM format) {
    Source src{&bytes};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&src), 0, FromMemory};
    SendMessageA(w, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0;
}

std::string StreamOut(HWND w, WPARAM format) {
    std::string out;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&out), 0, ToString};
    SendMessageA(w, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&es));
    return out;
}

HWND Host() {
    static HWND host = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "BigLoadHost";
        RegisterClassA(&wc);
        HWND h = CreateWindowExA(0, "BigLoadHost", "bench_bigload", WS_OVERLAPPEDWINDOW, 40, 40, 430, 400, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        ShowWindow(h, SW_SHOW);
        UpdateWindow(h);
        return h;
    }();
    return host;
}

struct Variant {
    std::string name;
    std::size_t pieceBytes = 0;  // 0: one piece
    bool tail = false, sel = false, redraw = false, events = false, undo0 = false, single = false, nowrap = false,
         hidden = false, links = false, linksAfter = false;
};

bool Parse(const std::string& recipe, Variant& v) {
    v.name = recipe;
    std::size_t at = 0;
    while (at <= recipe.size()) {
        std::size_t end = recipe.find('+', at);
        if (end == std::string::npos) end = recipe.size();
        std::string w = recipe.substr(at, end - at);
        if (w == "one") v.pieceBytes = 0;
        else if (w.size() > 1 && w[0] == 'p' && std::isdigit(static_cast<unsigned char>(w[1])))
            v.pieceBytes = std::strtoul(w.c_str() + 1, nullptr, 10) * 1024;
        else if (w.size() > 1 && w[0] == 's' && std::isdigit(static_cast<unsigned char>(w[1]))) {
            v.sel = true;
            v.pieceBytes = std::strtoul(w.c_str() + 1, nullptr, 10) * 1024;
        } else if (w.rfind("tail", 0) == 0 && w.size() > 4) {
            v.tail = true;
            v.pieceBytes = std::strtoul(w.c_str() + 4, nullptr, 10) * 1024;
        } else if (w == "redraw") v.redraw = true;
        else if (w == "events") v.events = true;
        else if (w == "undo0") v.undo0 = true;
        else if (w == "single") v.single = true;
        else if (w == "nowrap") v.nowrap = true;
        else if (w == "hidden") v.hidden = true;
        else if (w == "links") v.links = true;
        else if (w == "linksafter") v.linksAfter = true;
        else return false;
        at = end + 1;
    }
    return true;
}

// The pieces' boundaries: the header end, then cuts about pieceBytes apart.
std::vector<std::size_t> Points(const std::string& rtf, std::size_t pieceBytes) {
    TRtfCuts c = FindRtfCuts(rtf);
    std::vector<std::size_t> p;
    if (c.cuts.empty()) return p;
    p.push_back(c.bodyStart);
    for (std::size_t cut : c.cuts)
        if (cut - p.back() >= pieceBytes && rtf.size() - cut >= pieceBytes / 2) p.push_back(cut);
    return p;
}

struct Result {
    double total = 0, first = 0, cpu = 0;
    std::string rtf;
    std::string text;
};

Result Load(const std::string& rtf, const Variant& v) {
    Result r;
    std::vector<std::size_t> points = v.pieceBytes ? Points(rtf, v.pieceBytes) : std::vector<std::size_t>{};
    double t0 = Now(), c0 = Cpu();
    HWND w = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "",
                             WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL | ES_READONLY, 0, 0, 298, 325, Host(),
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(w, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    if (v.single) SendMessageA(w, EM_SETTEXTMODE, TM_RICHTEXT | TM_SINGLELEVELUNDO, 0);
    if (v.events)
        SendMessageA(w, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_PROTECTED | ENM_LINK);
    if (v.links) SendMessageA(w, EM_AUTOURLDETECT, TRUE, 0);
    if (v.undo0) SendMessageA(w, EM_SETUNDOLIMIT, 0, 0);
    if (v.nowrap) SendMessageA(w, EM_SETTARGETDEVICE, 0, 1);
    if (v.hidden) ShowWindow(w, SW_HIDE);
    if (v.redraw) SendMessageA(w, WM_SETREDRAW, FALSE, 0);
    auto firstIn = [&] {
        if (r.first == 0) r.first = Now() - t0;
    };
    bool ok = true;
    if (points.size() < 2) {
        ok = StreamIn(w, rtf, SF_RTF);
        firstIn();
    } else {
        std::string header = rtf.substr(0, points.front());
        if (!v.tail) {
            for (std::size_t k = 1; k <= points.size() && ok; ++k) {
                std::size_t from = points[k - 1];
                std::string piece = k < points.size() ? header + rtf.substr(from, points[k] - from) + "}"
                                                      : header + rtf.substr(from);
                if (k == 1 && v.sel && k < points.size()) {
                    // A whole load makes the last paragraph break the
                    // document's end: one more break stays for the next piece.
                    ok = StreamIn(w, header + rtf.substr(from, points[k] - from) + "\\par}", SF_RTF);
                    firstIn();
                } else if (k == 1) {
                    ok = StreamIn(w, piece, SF_RTF);
                    firstIn();
                } else {
                    CHARRANGE end{-1, -1};
                    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
                    ok = StreamIn(w, piece, SF_RTF | SFF_SELECTION);
                    if (k == 1) firstIn();
                }
            }
            if (v.sel) {
                // Streamed into a selection, the last piece keeps its last
                // paragraph break, which a whole load makes the document's end.
                GETTEXTLENGTHEX g{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
                LONG len = static_cast<LONG>(SendMessageA(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0));
                CHARRANGE last{len - 1, len};
                SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&last));
                SendMessageA(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
            }
        } else {
            ok = StreamIn(w, header + rtf.substr(points.back()), SF_RTF);
            LONG at = 0;
            // Each piece ends with the control words that open the last
            // part: the paragraph the pieces go in front of keeps its formats.
            std::size_t e = points.back();
            while (e < rtf.size() && rtf[e] == '\\') {
                std::size_t k = e + 1;
                while (k < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[k]))) ++k;
                if (k == e + 1) break;
                if (k < rtf.size() && rtf[k] == '-') ++k;
                while (k < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[k]))) ++k;
                if (k < rtf.size() && rtf[k] == ' ') ++k;
                while (k < rtf.size() && (rtf[k] == '\r' || rtf[k] == '\n')) ++k;
                e = k;
            }
            std::string opening = rtf.substr(points.back(), e - points.back());
            for (std::size_t k = 1; k < points.size() && ok; ++k) {
                GETTEXTLENGTHEX g{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
                LONG before = static_cast<LONG>(SendMessageA(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0));
                CHARRANGE sel{at, at};
                SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&sel));
                ok = StreamIn(w, header + rtf.substr(points[k - 1], points[k] - points[k - 1]) + opening + "}",
                              SF_RTF | SFF_SELECTION);
                if (k == 1) firstIn();
                at += static_cast<LONG>(SendMessageA(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0)) - before;
            }
        }
    }
    CHARRANGE start{0, 0};
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    if (v.redraw) SendMessageA(w, WM_SETREDRAW, TRUE, 0);
    if (v.nowrap) SendMessageA(w, EM_SETTARGETDEVICE, 0, 0);
    if (v.undo0) SendMessageA(w, EM_SETUNDOLIMIT, 100, 0);
    if (v.hidden) ShowWindow(w, SW_SHOW);
    if (v.linksAfter) SendMessageA(w, EM_AUTOURLDETECT, TRUE, 0);
    InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);
    Pump();
    r.total = Now() - t0;
    r.cpu = Cpu() - c0;
    if (!ok) std::printf("    %s: stream-in reported an error\n", v.name.c_str());
    r.rtf = StreamOut(w, SF_RTF);
    r.text = StreamOut(w, SF_TEXT);
    DestroyWindow(w);
    return r;
}

// Where two documents first differ, for the report.
std::string FirstDifference(const std::string& a, const std::string& b) {
    std::size_t k = 0;
    while (k < a.size() && k < b.size() && a[k] == b[k]) ++k;
    std::size_t from = k > 60 ? k - 60 : 0;
    auto show = [&](const std::string& s) {
        std::string t = s.substr(from, 140);
        for (char& c : t)
            if (c == '\r' || c == '\n') c = ' ';
        return t;
    };
    return "at byte " + std::to_string(k) + " of " + std::to_string(a.size()) + "/" + std::to_string(b.size()) +
           ":\n      " + show(a) + "\n      " + show(b);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_bigload FILE.rtf [RUNS] [VARIANT...]\n");
        return 2;
    }
    std::ifstream f(argv[1], std::ios::binary);
    std::string rtf((std::istreambuf_iterator<char>(f)), {});
    if (rtf.empty()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    std::vector<Variant> variants;
    for (int k = 3; k < argc; ++k) {
        Variant v;
        if (!Parse(argv[k], v)) {
            std::fprintf(stderr, "unknown variant %s\n", argv[k]);
            return 2;
        }
        variants.push_back(v);
    }
    if (variants.empty()) {
        for (const char* s : {"one", "p64+redraw", "p64+redraw+undo0+nowrap+hidden"}) {
            Variant v;
            Parse(s, v);
            variants.push_back(v);
        }
    }
    LoadLibraryA("RICHED20.DLL");
    Host();
    std::printf("%s: %.2f MB of RTF, %d runs, %zu variants\n", argv[1], rtf.size() / 1048576.0, runs,
                variants.size());
    std::fflush(stdout);
    std::vector<std::vector<double>> totals(variants.size()), firsts(variants.size()), cpus(variants.size());
    std::vector<std::string> refRtf(variants.size()), refText(variants.size());
    for (int r = 0; r < runs; ++r) {
        for (std::size_t k = 0; k < variants.size(); ++k) {
            std::size_t i = (k + static_cast<std::size_t>(r)) % variants.size();
            Result res = Load(rtf, variants[i]);
            totals[i].push_back(res.total);
            firsts[i].push_back(res.first);
            cpus[i].push_back(res.cpu);
            refRtf[i] = std::move(res.rtf);
            refText[i] = std::move(res.text);
            std::printf("  run %d %-36s %10.1f ms, processor %10.1f ms (first piece in %8.1f ms)\n", r + 1,
                        variants[i].name.c_str(), res.total, res.cpu, res.first);
            std::fflush(stdout);
        }
    }
    double base = Median(totals[0]), baseCpu = Median(cpus[0]);
    int bad = 0;
    std::printf("medians (ratio to %s):\n", variants[0].name.c_str());
    for (std::size_t i = 0; i < variants.size(); ++i) {
        std::string same;
        if (refRtf[i] == refRtf[0]) same = "same RTF";
        else if (WithoutKeepNext(refRtf[i]) == WithoutKeepNext(refRtf[0])) same = "same RTF but \\keepn";
        else {
            same = refText[i] == refText[0] ? "same text, RTF differs" : "TEXT DIFFERS";
            ++bad;
        }
        std::printf("  %-36s %9.1f ms ratio %.3f | processor %9.1f ms ratio %.3f | first %8.1f ms | %s\n",
                    variants[i].name.c_str(), Median(totals[i]), base > 0 ? Median(totals[i]) / base : 0.0,
                    Median(cpus[i]), baseCpu > 0 ? Median(cpus[i]) / baseCpu : 0.0, Median(firsts[i]), same.c_str());
        if (refRtf[i] != refRtf[0] && WithoutKeepNext(refRtf[i]) != WithoutKeepNext(refRtf[0]))
            std::printf("    %s\n", FirstDifference(WithoutKeepNext(refRtf[0]), WithoutKeepNext(refRtf[i])).c_str());
    }
    return bad ? 1 : 0;
}
