// codexia-make: puts a book folder into a copy of the reader template.
//   codexia-make <book folder> [-o <file>.Exe] [--template <file>]
// The folder is checked whole before anything is written; the book is
// written through a temporary file beside the output, so a failure leaves
// no half-made book.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Files.h"
#include "core/BookFolder.h"
#include "core/BookResources.h"

namespace {

using bookmaker::Resource;

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}
std::wstring Wide(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// Lines go to the console as text, or to a file or pipe as UTF-8.
void Write(DWORD which, const std::string& line) {
    HANDLE h = GetStdHandle(which);
    std::string text = line + "\n";
    DWORD mode = 0, done = 0;
    if (GetConsoleMode(h, &mode)) {
        std::wstring w = Wide(text);
        WriteConsoleW(h, w.data(), static_cast<DWORD>(w.size()), &done, nullptr);
    } else {
        WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    }
}
void Out(const std::string& line) { Write(STD_OUTPUT_HANDLE, line); }
void Err(const std::string& line) { Write(STD_ERROR_HANDLE, line); }

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring w = text ? text : L"";
    if (text) LocalFree(text);
    while (!w.empty() && (w.back() == L'\n' || w.back() == L'\r' || w.back() == L' ' || w.back() == L'.'))
        w.pop_back();
    return w.empty() ? "error " + std::to_string(code) : Utf8(w);
}

bool ReadWhole(const std::wstring& path, std::string& bytes, std::string& error) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        error = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? "the file is not in the book folder"
                                                                       : "cannot be read: " + SystemMessage(e);
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(f, &size) && size.QuadPart < (1LL << 30);
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() || (::ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                               got == bytes.size());
    }
    if (!ok) error = "cannot be read: " + SystemMessage(GetLastError());
    CloseHandle(f);
    return ok;
}

std::wstring FullPath(const std::wstring& p) {
    DWORD n = GetFullPathNameW(p.c_str(), 0, nullptr, nullptr);
    if (n == 0) return p;
    std::wstring out(n, L'\0');
    n = GetFullPathNameW(p.c_str(), n, out.data(), nullptr);
    out.resize(n);
    return out;
}
std::wstring FolderOf(const std::wstring& path) {
    std::size_t s = path.find_last_of(L"\\/");
    return s == std::wstring::npos ? L"." : path.substr(0, s);
}

// The layouts that carry a book, kept in this program's own resources as
// their text ("<CLASS>_LAYOUT").
BOOL CALLBACK AddLayoutText(HMODULE mod, LPCWSTR, LPWSTR name, LONG_PTR param) {
    if (IS_INTRESOURCE(name)) return TRUE;
    std::wstring n = name;
    const std::wstring suffix = L"_LAYOUT";
    if (n.size() <= suffix.size() || n.compare(n.size() - suffix.size(), suffix.size(), suffix) != 0) return TRUE;
    HRSRC r = FindResourceW(mod, name, MAKEINTRESOURCEW(bookmaker::kTypeData));
    HGLOBAL g = r ? LoadResource(mod, r) : nullptr;
    const char* data = g ? static_cast<const char*>(LockResource(g)) : nullptr;
    if (data)
        reinterpret_cast<std::vector<bookmaker::LayoutSource>*>(param)->push_back(
            {Utf8(n.substr(0, n.size() - suffix.size())), std::string(data, SizeofResource(mod, r))});
    return TRUE;
}
std::vector<bookmaker::LayoutSource> BookLayoutTexts() {
    std::vector<bookmaker::LayoutSource> out;
    EnumResourceNamesW(nullptr, MAKEINTRESOURCEW(bookmaker::kTypeData), AddLayoutText,
                       reinterpret_cast<LONG_PTR>(&out));
    return out;
}

