#include "reader/unitRead.h"

#include "BookInfo.h"
#include "Dialogs.h"
#include "IniFiles.h"
#include "Splitter.h"
#include "StdCtrls.h"
#include "buttons/MMBmpBtn.h"
#include "buttons/MMPanel.h"
#include "reader/ReaderSettings.h"
#include "reader/ReadingView.h"
#include "richedit/wwRichEdit.h"

TfrmRead* frmRead = nullptr;
TReaderSettings ReaderSettings;

namespace {

constexpr char kError[] = "ERROR";

std::string SettingsFileName(const std::string& dir) { return reader::JoinPath(dir, std::string(BOOK_IDENTIFIER) + ".Ini"); }
std::string NotesFileName(const std::string& dir) { return reader::JoinPath(dir, std::string(BOOK_IDENTIFIER) + ".Rtf"); }

}  // namespace

CX_IMPLEMENT_CLASS(TfrmRead, TCustomForm, CX_ABSTRACT, {})

TfrmRead::TfrmRead(TComponent* owner) : TForm(owner), Arguments(reader::CommandLineArguments()) {
    Handler("FormCreate", this, &TfrmRead::FormCreate);
    Handler("FormClose", this, &TfrmRead::FormClose);
    Handler("FormResize", this, &TfrmRead::FormResize);
    Handler("btnIncreaseFontClick", this, &TfrmRead::btnIncreaseFontClick);
    Handler("btnDecreaseFontClick", this, &TfrmRead::btnDecreaseFontClick);
    Handler("btnFontClick", this, &TfrmRead::btnFontClick);
    Handler("btnBackgroundClick", this, &TfrmRead::btnBackgroundClick);
    Handler("btnNotepadClick", this, &TfrmRead::btnNotepadClick);
    Handler("btnHideShowNotepadClick", this, &TfrmRead::btnHideShowNotepadClick);
    Handler("btnCloseClick", this, &TfrmRead::btnCloseClick);
    Field("RichEdit2", RichEdit2);
    Field("Splitter1", Splitter1);
    Field("RichEdit3", RichEdit3);
    Field("MMPanel1", MMPanel1);
    Field("colordialogBackground", colordialogBackground);
    Field("fontdialogRichEdit", fontdialogRichEdit);
    Field("btnBackground", btnBackground);
    Field("btnFont", btnFont);
    Field("btnDecreaseFont", btnDecreaseFont);
    Field("btnIncreaseFont", btnIncreaseFont);
    Field("editFontSize", editFontSize);
    Field("btnNotepad", btnNotepad);
    Field("btnHideShowNotepad", btnHideShowNotepad);
    Field("checkboxSaveSettings", checkboxSaveSettings);
    Field("btnClose", btnClose);
}

TfrmRead::~TfrmRead() = default;

reader::TReadingView& TfrmRead::View() {
    if (!view_) {
        view_ = std::make_unique<reader::TReadingView>(*RichEdit2);
        RichEdit2->OnDocumentLoaded = [this](TObject*) { view_->DocumentArrived(); };
    }
    return *view_;
}

void TfrmRead::WndProc(TMessage& m) {
    // Shown before the book is all in: the saved reading place must be there
    // to see, so the rest comes in now.
    if (m.msg == WM_SHOWWINDOW && m.wParam && view_ && view_->BookmarkPending()) {
        try {
            RichEdit2->CompleteDocument();
        } catch (...) {
            Application->HandleException(this);
        }
    }
    TForm::WndProc(m);
}

// ---------------------------------------------------------------- commands

namespace {
// The size one step on: a step past the 32-bit range raises the conversion
// error for the number it would have been, rather than wrapping round.
std::string SteppedSize(const std::string& text, int step) {
    std::int64_t next = std::int64_t{StrToInt(text)} + step;
    return std::to_string(StrToInt(std::to_string(next)));
}
}  // namespace

void TfrmRead::btnIncreaseFontClick(TObject*) {
    if (editFontSize->Text() == "72") return;
    editFontSize->SetText(SteppedSize(editFontSize->Text(), 1));
    View().SetSize(StrToInt(editFontSize->Text()));
}

void TfrmRead::btnDecreaseFontClick(TObject*) {
    if (editFontSize->Text() == "2") return;
    editFontSize->SetText(SteppedSize(editFontSize->Text(), -1));
    View().SetSize(StrToInt(editFontSize->Text()));
}

