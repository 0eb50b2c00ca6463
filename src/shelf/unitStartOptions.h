// Start with options: the reading window's and the notepad's font, size and
// colour, and a maximised reading window, as the book's switches carry them.
// Only the switches the book's "[COM]" line offers can be chosen.
#pragma once

#include <string>
#include <vector>

#include "Forms.h"
#include "shelf/ShelfBooks.h"

class TComboBox;
class TEdit;
class TCheckBox;
class TButton;

class TfrmStartOptions : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TfrmStartOptions(TComponent* owner);

    TComboBox* cbReadingFont = nullptr;
    TEdit* edReadingSize = nullptr;
    TComboBox* cbReadingColour = nullptr;
    TComboBox* cbNotepadFont = nullptr;
    TEdit* edNotepadSize = nullptr;
    TComboBox* cbNotepadColour = nullptr;
    TCheckBox* chkMaximized = nullptr;
    TButton* btnStart = nullptr;

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
