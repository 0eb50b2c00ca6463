#include "FilePrinter.h"
#include "PrintTestUtil.h"

#include <windows.h>
#include <winspool.h>

#include <cctype>
#include <cstdlib>
#include <vector>

namespace printtest {
namespace {
const char* const kDriverName = "Codexia PostScript";

bool Installed(const std::string& name) {
    DWORD needed = 0, returned = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &returned);
    if (needed == 0) return false;
    std::vector<BYTE> buf(needed);
    if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, buf.data(), needed, &needed, &returned)) return false;
    auto* info = reinterpret_cast<PRINTER_INFO_4A*>(buf.data());
    for (DWORD k = 0; k < returned; ++k)
        if (info[k].pPrinterName && name == info[k].pPrinterName) return true;
    return false;
}

BOOL CALLBACK FirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    auto* out = reinterpret_cast<std::string*>(param);
    if (IS_INTRESOURCE(name)) {
        out->assign(1, '#');
        out->append(std::to_string(reinterpret_cast<ULONG_PTR>(name)));
    } else {
        out->assign(name);
    }
    return FALSE;
}

// The platform's generic PostScript printer description, kept in its
// spooler library as a resource.
std::string GenericPpd() {
    HMODULE lib = LoadLibraryExA("winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!lib) return {};
    std::string name;
    EnumResourceNamesA(lib, "PPDFILE", FirstName, reinterpret_cast<LONG_PTR>(&name));
    std::string bytes;
    if (!name.empty()) {
        LPCSTR id = name[0] == '#' ? MAKEINTRESOURCEA(std::stoi(name.substr(1))) : name.c_str();
        if (HRSRC res = FindResourceA(lib, id, "PPDFILE")) {
            if (HGLOBAL data = LoadResource(lib, res)) {
                auto* p = static_cast<const char*>(LockResource(data));
                if (p) bytes.assign(p, SizeofResource(lib, res));
            }
        }
    }
    FreeLibrary(lib);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}
}  // namespace

namespace {
bool addedHere = false;
std::string defaultBefore;
}  // namespace

std::string EnsureFilePrinter(std::string* why) {
    auto fail = [why](const std::string& text) {
        if (why) *why = text + " (error " + std::to_string(GetLastError()) + ")";
        return std::string();
    };
    const std::string name = kFilePrinterName;
    if (!Installed(name)) {
        char current[512] = {};
        DWORD size = sizeof current;
        defaultBefore = GetDefaultPrinterA(current, &size) ? current : "";
        addedHere = true;
        std::string ppd = GenericPpd();
        if (ppd.empty()) return fail("the generic printer description is not in the spooler library");
        bool added = false;
        for (const char* env : {"Windows NT x86", "Windows x64"}) {
            char dir[MAX_PATH] = {};
            DWORD needed = 0;
            if (!GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(env), 1, reinterpret_cast<LPBYTE>(dir),
                                            sizeof dir, &needed))
                continue;
            CreateDirectoryA(dir, nullptr);
            std::string ppdPath = std::string(dir) + "\\codexia-generic.ppd";
            if (!WriteFileBytes(ppdPath, ppd)) continue;
            DRIVER_INFO_3A info{};
            info.cVersion = 3;
            info.pName = const_cast<char*>(kDriverName);
            info.pEnvironment = const_cast<char*>(env);
            info.pDriverPath = const_cast<char*>("wineps.drv");
            info.pDataFile = ppdPath.data();
            info.pConfigFile = const_cast<char*>("wineps.drv");
            if (AddPrinterDriverExA(nullptr, 3, reinterpret_cast<LPBYTE>(&info), APD_COPY_NEW_FILES) ||
                GetLastError() == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED)
                added = true;
        }
        if (!added) return fail("the PostScript driver could not be added");
        PRINTER_INFO_2A printer{};
        printer.pPrinterName = const_cast<char*>(name.c_str());
        printer.pPortName = const_cast<char*>("FILE:");
        printer.pDriverName = const_cast<char*>(kDriverName);
        printer.pPrintProcessor = const_cast<char*>("WinPrint");
        printer.pDatatype = const_cast<char*>("RAW");
        HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
        if (!h && !Installed(name)) return fail("the printer could not be added");
        if (h) ClosePrinter(h);
    }
    char current[512] = {};
    DWORD size = sizeof current;
    if (!GetDefaultPrinterA(current, &size) || name != current) {
        if (!SetDefaultPrinterA(name.c_str())) return fail("the printer could not be made the default");
    }
    return name;
}

void RemoveFilePrinter() {
    if (!addedHere) return;
    addedHere = false;
    DeleteSecondPrinter(kFilePrinterName);
    if (!defaultBefore.empty()) SetDefaultPrinterA(defaultBefore.c_str());
}

