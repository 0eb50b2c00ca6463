#include "reader/unitRead.h"

#include "Dialogs.h"
#include "Files.h"
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

std::string SettingsFileName(const std::string& dir) { return reader::JoinPath(dir, reader::BookIdentifier() + ".Ini"); }
std::string NotesFileName(const std::string& dir) { return reader::JoinPath(dir, reader::BookIdentifier() + ".Rtf"); }

}  // namespace

CX_IMPLEMENT_CLASS(TfrmRead, TCustomForm, CX_ABSTRACT, {})
CX_LAYOUT_BINDER(TfrmRead)

TfrmRead::TfrmRead(TComponent* owner) : TForm(owner), Arguments(reader::CommandLineArguments()) {
    BindComponents();
}

TfrmRead::~TfrmRead() = default;

reader::TReadingView& TfrmRead::View() {
    if (!view_) {
        view_ = std::make_unique<reader::TReadingView>(*RichEdit2);
        RichEdit2->OnDocumentLoaded = [this](TObject*) {
            view_->DocumentArrived();
            ShowBookDefaults();
        };
    }
    return *view_;
}

void TfrmRead::WndProc(TMessage& m) {
    // Shown before the book is all in: the page shows at once as the
    // reader's choices and the saved reading place make it, with no jump
    // later. The book comes in now as far as that page; the rest follows
    // in idle time and takes the choices as it arrives.
    if (m.msg == WM_SHOWWINDOW && m.wParam && RichEdit2 && RichEdit2->DocumentPending()) {
        try {
            View().OpenPage();
            ShowBookDefaults();
        } catch (...) {
            Application->HandleException(this);
        }
    }
    // The notepad's editor window is one click away from here: made ahead.
    if (m.msg == WM_SHOWWINDOW && m.wParam) TwwCustomRichEdit::PrepareEditorWindow();
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
    // Whatever the reader answers, the dialog's current font applies (face,
    // style and colour on the book's runs); the size box keeps ruling the size.
    // The dialog opens on the page's font as it is: the face the page
    // shows (the book's body face until another is chosen, not the layout's
    // bitmap "MS Sans Serif", which does not scale), its size, style and colour.
    fontdialogRichEdit->Font.Assign(RichEdit2->Font());
    fontdialogRichEdit->Execute();
    RichEdit2->Font()->Assign(&fontdialogRichEdit->Font);
    TFont& font = *RichEdit2->Font();
    faceChosen_ = true;
    View().SetFace(font.Name(), font.Charset());
    DWORD effects = ((font.Style() & fsBold) ? CFE_BOLD : 0) | ((font.Style() & fsItalic) ? CFE_ITALIC : 0) |
                    ((font.Style() & fsUnderline) ? CFE_UNDERLINE : 0);
    View().SetStyle(effects, ColorToRGB(font.Color()), font.Color() == clWindowText);
    View().SetSize(StrToInt(editFontSize->Text()));
}

