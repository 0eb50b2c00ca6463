// Reading printed PostScript back: page count, title, text and pictures.
#pragma once

#include <string>
#include <vector>

#include "FilePrinter.h"

namespace printtest {

// The output folder of the print tests (a Windows path) and a file in it.
std::string OutPath(const std::string& name);
std::string ReadFileText(const std::string& windowsPath);

// "%%Title:" and the last "%%Pages:" of a PostScript file.
std::string PsTitle(const std::string& ps);
int PsPages(const std::string& ps);

// The text of a PostScript file as Ghostscript's text device reads it.
std::string PsText(const std::string& psWindowsPath);

// One page rendered as 24-bit pixels at dpi.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool Ink(int x, int y) const {
        const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        return p[0] < 160 || p[1] < 160 || p[2] < 160;
    }
};
Picture RenderPage(const std::string& psWindowsPath, int page, int dpi);

}  // namespace printtest