bool AddSecondPrinter(const std::string& name) {
    PRINTER_INFO_2A printer{};
    printer.pPrinterName = const_cast<char*>(name.c_str());
    printer.pPortName = const_cast<char*>("FILE:");
    printer.pDriverName = const_cast<char*>(kDriverName);
    printer.pPrintProcessor = const_cast<char*>("WinPrint");
    printer.pDatatype = const_cast<char*>("RAW");
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
    if (!h) return false;
    ClosePrinter(h);
    return true;
}

bool DeleteSecondPrinter(const std::string& name) {
    HANDLE h = nullptr;
    PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterA(const_cast<char*>(name.c_str()), &h, &access)) return false;
    BOOL ok = DeletePrinter(h);
    ClosePrinter(h);
    return ok != FALSE;
}

std::string RunHostCommand(const std::string& commandLine, int* code) {
    // Under Wine a Unix program starts like any other, but its process
    // handle does not tell when it ends: the command leaves its exit code in
    // a second file when it is done, and the output goes through a file.
    static int serial = 0;
    const std::string out = "/tmp/codexia-host-" + std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(++serial) + ".out";
    std::string cmd = "/bin/sh -c \"(" + commandLine + ") > " + out + " 2>&1; echo $? > " + out + ".done\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (code) *code = -1;
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::string done = "Z:" + out + ".done";
    std::string status;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 120000;) {
        status = ReadFileText(done);
        if (!status.empty() && status.back() == '\n') break;
        Sleep(20);
    }
    if (code && !status.empty()) *code = std::atoi(status.c_str());
    std::string text = ReadFileText("Z:" + out);
    DeleteFileA(("Z:" + out).c_str());
    DeleteFileA(done.c_str());
    return text;
}

std::string HostPath(const std::string& windowsPath) {
    std::string s = windowsPath;
    if (s.size() >= 2 && (s[0] == 'Z' || s[0] == 'z') && s[1] == ':') s = s.substr(2);
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

}  // namespace printtest

namespace printtest {

std::string OutPath(const std::string& name) { return std::string(PRINT_OUT_DIR) + "\\" + name; }

std::string ReadFileText(const std::string& windowsPath) {
    std::string text;
    HANDLE f = CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return text;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
    CloseHandle(f);
    return text;
}

std::string PsTitle(const std::string& ps) {
    auto at = ps.find("%%Title:");
    if (at == std::string::npos) return {};
    std::string t;
    for (std::size_t k = at + 8; k < ps.size() && ps[k] != '\r' && ps[k] != '\n'; ++k)
        if (!(t.empty() && ps[k] == ' ')) t += ps[k];
    return t;
}

int PsPages(const std::string& ps) {
    auto at = ps.rfind("%%Pages:");
    if (at == std::string::npos) return -1;
    return std::atoi(ps.c_str() + at + 8);
}

std::string PsText(const std::string& psWindowsPath) {
    // The text device writes the spaces between words as no-break spaces.
    std::string text = RunHostCommand("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -sOutputFile=- '" +
                          HostPath(psWindowsPath) + "'");
    std::string out;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text.compare(k, 2, "\xC2\xA0") == 0) {
            out += ' ';
            ++k;
        } else {
            out += text[k];
        }
    }
    return out;
}

Picture RenderPage(const std::string& psWindowsPath, int page, int dpi) {
    const std::string ppm = psWindowsPath + ".page" + std::to_string(page) + ".ppm";
    RunHostCommand("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ppmraw -r" + std::to_string(dpi) +
                   " -dFirstPage=" + std::to_string(page) + " -dLastPage=" + std::to_string(page) +
                   " -sOutputFile='" + HostPath(ppm) + "' '" + HostPath(psWindowsPath) + "'");
    std::string bytes = ReadFileText(ppm);
    Picture pic;
    // P6, width, height, maximum, one blank, then the pixels.
    int fields[3] = {0, 0, 0};
    std::size_t at = 2;
    if (bytes.compare(0, 2, "P6") != 0) return pic;
    for (int k = 0; k < 3; ++k) {
        for (;;) {  // blanks and comment lines between the fields
            while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
            if (at >= bytes.size() || bytes[at] != '#') break;
            while (at < bytes.size() && bytes[at] != '\n') ++at;
        }
        while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at]))) fields[k] = fields[k] * 10 + (bytes[at++] - '0');
    }
    ++at;
    std::size_t need = static_cast<std::size_t>(fields[0]) * fields[1] * 3;
    if (bytes.size() < at + need) return pic;
    pic.width = fields[0];
    pic.height = fields[1];
    pic.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + need));
    return pic;
}

}  // namespace printtest