void TfrmRead::ShowBookDefaults() {
    // Nothing chosen: the book shows as its author set it, and the size box
    // and the view's font (what a close saves) name its body text.
    // While the book comes in, its body is that of the text in so far.
    if (!View().Measure()) return;
    int points = (View().BodyTwips() + 10) / 20;
    if (!sizeShown_) editFontSize->SetText(std::to_string(points));
    if (!View().SizeChosen()) RichEdit2->Font()->SetSize(points);
    if (!faceChosen_ && !View().BodyFace().empty()) RichEdit2->Font()->SetName(View().BodyFace());
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

void TfrmRead::FormKeyDown(TObject*, WORD& Key, TShiftState Shift) {
    bool ctrlOnly = (Shift & (ssCtrl | ssAlt)) == ssCtrl;
    if (ctrlOnly && (Key == VK_OEM_PLUS || Key == VK_ADD)) {
        Key = 0;
        btnIncreaseFontClick(this);
    } else if (ctrlOnly && (Key == VK_OEM_MINUS || Key == VK_SUBTRACT)) {
        Key = 0;
        btnDecreaseFontClick(this);
    } else if (Key == VK_ESCAPE && !(Shift & (ssCtrl | ssAlt | ssShift))) {
        Key = 0;
        btnCloseClick(this);
        return;
    }
    // The size box with the focus shows its new size selected, as Tab left it.
    if (Key == 0 && editFontSize->Focused()) SendMessageA(editFontSize->Handle(), EM_SETSEL, 0, -1);
}

// ---------------------------------------------------------------- settings

int TfrmRead::SavedBookmark() {
    // The caret in front of the part of the book still coming in is where
    // the finished book has it; only one further on waits for the rest.
    int at;
    {
        TwwCustomRichEdit::TPartialUse use(*RichEdit2);
        at = RichEdit2->SelStart();
    }
    if (RichEdit2->DocumentPending() && at >= RichEdit2->DocumentFrontLength()) at = RichEdit2->SelStart();
    return at;
}

void TfrmRead::FormCreate(TObject*) {
    RichEdit2->Show();
    // The layout's size box text and font are no choice of the reader's: the
    // book keeps its own sizes and faces until one is chosen, and the box
    // shows its body size (ShowBookDefaults, once the text is in).
    View();
    // Every way out but an error shows the book's own where nothing was chosen.
    auto finish = [this] { ShowBookDefaults(); };
    std::string dir = reader::WorkingDirectory();
    std::string notes = NotesFileName(dir);
    if (FileExists(notes)) RichEdit3->Lines()->LoadFromFile(notes);

    for (const reader::SwitchValue& s : reader::ParseSwitches(Arguments)) {
        switch (s.which) {
        case reader::Switch::ReadingFont:
            ReaderSettings.ReadingFont = s.value;
            RichEdit2->Font()->SetName(s.value);
            faceChosen_ = true;
            View().SetFace(s.value, RichEdit2->Font()->Charset());
            break;
        case reader::Switch::ReadingSize:
            ReaderSettings.ReadingFontSize = s.value;
            View().SetSize(StrToInt(s.value));
            editFontSize->SetText(s.value);
            sizeShown_ = true;
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
            sizeShown_ = true;
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
    if (!FileExists(settings)) {
        settingsRead_ = true;
        ReaderSettings.ReadingFont = RichEdit2->Font()->Name();
        ReaderSettings.ReadingFontSize = std::to_string(RichEdit2->Font()->Size());
        ReaderSettings.ReadingBackground = ColorToString(RichEdit2->Color());
        finish();
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
        finish();
        return;
    }
    if (s.WindowState == "wsNormal") SetWindowState(TWindowState::wsNormal);
    else if (s.WindowState == "wsMaximized") SetWindowState(TWindowState::wsMaximized);
    if (s.ReadingFont != kError) {
        // A saved face applies whatever it is, over a launcher's face switch
        // (the book's body face keeps the book's other faces, see TReadingView).
        RichEdit2->Font()->SetName(s.ReadingFont);
        faceChosen_ = true;
        View().SetFace(s.ReadingFont, RichEdit2->Font()->Charset());
    }
    if (s.ReadingFontSize != kError) {
        View().SetSize(StrToInt(s.ReadingFontSize));
        editFontSize->SetText(s.ReadingFontSize);
        sizeShown_ = true;
    }
    if (s.ReadingBackground != kError) RichEdit2->SetColor(StringToColor(s.ReadingBackground));
    if (s.ReadingBookmark != kError) View().SetBookmark(StrToInt(s.ReadingBookmark));
    if (s.Notepad == "True") ShowNotepad();
    finish();
}

void TfrmRead::FormClose(TObject*, TCloseAction&) {
    std::string dir = reader::WorkingDirectory();
    std::string settings = SettingsFileName(dir);
    if (!checkboxSaveSettings->Checked()) {
        // Unchecked deletes the file, but only when the box could show what
        // the file said: after a start that failed before reading it, the
        // box says nothing about the reader's wish.
        if (settingsRead_ && FileExists(settings)) DeleteFileA(settings.c_str());
        return;
    }
    if (FileExists(settings)) {
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
    s.ReadingBookmark = std::to_string(SavedBookmark());
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
    reader::SaveNotesFile(NotesFileName(dir),
                          [this](const std::string& path) { RichEdit3->Lines()->SaveToFile(path); });
}