// The resources of a template or an earlier book that a new book replaces
// or must not keep: its layouts, string block 1, version and icons.
struct ClearContext {
    std::vector<Resource>* out;
    std::uint16_t type;
};
BOOL CALLBACK AddToClear(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    auto* c = reinterpret_cast<ClearContext*>(param);
    if (IS_INTRESOURCE(name))
        c->out->push_back(Resource{c->type, "", static_cast<std::uint16_t>(reinterpret_cast<ULONG_PTR>(name)), ""});
    else
        c->out->push_back(Resource{c->type, Utf8(name), 0, ""});
    return TRUE;
}
std::vector<Resource> ResourcesToClear(HMODULE tmpl, const std::vector<Resource>& book) {
    std::vector<Resource> out;
    for (std::uint16_t type : {bookmaker::kTypeIcon, bookmaker::kTypeGroupIcon}) {
        ClearContext ctx{&out, type};
        EnumResourceNamesW(tmpl, MAKEINTRESOURCEW(type), AddToClear, reinterpret_cast<LONG_PTR>(&ctx));
    }
    std::vector<Resource> kept;
    for (Resource& r : out) {
        bool replaced = false;
        for (const Resource& b : book) replaced |= b.type == r.type && b.name == r.name && b.id == r.id;
        if (!replaced) kept.push_back(std::move(r));
    }
    return kept;
}

bool Put(HANDLE update, const Resource& r, bool remove) {
    std::wstring name = Wide(r.name);
    LPCWSTR n = r.name.empty() ? MAKEINTRESOURCEW(r.id) : name.c_str();
    return UpdateResourceW(update, MAKEINTRESOURCEW(r.type), n, bookmaker::kResourceLanguage,
                           remove ? nullptr : const_cast<char*>(r.bytes.data()),
                           remove ? 0 : static_cast<DWORD>(r.bytes.size())) != FALSE;
}

class Progress {
public:
    explicit Progress(bool verbose) : verbose_(verbose), start_(std::chrono::steady_clock::now()) {}
    // A step's line, for books that take longer than a second (and once
    // a second has gone by, for any book).
    void Step(const std::string& what) {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
        if (verbose_ || ms.count() > 1000) Out("codexia-make: " + what);
    }

private:
    bool verbose_;
    std::chrono::steady_clock::time_point start_;
};

int Usage() {
    Err("usage: codexia-make <book folder> [-o <file>.Exe] [--template <file>]");
    return 2;
}