void TfrmRead::btnFontClick(TObject*) {
    // Whatever the reader answers, the dialog's current font applies; the
    // size box keeps ruling the size.
    fontdialogRichEdit->Execute();
    RichEdit2->Font()->Assign(&fontdialogRichEdit->Font);
    View().SetFace(RichEdit2->Font()->Name(), RichEdit2->Font()->Charset());
    View().SetSize(StrToInt(editFontSize->Text()));
}

void TfrmRead::btnBackgroundClick(TObject*) {
    colordialogBackground->Execute();
    RichEdit2->SetColor(colordialogBackground->Color);
}

void TfrmRead::btnNotepadClick(TObject*) { RichEdit3->EditInWindow(); }

void TfrmRead::SetShowHideCaption(const char* text) {
    btnHideShowNotepad->SetCaption(text);
    btnHideShowNotepad->SetHint(text);
}

void TfrmRead::ShowNotepad() {
    // The pane goes back to the right edge, the splitter just left of it.
    RichEdit3->SetLeft(ClientWidth());
    RichEdit3->Show();
    Splitter1->SetLeft(RichEdit3->Left() - Splitter1->Width());
    Splitter1->Show();
    SetShowHideCaption("Hide");
    RepaintBookView();
}

void TfrmRead::RepaintBookView() {
    // The view narrowed or widened under its scroll bar: its frame (the bar)
    // is drawn anew with the text, so nothing of the old one stays behind.
    if (RichEdit2->HandleAllocated())
        RedrawWindow(RichEdit2->WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void TfrmRead::HideNotepad() {
    Splitter1->Hide();
    RichEdit3->Hide();
    SetShowHideCaption("Show");
    RepaintBookView();
}

void TfrmRead::btnHideShowNotepadClick(TObject*) {
    if (!RichEdit3->Visible()) {
        RichEdit3->SetWidth(Width() / 3);
        ShowNotepad();
    } else {
        HideNotepad();
    }
}

void TfrmRead::FormResize(TObject*) {
    if (RichEdit3) RichEdit3->SetWidth(Width() / 3);
}

void TfrmRead::btnCloseClick(TObject*) { Close(); }

// ---------------------------------------------------------------- settings

void TfrmRead::FormCreate(TObject*) {
    RichEdit2->Show();
    // The face the layout gives the view is no choice of the reader's: the
    // book keeps its own faces until one is chosen.
    const std::string layoutFace = RichEdit2->Font()->Name();
    View().SetSize(StrToInt(editFontSize->Text()));
    std::string dir = reader::WorkingDirectory();
    std::string notes = NotesFileName(dir);
    if (reader::FileExists(notes)) RichEdit3->Lines()->LoadFromFile(notes);

    for (const reader::SwitchValue& s : reader::ParseSwitches(Arguments)) {
        switch (s.which) {
        case reader::Switch::ReadingFont:
            ReaderSettings.ReadingFont = s.value;
            RichEdit2->Font()->SetName(s.value);
            View().SetFace(s.value, RichEdit2->Font()->Charset());
            break;
        case reader::Switch::ReadingSize:
            ReaderSettings.ReadingFontSize = s.value;
            View().SetSize(StrToInt(s.value));
            editFontSize->SetText(s.value);
            break;
        case reader::Switch::ReadingColor:
            ReaderSettings.ReadingBackground = s.value;
            RichEdit2->SetColor(StringToColor(s.value));
            break;
        case reader::Switch::NotepadFont:
            ReaderSettings.ReadingFont = s.value;
            RichEdit3->Font()->SetName(s.value);
            break;
        case reader::Switch::NotepadSize:
            ReaderSettings.ReadingFontSize = s.value;
            RichEdit3->Font()->SetSize(StrToInt(s.value));
            editFontSize->SetText(s.value);
            break;
        case reader::Switch::NotepadColor:
            ReaderSettings.ReadingBackground = s.value;
            RichEdit3->SetColor(StringToColor(s.value));
            break;
        case reader::Switch::Maximized:
            SetWindowState(TWindowState::wsMaximized);
            break;
        }
    }

    std::string settings = SettingsFileName(dir);
    if (!reader::FileExists(settings)) {
        settingsRead_ = true;
        ReaderSettings.ReadingFont = RichEdit2->Font()->Name();
        ReaderSettings.ReadingFontSize = std::to_string(RichEdit2->Font()->Size());
        ReaderSettings.ReadingBackground = ColorToString(RichEdit2->Color());
        return;
    }
    reader::CheckReadable(settings);
    {
        TIniFile ini(settings);
        ReaderSettings.SaveSettings = ini.ReadString(kSettingsSection, "SaveSettings", kError);
        ReaderSettings.WindowState = ini.ReadString(kSettingsSection, "WindowState", kError);
        ReaderSettings.ReadingFont = ini.ReadString(kSettingsSection, "ReadingFont", kError);
        ReaderSettings.ReadingFontSize = ini.ReadString(kSettingsSection, "ReadingFontSize", kError);
        ReaderSettings.ReadingBackground = ini.ReadString(kSettingsSection, "ReadingBackground", kError);
        ReaderSettings.ReadingBookmark = ini.ReadString(kSettingsSection, "ReadingBookmark", kError);
        ReaderSettings.Notepad = ini.ReadString(kSettingsSection, "Notepad", kError);
    }
    settingsRead_ = true;
    const TReaderSettings& s = ReaderSettings;
    if (s.SaveSettings == "True") {
        checkboxSaveSettings->SetChecked(true);
    } else if (s.SaveSettings == "False") {
        checkboxSaveSettings->SetChecked(false);
        return;
    }
    if (s.WindowState == "wsNormal") SetWindowState(TWindowState::wsNormal);
    else if (s.WindowState == "wsMaximized") SetWindowState(TWindowState::wsMaximized);
    if (s.ReadingFont != kError) {
        RichEdit2->Font()->SetName(s.ReadingFont);
        // The layout's face saved means the book's own faces: the settings
        // file rules over a launcher's face switch either way.
        if (s.ReadingFont != layoutFace) View().SetFace(s.ReadingFont, RichEdit2->Font()->Charset());
        else View().ClearFace();
    }
    if (s.ReadingFontSize != kError) {
        View().SetSize(StrToInt(s.ReadingFontSize));
        editFontSize->SetText(s.ReadingFontSize);
    }
    if (s.ReadingBackground != kError) RichEdit2->SetColor(StringToColor(s.ReadingBackground));
    if (s.ReadingBookmark != kError) View().SetBookmark(StrToInt(s.ReadingBookmark));
    if (s.Notepad == "True") ShowNotepad();
}

void TfrmRead::FormClose(TObject*, TCloseAction&) {
    std::string dir = reader::WorkingDirectory();
    std::string settings = SettingsFileName(dir);
    if (!checkboxSaveSettings->Checked()) {
        // Unchecked deletes the file, but only when the box could show what
        // the file said: after a start that failed before reading it, the
        // box says nothing about the reader's wish.
        if (settingsRead_ && reader::FileExists(settings)) DeleteFileA(settings.c_str());
        return;
    }
    if (reader::FileExists(settings)) {
        reader::CheckReadable(settings);
    } else if (!reader::CreateSettingsFile(settings)) {
        Application->MessageBox(kSaveFailedMessage, Application->Title(), MB_OK);
        return;
    }
    TReaderSettings& s = ReaderSettings;
    s.SaveSettings = "True";
    switch (WindowState()) {
    case TWindowState::wsNormal: s.WindowState = "wsNormal"; break;
    case TWindowState::wsMaximized: s.WindowState = "wsMaximized"; break;
    case TWindowState::wsMinimized: break;  // keeps what was read at creation
    }
    s.ReadingFont = RichEdit2->Font()->Name();
    s.ReadingFontSize = std::to_string(RichEdit2->Font()->Size());
    s.ReadingBackground = ColorToString(RichEdit2->Color());
    s.ReadingBookmark = std::to_string(RichEdit2->SelStart());
    s.Notepad = RichEdit3->Visible() ? "True" : "False";
    TIniFile ini(settings);
    ini.WriteString(kSettingsSection, "SaveSettings", s.SaveSettings);
    ini.WriteString(kSettingsSection, "WindowState", s.WindowState);
    ini.WriteString(kSettingsSection, "ReadingFont", s.ReadingFont);
    ini.WriteString(kSettingsSection, "ReadingFontSize", s.ReadingFontSize);
    ini.WriteString(kSettingsSection, "ReadingBackground", s.ReadingBackground);
    ini.WriteString(kSettingsSection, "ReadingBookmark", s.ReadingBookmark);
    ini.WriteString(kSettingsSection, "Notepad", s.Notepad);
    // The notes are replaced only once the new file is complete.
    reader::ReplaceFileSafely(NotesFileName(dir), [this](const std::string& path) { RichEdit3->Lines()->SaveToFile(path); });
}
