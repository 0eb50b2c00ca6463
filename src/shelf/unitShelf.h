// The shelf: the books in a folder in a list (title, author, series, year,
// running, file), a cover thumbnail each, the programs that are not books
// apart with the reason; Start, Start with options, Close and Close All;
// the list kept current while the shelf is open.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <vector>

#include "Forms.h"
#include "TfrmShelf.fields.h"
#include "shelf/ShelfBooks.h"

class TfrmShelf : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TfrmShelf(TComponent* owner);
    ~TfrmShelf() override;

    // The lists of books (lvBooks) and of other programs (lvOther), the
    // status bar and the menus, from TfrmShelf.layout.
    CX_LAYOUT_FIELDS(TfrmShelf);

    void FormCreate(TObject* Sender);
    void OpenFolderClick(TObject* Sender);
    void RefreshClick(TObject* Sender);
    void ExitClick(TObject* Sender);
    void StartClick(TObject* Sender);
    void StartWithOptionsClick(TObject* Sender);
    void CloseBookClick(TObject* Sender);
    void CloseAllClick(TObject* Sender);
    void SortTitleClick(TObject* Sender);
    void SortAuthorClick(TObject* Sender);
    void SortSeriesClick(TObject* Sender);
    void SortYearClick(TObject* Sender);
    void lvBooksActivate(TObject* Sender);

    // The folder shown, and opening another (remembered beside the shelf).
    const std::string& Folder() const { return folder_; }
    void OpenFolder(const std::string& folder);

protected:
    void WndProc(TMessage& m) override;

private:
    enum class SortBy { Title, Author, Series, Year };
    void Reload();
    // Sorts the books, fills the list and chooses the named book (else the first).
    void ShowBooks(const std::string& chosen);
    void Fill();
    void UpdateRunning();
    void SortList(SortBy by);
    const shelf::ShelfEntry* Chosen() const;
    void Start(const std::vector<std::string>& args);

    std::string folder_;
    std::vector<shelf::ShelfEntry> books_;  // in the list's order
    std::vector<bool> running_;
    std::map<std::string, int> images_;  // file name -> its thumbnail in thumbs_
    SortBy sortBy_ = SortBy::Title;
    HIMAGELIST thumbs_ = nullptr;
    HANDLE change_ = INVALID_HANDLE_VALUE;
    std::unique_ptr<shelf::CloseCommand> close_;
};

extern TfrmShelf* frmShelf;
