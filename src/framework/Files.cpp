#include "Files.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ScopeGuard.h"

namespace {

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

// The replacement: a rename within the folder, on disk before it returns.
constexpr DWORD kReplaceFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
BOOL MoveOver(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), kReplaceFlags);
}
BOOL MoveOver(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), kReplaceFlags);
}
void Remove(const std::string& path) { DeleteFileA(path.c_str()); }
void Remove(const std::wstring& path) { DeleteFileW(path.c_str()); }

template <class S>
S TemporaryName(const S& target) {
    using C = typename S::value_type;
    const C separators[] = {C('\\'), C('/'), C(0)};
    const std::size_t slash = target.find_last_of(separators);
    const std::size_t dot = target.find_last_of(C('.'));
    const bool hasExtension = dot != S::npos && (slash == S::npos || dot > slash);
    const S stem = hasExtension ? target.substr(0, dot) : target;
    const S extension = hasExtension ? target.substr(dot) : S();
    for (unsigned k = 0;; ++k) {
        char tag[32];
        std::snprintf(tag, sizeof tag, ".~%lu-%u", GetCurrentProcessId(), k);
        const S name = stem + S(tag, tag + std::strlen(tag)) + extension;
        if (Attributes(name) == INVALID_FILE_ATTRIBUTES) return name;
    }
}

template <class S>
ReplaceOutcome Replace(const S& path, const std::function<bool(const S&)>& write) {
    const S temp = TemporaryName(path);
    // The temporary file goes on every way out but the one that moved it over.
    ScopeExit removeTemp([&] { Remove(temp); });
    if (!write(temp)) return {ReplaceOutcome::NotWritten, 0};
    if (!MoveOver(temp, path)) return {ReplaceOutcome::NotMoved, GetLastError()};
    removeTemp.Dismiss();
    return {};
}

}  // namespace

bool FileExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
bool FileExists(const std::wstring& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
bool DirectoryExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
bool DirectoryExists(const std::wstring& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
bool PathExists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }
bool PathExists(const std::wstring& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

std::string TemporaryNameBeside(const std::string& target) { return TemporaryName(target); }
std::wstring TemporaryNameBeside(const std::wstring& target) { return TemporaryName(target); }

ReplaceOutcome ReplaceFileSafely(const std::string& path, const std::function<bool(const std::string&)>& write) {
    return Replace(path, write);
}
ReplaceOutcome ReplaceFileSafely(const std::wstring& path, const std::function<bool(const std::wstring&)>& write) {
    return Replace(path, write);
}
