// Files and folders: whether a name is there, and writing a file so that a
// failure leaves the old one as it was. Narrow names are in the ANSI code
// page, wide ones in UTF-16.
//
// This file and Files.cpp use the platform and nothing else of the
// framework: the book maker, which has no framework, builds them too.
#pragma once

#include <functional>
#include <string>

// A file (not a folder) of that name.
bool FileExists(const std::string& path);
bool FileExists(const std::wstring& path);
// A folder of that name.
bool DirectoryExists(const std::string& path);
bool DirectoryExists(const std::wstring& path);
// Anything, file or folder, of that name.
bool PathExists(const std::string& path);
bool PathExists(const std::wstring& path);

// The name a new file is written under before it replaces target: in the
// same folder (the replacement is then a rename), with the same extension
// (writers choose their format by it): "<stem>.~<process>-<n><extension>",
// with the first n for which nothing of the name exists.
std::string TemporaryNameBeside(const std::string& target);
std::wstring TemporaryNameBeside(const std::wstring& target);

// How ReplaceFileSafely ended.
struct ReplaceOutcome {
    enum Step { Replaced, NotWritten, NotMoved };
    Step step = Replaced;
    unsigned long error = 0;  // NotMoved: the platform's error code of the move
    explicit operator bool() const { return step == Replaced; }
};

// Writes a file through a temporary file beside it (TemporaryNameBeside),
// which replaces the old file only once it is complete. write(temp) writes
// the whole file at temp and answers true, or answers false (its own error
// said) or raises. On every failure the temporary file is removed and the
// old file is left as it was; an exception of write passes on.
ReplaceOutcome ReplaceFileSafely(const std::string& path, const std::function<bool(const std::string&)>& write);
ReplaceOutcome ReplaceFileSafely(const std::wstring& path, const std::function<bool(const std::wstring&)>& write);
