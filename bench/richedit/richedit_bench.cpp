// richedit_bench FILE.rtf [RUNS]: loads one RTF document three ways in the
// same run, alternating their order, and prints minimum, median and maximum
// per way and the ratios of the medians to the bare window:
//   bare    a "RichEdit20A" window made and fed with EM_STREAMIN (SF_RTF)
//           from memory, nothing else;
//   data    a window layout whose TwwDBRichEdit carries the document as its
//           stored Data block, loaded the way the program loads its windows;
//   file    a TwwDBRichEdit made in code loading the file through Lines.
// Every way must end with the same text length.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "Forms.h"
#include "richedit/wwRichEdit.h"

#include "../BenchCommon.h"

using namespace bench;

namespace {

class TBenchForm : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TBenchForm(TComponent* owner) : TForm(owner) {}
};
CX_IMPLEMENT_CLASS(TBenchForm, TCustomForm, CX_ABSTRACT, {})

constexpr int kLimit = 0x7FFFFFF0;

HWND Host() {
    static HWND host = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "RichBenchHost";
        RegisterClassA(&wc);
        return CreateWindowExA(0, "RichBenchHost", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }();
    return host;
}

// The bare platform window: made, limit lifted, streamed into.
int Bare(const std::string& rtf, double& ms) {
    double t0 = Now();
    HWND w = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL,
                             0, 0, 298, 325, Host(), nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(w, EM_EXLIMITTEXT, 0, kLimit);
    if (getenv("BARE_LINKS")) SendMessageA(w, EM_AUTOURLDETECT, TRUE, 0);
    Source src{&rtf};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&src), 0, FromMemory};
    SendMessageA(w, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    ms = Now() - t0;
    int len = static_cast<int>(SendMessageA(w, WM_GETTEXTLENGTH, 0, 0));
    DestroyWindow(w);
    return len;
}

std::string DataBlock(const std::string& rtf) {
    std::string s;
    auto n = static_cast<std::uint32_t>(rtf.size());
    for (int k = 0; k < 4; ++k) s += static_cast<char>((n >> (8 * k)) & 0xFF);
    return s + rtf;
}

// The program's way: a window layout carrying the document.
int FromLayout(const std::string& layoutBytes, double& ms) {
    double t0 = Now();
    auto* form = new TBenchForm(Application);
    form->LoadLayoutFrom(layoutBytes.data(), layoutBytes.size());
    auto* edit = dynamic_cast<TwwDBRichEdit*>(form->FindComponent("RichEdit2"));
    edit->HandleNeeded();
    ms = Now() - t0;
    int len = edit->GetTextLen();
    delete form;
    return len;
}

// Through the line list, from the file.
int FromFile(const std::string& path, double& ms) {
    double t0 = Now();
    auto* form = new TBenchForm(Application);
    form->SetBounds(0, 0, 430, 400);
    auto* edit = new TwwDBRichEdit(form);
    edit->SetBounds(0, 0, 298, 325);
    edit->SetScrollBars(TScrollStyle::ssVertical);
    edit->SetReadOnly(true);
    edit->SetAutoURLDetect(true);
    edit->SetMaxLength(kLimit);
    edit->SetParent(form);
    edit->Lines()->LoadFromFile(path);
    ms = Now() - t0;
    int len = edit->GetTextLen();
    delete form;
    return len;
}

void Print(const char* name, std::vector<double> v, double base) {
    std::sort(v.begin(), v.end());
    double med = v[v.size() / 2];
    std::printf("  %-6s min %10.1f ms  median %10.1f ms  max %10.1f ms  ratio %.3f\n", name, v.front(), med, v.back(),
                base > 0 ? med / base : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_richedit FILE.rtf [RUNS]\n");
        return 2;
    }
    std::string path = argv[1];
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::ifstream f(path, std::ios::binary);
    std::string rtf((std::istreambuf_iterator<char>(f)), {});
    if (rtf.empty()) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 2;
    }
    TApplication app;
    Application->Initialize();
    Application->SetTitle("bench_richedit");
    LoadLibraryA("RICHED20.DLL");

    // The reading window's book view, as its layout stores it.
    layout::Node edit{"TwwDBRichEdit", "RichEdit2", {}, {}};
    edit.props = {{"Left", layout::Value::Int(0)}, {"Top", layout::Value::Int(0)},
                  {"Width", layout::Value::Int(298)}, {"Height", layout::Value::Int(325)},
                  {"ReadOnly", layout::Value::Bool(true)}, {"ScrollBars", layout::Value::Id("ssVertical")},
                  {"AutoURLDetect", layout::Value::Bool(true)}, {"MaxLength", layout::Value::Int(kLimit)},
                  {"RichEditVersion", layout::Value::Int(2)}, {"Data", layout::Value::Bin(DataBlock(rtf))}};
    layout::Node form{"TBenchForm", "frmBench", {{"ClientWidth", layout::Value::Int(422)},
                                                 {"ClientHeight", layout::Value::Int(366)}}, {edit}};
    std::string layoutBytes = layout::Encode(form);

    std::printf("%s: %.2f MB of RTF, %d runs\n", path.c_str(), rtf.size() / 1048576.0, runs);
    std::fflush(stdout);
    std::vector<double> bare, data, file;
    int lenBare = -1, lenData = -1, lenFile = -1;
    for (int r = 0; r < runs; ++r) {
        std::vector<std::function<void()>> ways = {
            [&] { double ms; lenBare = Bare(rtf, ms); bare.push_back(ms); },
            [&] { double ms; lenData = FromLayout(layoutBytes, ms); data.push_back(ms); },
            [&] { double ms; lenFile = FromFile(path, ms); file.push_back(ms); },
        };
        // Each run starts with a different way, so none always meets a warm heap.
        for (int k = 0; k < 3; ++k) ways[static_cast<std::size_t>((r + k) % 3)]();
        std::printf("  run %d: bare %.1f ms, data %.1f ms, file %.1f ms\n", r + 1, bare.back(), data.back(), file.back());
        std::fflush(stdout);
    }
    double base = Median(bare);
    Print("bare", bare, base);
    Print("data", data, base);
    Print("file", file, base);
    std::printf("  text length: bare %d, data %d, file %d%s\n", lenBare, lenData, lenFile,
                lenBare == lenData && lenBare == lenFile ? "" : "  MISMATCH");
    return lenBare == lenData && lenBare == lenFile ? 0 : 1;
}
