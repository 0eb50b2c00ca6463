#include "shelf/ShelfBooks.h"

#include <algorithm>

#include "BmpFile.h"
#include "LauncherLink.h"
#include "LayoutStream.h"
#include "WideText.h"

namespace shelf {

namespace {

using launcher::kMappingName;
using launcher::kMappingSize;
using launcher::kMessageName;

// A data file's resource, or empty.
std::string ResourceBytes(HMODULE m, LPCSTR name, LPCSTR type) {
    HRSRC r = FindResourceA(m, name, type);
    HGLOBAL g = r ? LoadResource(m, r) : nullptr;
    const char* d = g ? static_cast<const char*>(LockResource(g)) : nullptr;
    return d ? std::string(d, SizeofResource(m, r)) : std::string();
}

// The bitmap file inside the first Picture.Data of a stored layout.
std::string StoredPicture(const layout::Node& n) {
    if (const layout::Value* v = n.Find("Picture.Data"); v && v->tag == layout::Tag::Binary) {
        const std::string& d = v->s;
        std::size_t nameLen = d.empty() ? 0 : static_cast<unsigned char>(d[0]);
        if (d.size() > 1 + nameLen + 4 && d.compare(1, nameLen, "TBitmap") == 0) return d.substr(1 + nameLen + 4);
    }
    for (const layout::Node& c : n.children)
        if (std::string p = StoredPicture(c); !p.empty()) return p;
    return {};
}

// UTF-8 (the tags) to the framework's narrow text.
std::string Narrow(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return AnsiFromWide(w);
}

}  // namespace

ShelfEntry ReadEntry(const std::string& folder, const std::string& fileName) {
    ShelfEntry e;
    e.fileName = fileName;
    e.path = folder + "\\" + fileName;
    HMODULE m = LoadLibraryExA(e.path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!m) {
        e.reason = "not a Windows program";
        return e;
    }
    bool truncated = false;
    const std::string block = ResourceBytes(m, MAKEINTRESOURCEA(launcher::kLinesBlock), RT_STRING);
    auto strings = ReadStringBlock(block, launcher::kLinesBlock, &truncated);
    e.tags = ParseTags(strings);
    for (std::string* f : {&e.tags.author, &e.tags.title, &e.tags.year, &e.tags.series, &e.tags.rating})
        *f = Narrow(*f);
    // Built apart: GCC 12 at -O3 takes the literal pushed in place for an
    // overflow of the short-string buffer (a false -Warray-bounds).
    static const std::string kCutShort = "the string table is cut short";
    if (truncated) e.tags.problems.push_back(kCutShort);
    e.isBook = e.tags.IsBook();
    if (!e.isBook) e.reason = strings.empty() ? "no launcher tags" : "no [NAM] line naming a program";
    std::string skin = ResourceBytes(m, "TFORM1", RT_RCDATA);
    if (e.isBook && !skin.empty()) {
        try {
            e.coverBmp = StoredPicture(layout::Decode(skin.data(), skin.size(), "TForm1"));
        } catch (const std::exception&) {
            // A damaged layout: the book is listed without its cover.
        }
    }
    FreeLibrary(m);
    return e;
}

std::vector<ShelfEntry> ScanFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd{};
    HANDLE h = FindFirstFileA((folder + "\\*.exe").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    std::vector<ShelfEntry> out;
    for (const std::string& n : names) out.push_back(ReadEntry(folder, n));
    return out;
}

bool IsRunning(const ShelfEntry& e) {
    UniqueKernelHandle m(OpenMutexA(SYNCHRONIZE, FALSE, e.fileName.c_str()));
    return static_cast<bool>(m);
}

bool StartBook(const ShelfEntry& e, const std::vector<std::string>& args, std::string& error) {
    std::string line = CommandLine(e.path, args);
    std::string dir = e.path.substr(0, e.path.find_last_of('\\'));
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::vector<char> buf(line.begin(), line.end());
    buf.push_back('\0');
    if (!CreateProcessA(e.path.c_str(), buf.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
        error = "Cannot start " + e.fileName + " (error " + std::to_string(GetLastError()) + ").";
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

CloseCommand::CloseCommand()
    : mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMappingSize, kMappingName)) {
    if (mapping_) view_ = static_cast<char*>(MapViewOfFile(mapping_.Get(), FILE_MAP_WRITE, 0, 0, kMappingSize));
}

CloseCommand::~CloseCommand() {
    if (view_) UnmapViewOfFile(view_);
}

bool CloseCommand::Send(const ShelfEntry& e) {
    // The skin window: its class, and its caption the identifier (the
    // program's hidden application window carries the same caption).
    HWND skin = FindWindowA("TForm1", e.tags.Identifier().c_str());
    if (!skin || !view_) return false;
    ZeroMemory(view_, kMappingSize);
    view_[0] = 'C';
    return PostMessageA(skin, RegisterWindowMessageA(kMessageName), launcher::kCommandWaiting, 0) != FALSE;
}

HBITMAP CoverThumbnail(const std::string& bmpFile, int side, COLORREF background) {
    BmpImage img;
    std::string error;
    if (bmpFile.empty() || !DecodeBmp(bmpFile, img, error) || img.width <= 0 || img.height <= 0) return nullptr;
    // The colour cut away around the cover (its bottom-left pixel) takes the
    // list's background; each thumbnail pixel is the mean of the cover
    // pixels it covers.
    const std::uint32_t cut = img.At(0, img.height - 1);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = side;
    bi.bmiHeader.biHeight = -side;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) return nullptr;
    auto* out = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            int x0 = x * img.width / side, x1 = std::max(x0 + 1, (x + 1) * img.width / side);
            int y0 = y * img.height / side, y1 = std::max(y0 + 1, (y + 1) * img.height / side);
            unsigned long r = 0, g = 0, b = 0, n = 0;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    std::uint32_t c = img.At(sx, sy);
                    if (c == cut) c = background;
                    r += c & 0xFF;
                    g += (c >> 8) & 0xFF;
                    b += (c >> 16) & 0xFF;
                    ++n;
                }
            out[static_cast<std::size_t>(y) * side + x] = (r / n) << 16 | (g / n) << 8 | (b / n);
        }
    return bmp;
}

}  // namespace shelf
