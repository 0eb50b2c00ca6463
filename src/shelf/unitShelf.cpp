#include "shelf/unitShelf.h"

#include <shlobj.h>

#include <algorithm>

#include "ComCtrls.h"
#include "Files.h"
#include "IniFiles.h"
#include "Menus.h"
#include "WideText.h"
#include "shelf/unitStartOptions.h"

TfrmShelf* frmShelf = nullptr;

CX_IMPLEMENT_CLASS(TfrmShelf, TCustomForm, CX_ABSTRACT, {})
CX_LAYOUT_BINDER(TfrmShelf)

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr int kThumbSide = 32;

// The settings file beside the shelf program.
std::string SettingsFile() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    std::size_t dot = p.find_last_of('.');
    return (dot == std::string::npos ? p : p.substr(0, dot)) + ".ini";
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(0, p.find_last_of('\\'));
}

int Compare(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()); }

}  // namespace

TfrmShelf::TfrmShelf(TComponent* owner) : TForm(owner) { BindComponents(); }

TfrmShelf::~TfrmShelf() {
    if (change_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change_);
    if (thumbs_) ImageList_Destroy(thumbs_);
}

void TfrmShelf::FormCreate(TObject*) {
    close_ = std::make_unique<shelf::CloseCommand>();
    thumbs_ = ImageList_Create(kThumbSide, kThumbSide, ILC_COLOR32, 8, 8);
    lvBooks->SetImages(thumbs_);
    lvBooks->OnColumnClick = [this](TObject*, int column) {
        static const SortBy kByColumn[] = {SortBy::Title, SortBy::Author, SortBy::Series, SortBy::Year};
        if (column >= 0 && column < 4) SortList(kByColumn[column]);
    };
    // A folder named on the command line, else the last one, else the shelf's own.
    std::string folder;
    int argc = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        if (argc > 1) folder = AnsiFromWide(argv[1]);
        LocalFree(argv);
    }
    if (folder.empty()) folder = TIniFile(SettingsFile()).ReadString("Shelf", "Folder", "");
    if (folder.empty() || !PathExists(folder)) folder = ProgramFolder();
    OpenFolder(folder);
    SetTimer(Handle(), kWatchTimer, 500, nullptr);
}

