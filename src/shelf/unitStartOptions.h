// Start with options: the reading window's and the notepad's font, size and
// colour, and a maximised reading window, as the book's switches carry them.
// Only the switches the book's "[COM]" line offers can be chosen.
#pragma once

#include <string>
#include <vector>

#include "Forms.h"
#include "TfrmStartOptions.fields.h"
#include "shelf/ShelfBooks.h"

class TfrmStartOptions : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TfrmStartOptions(TComponent* owner);

    // The reading window's and the notepad's choices, from TfrmStartOptions.layout.
    CX_LAYOUT_FIELDS(TfrmStartOptions);

    void btnStartClick(TObject* Sender);

    // The book the options are for: what it does not offer is disabled.
    void SetBook(const shelf::ShelfEntry& book);
    shelf::StartOptions Options() const;

private:
    std::vector<std::string> offered_;
};

// Shows the dialog for the book; true with the switch arguments when the
// reader chose Start.
bool RunStartOptions(TComponent* owner, const shelf::ShelfEntry& book, std::vector<std::string>& args);