int Make(const std::vector<std::wstring>& args) {
    std::wstring folder, output, templ;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::wstring& a = args[k];
        if ((a == L"-o" || a == L"--output") && k + 1 < args.size()) output = args[++k];
        else if (a == L"--template" && k + 1 < args.size()) templ = args[++k];
        else if (a == L"-h" || a == L"--help" || a == L"/?") return Usage();
        else if (!a.empty() && a[0] == L'-') return Err("codexia-make: unknown option " + Utf8(a)), Usage();
        else if (folder.empty()) folder = a;
        else return Err("codexia-make: more than one book folder given"), Usage();
    }
    if (folder.empty()) return Usage();
    folder = FullPath(folder);
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    if (templ.empty()) {
        wchar_t self[MAX_PATH * 4] = L"";
        GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
        templ = FolderOf(self) + L"\\codexia-reader.exe";
    }
    templ = FullPath(templ);

    // The folder, checked whole.
    std::string metaText, error;
    if (!ReadWhole(folder + L"\\book.meta", metaText, error)) {
        Err(Utf8(folder) + "\\book.meta: " + (error == "the file is not in the book folder" ? "missing: this is not a book folder" : error));
        return 1;
    }
    std::uint64_t folderBytes = metaText.size();
    bookmaker::ReadFile read = [&](const std::string& name, std::string& bytes, std::string& why) {
        std::wstring w = Wide(name);
        bool absolute = w.size() > 1 && (w[1] == L':' || w[0] == L'\\' || w[0] == L'/');
        bool ok = ReadWhole(absolute ? w : folder + L"\\" + w, bytes, why);
        folderBytes += bytes.size();
        return ok;
    };
    bookmaker::Book book;
    std::vector<std::string> problems = bookmaker::CheckBook(metaText, read, book);
    // The template is only looked for here; it is read when it is copied.
    if (!PathExists(templ))
        problems.push_back(Utf8(templ) + " (the reader template): missing");
    if (!problems.empty()) {
        for (const std::string& p : problems) Err(p);
        Err("codexia-make: " + std::to_string(problems.size()) + (problems.size() == 1 ? " problem" : " problems") +
            " in " + Utf8(folder) + "; nothing was written");
        return 1;
    }
    Progress progress(folderBytes > (4u << 20));

    if (output.empty()) output = Wide(book.Field("identifier")) + L".Exe";
    output = FullPath(output);

    progress.Step("compiling the layouts with the book's documents and cover");
    std::vector<Resource> resources;
    try {
        // The layouts name the files as "./<name>": no path of this machine
        // (whose backslashes a layout's text would read as escapes) goes in.
        resources = bookmaker::BookResources(book, BookLayoutTexts(), ".", read);
    } catch (const std::exception& e) {
        Err(std::string("codexia-make: ") + e.what() + "; nothing was written");
        return 1;
    }

    progress.Step("checking the reader template");
    HMODULE tmpl = LoadLibraryExW(templ.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!tmpl || !FindResourceW(tmpl, L"TWWRICHEDITFORM", MAKEINTRESOURCEW(bookmaker::kTypeData))) {
        if (tmpl) FreeLibrary(tmpl);
        Err(Utf8(templ) + " (the reader template): not a Codexia reader template; nothing was written");
        return 1;
    }
    std::vector<Resource> cleared = ResourcesToClear(tmpl, resources);
    FreeLibrary(tmpl);

    // Written beside the output and moved over it at the end.
    const std::wstring dir = FolderOf(output);
    auto fail = [](const std::string& what) {
        Err("codexia-make: " + what + ": " + SystemMessage(GetLastError()) + "; nothing was written");
        return false;
    };
    const ReplaceOutcome outcome = ReplaceFileSafely(output, [&](const std::wstring& tmp) {
        // The temporary file is made first: a folder that cannot be written
        // in is said as such.
        HANDLE made = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (made == INVALID_HANDLE_VALUE) return fail("cannot write in " + Utf8(dir));
        CloseHandle(made);
        progress.Step("copying the reader template");
        if (!CopyFileW(templ.c_str(), tmp.c_str(), FALSE)) return fail("cannot copy " + Utf8(templ));
        progress.Step("putting in " + std::to_string(resources.size()) + " resources");
        HANDLE update = BeginUpdateResourceW(tmp.c_str(), FALSE);
        if (!update) return fail("cannot open the copy of the template for writing");
        bool ok = true;
        for (const Resource& r : cleared) ok = ok && Put(update, r, true);
        for (const Resource& r : resources) ok = ok && Put(update, r, false);
        if (!ok) {
            DWORD e = GetLastError();
            EndUpdateResourceW(update, TRUE);
            SetLastError(e);
            return fail("cannot put the book's resources in");
        }
        if (!EndUpdateResourceW(update, FALSE)) return fail("cannot write the book's resources");
        progress.Step("moving the book into place");
        return true;
    });
    if (outcome.step == ReplaceOutcome::NotWritten) return 1;
    if (outcome.step == ReplaceOutcome::NotMoved) {
        Err("codexia-make: cannot write " + Utf8(output) + " (is the book running?): " + SystemMessage(outcome.error) +
            "; nothing was written");
        return 1;
    }
    WIN32_FILE_ATTRIBUTE_DATA info{};
    GetFileAttributesExW(output.c_str(), GetFileExInfoStandard, &info);
    Out("codexia-make: made " + Utf8(output) + " (" + std::to_string(info.nFileSizeLow) + " bytes): " +
        book.Field("title") + " by " + book.Field("author"));
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int k = 1; k < argc; ++k) args.push_back(argv[k]);
    LocalFree(argv);
    try {
        return Make(args);
    } catch (const std::exception& e) {
        Err(std::string("codexia-make: ") + e.what() + "; nothing was written");
        return 1;
    }
}