void TfrmShelf::OpenFolder(const std::string& folder) {
    char full[MAX_PATH] = {};
    GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    folder_ = full;
    while (folder_.size() > 3 && folder_.back() == '\\') folder_.pop_back();
    try {
        TIniFile(SettingsFile()).WriteString("Shelf", "Folder", folder_);
    } catch (const std::exception&) {
        // The shelf's own folder may be read-only: the choice then lasts this session.
    }
    if (change_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change_);
    change_ = FindFirstChangeNotificationA(folder_.c_str(), FALSE,
                                           FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
    SetCaption("Codexia Shelf - " + folder_);
    Reload();
}

void TfrmShelf::Reload() {
    std::string chosen = Chosen() ? Chosen()->fileName : "";
    books_.clear();
    images_.clear();
    lvOther->Clear();
    ImageList_RemoveAll(thumbs_);
    for (shelf::ShelfEntry& e : shelf::ScanFolder(folder_)) {
        if (!e.isBook) {
            lvOther->AddRow({e.fileName, e.reason});
            continue;
        }
        // Each cover is drawn small once per reading of the folder, not at every sort.
        if (HBITMAP thumb = shelf::CoverThumbnail(e.coverBmp, kThumbSide, GetSysColor(COLOR_WINDOW))) {
            images_[e.fileName] = ImageList_Add(thumbs_, thumb, nullptr);
            DeleteObject(thumb);
        }
        books_.push_back(std::move(e));
    }
    ShowBooks(chosen);
}

void TfrmShelf::SortList(SortBy by) {
    sortBy_ = by;
    ShowBooks(Chosen() ? Chosen()->fileName : "");
}

void TfrmShelf::ShowBooks(const std::string& chosen) {
    const SortBy by = sortBy_;
    std::stable_sort(books_.begin(), books_.end(), [by](const shelf::ShelfEntry& a, const shelf::ShelfEntry& b) {
        switch (by) {
        case SortBy::Author:
            if (int c = Compare(a.tags.author, b.tags.author)) return c < 0;
            break;
        case SortBy::Series:
            if (a.tags.SeriesNumber() != b.tags.SeriesNumber()) return a.tags.SeriesNumber() < b.tags.SeriesNumber();
            break;
        case SortBy::Year:
            if (int c = Compare(a.tags.year, b.tags.year)) return c < 0;
            break;
        case SortBy::Title: break;
        }
        return Compare(a.tags.DisplayTitle(), b.tags.DisplayTitle()) < 0;
    });
    Fill();
    int row = 0;
    for (int r = 0; r < lvBooks->RowCount(); ++r)
        if (books_[static_cast<std::size_t>(r)].fileName == chosen) row = r;
    if (lvBooks->RowCount() > 0) lvBooks->SetSelected(row);
}

void TfrmShelf::Fill() {
    lvBooks->Clear();
    running_.assign(books_.size(), false);
    for (std::size_t k = 0; k < books_.size(); ++k) {
        const shelf::ShelfEntry& e = books_[k];
        auto image = images_.find(e.fileName);
        running_[k] = shelf::IsRunning(e);
        lvBooks->AddRow({e.tags.DisplayTitle(), e.tags.author, e.tags.series, e.tags.year,
                         running_[k] ? "Running" : "", e.fileName},
                        image == images_.end() ? -1 : image->second);
    }
    StatusBar1->SetSimpleText(std::to_string(books_.size()) + (books_.size() == 1 ? " book" : " books") +
                              (lvOther->RowCount() ? ", " + std::to_string(lvOther->RowCount()) +
                                                         (lvOther->RowCount() == 1 ? " other program" : " other programs")
                                                   : std::string()));
}

void TfrmShelf::UpdateRunning() {
    for (std::size_t k = 0; k < books_.size(); ++k) {
        bool now = shelf::IsRunning(books_[k]);
        if (now == running_[k]) continue;
        running_[k] = now;
        lvBooks->SetCell(static_cast<int>(k), 4, now ? "Running" : "");
    }
}

const shelf::ShelfEntry* TfrmShelf::Chosen() const {
    int r = lvBooks ? lvBooks->Selected() : -1;
    return r >= 0 && r < static_cast<int>(books_.size()) ? &books_[static_cast<std::size_t>(r)] : nullptr;
}

void TfrmShelf::Start(const std::vector<std::string>& args) {
    const shelf::ShelfEntry* e = Chosen();
    if (!e) return;
    std::string error;
    if (!shelf::StartBook(*e, args, error)) MessageBoxA(Handle(), error.c_str(), "Codexia Shelf", MB_OK | MB_ICONERROR);
}

void TfrmShelf::StartClick(TObject*) { Start({}); }
void TfrmShelf::lvBooksActivate(TObject*) { Start({}); }

void TfrmShelf::StartWithOptionsClick(TObject*) {
    const shelf::ShelfEntry* e = Chosen();
    if (!e) return;
    std::vector<std::string> args;
    if (RunStartOptions(this, *e, args)) Start(args);
}

void TfrmShelf::CloseBookClick(TObject*) {
    const shelf::ShelfEntry* e = Chosen();
    if (e && !close_->Send(*e))
        MessageBoxA(Handle(), (e->tags.DisplayTitle() + " is not running.").c_str(), "Codexia Shelf",
                    MB_OK | MB_ICONINFORMATION);
}

void TfrmShelf::CloseAllClick(TObject*) {
    for (const shelf::ShelfEntry& e : books_)
        if (shelf::IsRunning(e)) close_->Send(e);
}

void TfrmShelf::OpenFolderClick(TObject*) {
    BROWSEINFOA bi{};
    bi.hwndOwner = Handle();
    bi.lpszTitle = "The folder of books to show";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderA(&bi);
    if (!pidl) return;
    char path[MAX_PATH] = {};
    bool ok = SHGetPathFromIDListA(pidl, path);
    CoTaskMemFree(pidl);
    if (ok) OpenFolder(path);
}

void TfrmShelf::RefreshClick(TObject*) { Reload(); }
void TfrmShelf::ExitClick(TObject*) { Close(); }
void TfrmShelf::SortTitleClick(TObject*) { SortList(SortBy::Title); }
void TfrmShelf::SortAuthorClick(TObject*) { SortList(SortBy::Author); }
void TfrmShelf::SortSeriesClick(TObject*) { SortList(SortBy::Series); }
void TfrmShelf::SortYearClick(TObject*) { SortList(SortBy::Year); }

void TfrmShelf::WndProc(TMessage& m) {
    if (m.msg == WM_TIMER && m.wParam == kWatchTimer) {
        // Books added or removed (the folder's change notice), and the
        // running marks, twice a second while the shelf is open.
        try {
            if (change_ != INVALID_HANDLE_VALUE && WaitForSingleObject(change_, 0) == WAIT_OBJECT_0) {
                FindNextChangeNotification(change_);
                Reload();
            } else {
                UpdateRunning();
            }
        } catch (...) {
            Application->HandleException(this);
        }
        return;
    }
    if (m.msg == WM_DESTROY) KillTimer(Handle(), kWatchTimer);
    TForm::WndProc(m);
}
