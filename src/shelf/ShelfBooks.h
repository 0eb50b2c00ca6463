// The books in a folder as the shelf sees them without running them: each
// program's launcher tags read from it as a data file, its cover from its
// stored skin layout, and whether it runs (its single-copy mutex, named
// after its file name as the book names it). Starting and closing a book.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Handles.h"
#include "core/LauncherTags.h"

namespace shelf {

struct ShelfEntry {
    std::string fileName;  // as on disk (the framework's narrow text)
    std::string path;
    BookTags tags;
    bool isBook = false;
    std::string reason;    // why a program that is not a book is not one
    std::string coverBmp;  // the stored cover picture (a bitmap file), when found
};

// Every program (*.exe) in the folder, books and others, in file-name order.
std::vector<ShelfEntry> ScanFolder(const std::string& folder);
ShelfEntry ReadEntry(const std::string& folder, const std::string& fileName);

bool IsRunning(const ShelfEntry& e);
// Starts the book in its own folder (where it keeps its settings) with
// these switch arguments; false with error set when it cannot.
bool StartBook(const ShelfEntry& e, const std::vector<std::string>& args, std::string& error);

// The close command as a launcher sends it: the text "C" in the shared
// block, then the registered message with 1 to the book's skin window
// (captioned with its identifier). False when no such window is found.
class CloseCommand {
public:
    CloseCommand();
    ~CloseCommand();
    CloseCommand(const CloseCommand&) = delete;
    CloseCommand& operator=(const CloseCommand&) = delete;
    bool Send(const ShelfEntry& e);

private:
    UniqueKernelHandle mapping_;
    char* view_ = nullptr;
};

// A square thumbnail of a cover bitmap file, drawn smoothly once; null when
// the file is not a bitmap.
HBITMAP CoverThumbnail(const std::string& bmpFile, int side, COLORREF background);

}  // namespace shelf
