// The reading window: the book, read-only, with the reader's notepad beside
// it and a bar of reading commands. Its creation handler restores the notes,
// the command-line switches and the saved settings; its close handler saves
// them or removes them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Forms.h"
#include "TfrmRead.fields.h"

namespace reader {
class TReadingView;
}

class TfrmRead : public TForm {
    CX_DECLARE_CLASS()
public:
    explicit TfrmRead(TComponent* owner);
    ~TfrmRead() override;

    // The components of TfrmRead.layout: RichEdit2 is the book, RichEdit3 the
    // notepad, MMPanel1 the bar of reading commands.
    CX_LAYOUT_FIELDS(TfrmRead);

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormResize(TObject* Sender);
    void btnIncreaseFontClick(TObject* Sender);
    void btnDecreaseFontClick(TObject* Sender);
    void btnFontClick(TObject* Sender);
    void btnBackgroundClick(TObject* Sender);
    void btnNotepadClick(TObject* Sender);
    void btnHideShowNotepadClick(TObject* Sender);
    void btnCloseClick(TObject* Sender);
    // Keys anywhere in the window: Ctrl+plus and Ctrl+minus change the size
    // as the bar's buttons do; Escape closes the window as Close does.
    void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);

    // The command-line arguments the creation handler applies (the
    // process's own by default; tests give their own).
    std::vector<std::string> Arguments;

    // The reader's choices as the book view shows them.
    reader::TReadingView& View();

protected:
    void WndProc(TMessage& m) override;

private:
    std::unique_ptr<reader::TReadingView> view_;
    void ShowNotepad();
    void HideNotepad();
    void RepaintBookView();
    void SetShowHideCaption(const char* text);
    void ShowBookDefaults();
    // The reading place a close saves.
    int SavedBookmark();
    // The size box was set by a switch or the settings, and a face chosen
    // (switch, settings or the Font dialog).
    bool sizeShown_ = false;
    bool faceChosen_ = false;
    // Set once the creation handler has read the settings file (or found
    // none). A creation that failed before that never saw the reader's
    // choices, so the close must not delete the file it did not read.
    bool settingsRead_ = false;
};

// The reader's settings as held between creation and close, all as text.
struct TReaderSettings {
    std::string SaveSettings, WindowState, ReadingFont, ReadingFontSize, ReadingBackground, ReadingBookmark, Notepad;
};
extern TReaderSettings ReaderSettings;

inline constexpr char kSettingsSection[] = "CodexiaBook";
inline constexpr char kSaveFailedMessage[] = "Unable to save. Copy Codexia to rewritable drive and try again.";

extern TfrmRead* frmRead;
