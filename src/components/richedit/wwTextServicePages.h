// Pages of a rich text document laid out and drawn by the platform's
// windowless rich text services, for platforms whose rich edit window does
// not format pages itself. The document is laid out once, on the printer's
// own context at the page width; pages break between lines.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <memory>
#include <string>
#include <vector>

#include "core/PageRect.h"

class TTextServicePages {
public:
    // dc: the printer's context in the text mapping mode; page: where text
    // goes, in device units; defaultFormat: the format of text the document
    // does not format itself.
    TTextServicePages(HDC dc, const RECT& page, const CHARFORMAT2W& defaultFormat);
    ~TTextServicePages();
    TTextServicePages(const TTextServicePages&) = delete;
    TTextServicePages& operator=(const TTextServicePages&) = delete;

    // Lays the RTF document out and breaks it into pages. False when the
    // platform has no windowless text services or they would not take the
    // document.
    bool Load(const std::string& rtf);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    const std::vector<page::Band>& Pages() const { return pages_; }
    // Draws one page inside the page rectangle. The context's state is put
    // back afterwards.
    void DrawPage(int index);

private:
    class Host;
    std::unique_ptr<Host> host_;
    std::vector<page::Band> pages_;
};
