#include "reader/ReaderSettings.h"

#include <windows.h>

#include "Classes.h"
#include "Files.h"
#include "Handles.h"
#include "WideText.h"
#include "core/CommandLine.h"
#include "core/LauncherLink.h"

namespace reader {

std::string IdentifierFromNameLine(const std::string& line) {
    const std::string tag = "[NAM] ";
    if (line.compare(0, tag.size(), tag) != 0) return {};
    return launcher::IdentifierFromFileName(std::string_view(line).substr(tag.size()));
}

std::string BookIdentifier() {
    static const std::string id = [] {
        const wchar_t* text = nullptr;
        // Length 0: a read-only pointer to the string in the resource.
        int n = LoadStringW(GetModuleHandleW(nullptr), launcher::kNameLineId, reinterpret_cast<wchar_t*>(&text), 0);
        return n > 0 && text ? IdentifierFromNameLine(AnsiFromWide(std::wstring_view(text, static_cast<std::size_t>(n))))
                             : std::string();
    }();
    return id;
}

std::string WorkingDirectory() {
    // A directory whose name the narrow code page cannot spell (Cyrillic or
    // Chinese letters on a Western system) is named "." instead: the files
    // beside it are then reached relative to it, which is the same place.
    wchar_t wide[MAX_PATH + 1] = {};
    DWORD wn = GetCurrentDirectoryW(MAX_PATH + 1, wide);
    if (wn == 0 || wn > MAX_PATH) return ".";
    BOOL lossy = FALSE;
    char buf[4 * MAX_PATH + 4] = {};
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, static_cast<int>(wn), buf, sizeof buf - 1, nullptr,
                                &lossy);
    if (n <= 0 || lossy) return ".";
    std::string d(buf, static_cast<std::size_t>(n));
    // Only a drive root keeps its separator.
    if (d.size() > 3 && (d.back() == '\\' || d.back() == '/')) d.pop_back();
    return d;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) return dir + name;
    return dir + "\\" + name;
}

std::vector<std::string> CommandLineArguments() {
    // Split here rather than by the shell library: loading that library
    // only for this would cost the cover part of its start-up.
    std::vector<std::string> out;
    for (const std::wstring& arg : cmdline::Split<wchar_t>(GetCommandLineW())) out.push_back(AnsiFromWide(arg));
    return out;
}

std::vector<SwitchValue> ParseSwitches(const std::vector<std::string>& args) {
    static const struct {
        const char* text;
        Switch which;
    } kSwitches[] = {{"/RF", Switch::ReadingFont}, {"/RI", Switch::ReadingSize}, {"/RK", Switch::ReadingColor},
                     {"/NF", Switch::NotepadFont}, {"/NI", Switch::NotepadSize}, {"/NK", Switch::NotepadColor}};
    std::vector<SwitchValue> out;
    for (const std::string& a : args) {
        for (auto& s : kSwitches)
            if (a.compare(0, 3, s.text) == 0 && a.size() >= 3) out.push_back({s.which, a.substr(3)});
        if (a.compare(0, 2, "/X") == 0 && a.size() >= 2) out.push_back({Switch::Maximized, {}});
    }
    return out;
}

const char kSettingsTemplate[] =
    "[CodexiaBook]\r\nSaveSettings=\r\nWindowState=\r\nReadingFont=\r\nReadingFontSize=\r\n"
    "ReadingBackground=\r\nReadingBookmark=\r\n";

void CheckReadable(const std::string& path) {
    UniqueKernelHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        DWORD err = GetLastError();
        throw EInOutError(err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION
                              ? "File access denied"
                              : "I/O error " + std::to_string(err));
    }
}

bool CreateSettingsFile(const std::string& path) {
    UniqueKernelHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    DWORD written = 0;
    DWORD size = sizeof kSettingsTemplate - 1;
    bool ok = WriteFile(h.Get(), kSettingsTemplate, size, &written, nullptr) && written == size;
    h.Reset();
    if (!ok) DeleteFileA(path.c_str());
    return ok;
}

void SaveNotesFile(const std::string& path, const std::function<void(const std::string&)>& write) {
    const ReplaceOutcome outcome = ReplaceFileSafely(path, [&write](const std::string& temp) {
        write(temp);
        return true;
    });
    if (outcome.step == ReplaceOutcome::NotMoved)
        throw EInOutError("Cannot replace " + path + " (error " + std::to_string(outcome.error) + ")");
}

}  // namespace reader
