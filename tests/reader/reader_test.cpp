// The reading window's commands on the real window built from its stored
// layout, and the file steps of saving the reader's notes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Dialogs.h"
#include "Splitter.h"
#include "StdCtrls.h"
#include "buttons/MMBmpBtn.h"
#include "TestUtil.h"
#include "reader/ReaderSettings.h"
#include "reader/unitRead.h"
#include "richedit/wwRichEdit.h"

using namespace testsupport;

namespace {

std::string TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string dir = std::string(base) + "codexia-reader-" + std::to_string(GetTickCount());
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

class ReaderTest : public testing::Test {
protected:
    void SetUp() override {
        dir = TempDir();
        SetCurrentDirectoryA(dir.c_str());
        form = new TfrmRead(Application);
        form->Arguments = {"book.exe"};
        form->LoadLayout();
        form->DoCreate();
        Errors().clear();
    }
    void TearDown() override {
        delete form;
        TCommonDialog::OnDialogShown = nullptr;
    }
    int BookSize() { return form->RichEdit2->Font()->Size(); }
    std::string SizeBox() { return form->editFontSize->Text(); }
    std::string dir;
    TfrmRead* form = nullptr;
};

}  // namespace

TEST_F(ReaderTest, SizeCommandsStepByOneAndStopAtTheirTexts) {
    ASSERT_EQ(SizeBox(), "8");
    for (int k = 0; k < 7; ++k) form->btnIncreaseFontClick(nullptr);
    EXPECT_EQ(SizeBox(), "15");
    EXPECT_EQ(BookSize(), 15);
    form->editFontSize->SetText("71");
    form->btnIncreaseFontClick(nullptr);
    EXPECT_EQ(SizeBox(), "72");
    EXPECT_EQ(BookSize(), 72);
    form->btnIncreaseFontClick(nullptr);
    EXPECT_EQ(SizeBox(), "72");
    form->editFontSize->SetText("3");
    form->btnDecreaseFontClick(nullptr);
    EXPECT_EQ(SizeBox(), "2");
    form->btnDecreaseFontClick(nullptr);
    EXPECT_EQ(SizeBox(), "2");
    EXPECT_EQ(BookSize(), 2);
    // No clamp beyond the stop texts.
    form->editFontSize->SetText("80");
    form->btnIncreaseFontClick(nullptr);
    EXPECT_EQ(SizeBox(), "81");
}

TEST_F(ReaderTest, ASizeTextThatIsNoIntegerRaisesTheConversionError) {
    form->editFontSize->SetText("big");
    try {
        form->btnIncreaseFontClick(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'big' is not a valid integer value");
    }
    EXPECT_EQ(SizeBox(), "big");
}

TEST_F(ReaderTest, SizeCommandsAtThe32BitLimitsRaiseInsteadOfWrapping) {
    struct Case {
        const char* text;
        bool increase;
        const char* error;
    } cases[] = {{"2147483647", true, "'2147483648' is not a valid integer value"},
                 {"-2147483648", false, "'-2147483649' is not a valid integer value"},
                 {"2147483648", true, "'2147483648' is not a valid integer value"},
                 {"", false, "'' is not a valid integer value"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        form->RichEdit2->Font()->SetSize(9);
        form->editFontSize->SetText(c.text);
        try {
            if (c.increase) form->btnIncreaseFontClick(nullptr);
            else form->btnDecreaseFontClick(nullptr);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.error);
        }
        EXPECT_EQ(SizeBox(), c.text);
        EXPECT_EQ(BookSize(), 9);
    }
    // One step short of the limit still works.
    form->editFontSize->SetText("2147483646");
    form->btnIncreaseFontClick(nullptr);
    EXPECT_EQ(SizeBox(), "2147483647");
}

TEST_F(ReaderTest, CancelledDialogsStillApplyTheirCurrentValues) {
    TCommonDialog::OnDialogShown = [](HWND dlg) { PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0); };
    form->editFontSize->SetText("12");
    form->btnFontClick(nullptr);
    EXPECT_EQ(form->RichEdit2->Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(BookSize(), 12);
    form->RichEdit2->SetColor(clYellow);
    form->btnBackgroundClick(nullptr);
    EXPECT_EQ(form->RichEdit2->Color(), clWhite);
}

TEST_F(ReaderTest, TheNotepadTakesAThirdOfTheWindow) {
    form->Show();
    Pump(50);
    ASSERT_EQ(form->Width(), 430);
    EXPECT_FALSE(form->RichEdit3->Visible());
    form->btnHideShowNotepadClick(nullptr);
    EXPECT_TRUE(form->RichEdit3->Visible());
    EXPECT_TRUE(form->Splitter1->Visible());
    EXPECT_EQ(form->RichEdit3->Width(), 143);
    EXPECT_EQ(form->btnHideShowNotepad->Caption(), "Hide");
    EXPECT_EQ(form->btnHideShowNotepad->Hint(), "Hide");
    // The splitter lies between the book and the notepad.
    EXPECT_EQ(form->Splitter1->Left() + form->Splitter1->Width(), form->RichEdit3->Left());
    form->SetBounds(form->Left(), form->Top(), 600, form->Height());
    Pump(30);
    EXPECT_EQ(form->RichEdit3->Width(), 200);
    form->btnHideShowNotepadClick(nullptr);
    EXPECT_FALSE(form->RichEdit3->Visible());
    EXPECT_FALSE(form->Splitter1->Visible());
    EXPECT_EQ(form->btnHideShowNotepad->Caption(), "Show");
    form->Hide();
}

TEST(NotesFile, AFailedSaveLeavesThePreviousNotes) {
    std::string dir = TempDir();
    std::string notes = dir + "\\Book.Rtf";
    {
        std::ofstream f(notes, std::ios::binary);
        f << "{\\rtf1 old notes}";
    }
    EXPECT_THROW(reader::ReplaceFileSafely(notes,
                                           [](const std::string& path) {
                                               std::ofstream f(path, std::ios::binary);
                                               f << "{\\rtf1 half";
                                               throw EInOutError("Disk full");
                                           }),
                 EInOutError);
    {
        std::ifstream in(notes, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        EXPECT_EQ(s.str(), "{\\rtf1 old notes}");
    }
    // Only the notes file is left: the partial file is gone.
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*.Rtf").c_str(), &fd);
    int count = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do ++count;
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    EXPECT_EQ(count, 1);
    reader::ReplaceFileSafely(notes, [](const std::string& path) {
        std::ofstream f(path, std::ios::binary);
        f << "{\\rtf1 new notes}";
    });
    std::ifstream again(notes, std::ios::binary);
    std::stringstream t;
    t << again.rdbuf();
    EXPECT_EQ(t.str(), "{\\rtf1 new notes}");
}

TEST(Switches, PrefixesAreCaseSensitiveAndValuesUntrimmed) {
    using reader::Switch;
    auto s = reader::ParseSwitches({"C:\\book.exe", "/RFArial", "/RI14", "/rf Times", "/NK$00FF00", "/RF", "/Xyz",
                                    "/X", "/NI 20"});
    ASSERT_EQ(s.size(), 7u);
    EXPECT_EQ(s[0].which, Switch::ReadingFont);
    EXPECT_EQ(s[0].value, "Arial");
    EXPECT_EQ(s[1].value, "14");
    EXPECT_EQ(s[2].which, Switch::NotepadColor);
    EXPECT_EQ(s[3].which, Switch::ReadingFont);
    EXPECT_EQ(s[3].value, "");
    EXPECT_EQ(s[4].which, Switch::Maximized);
    EXPECT_EQ(s[5].which, Switch::Maximized);
    EXPECT_EQ(s[6].which, Switch::NotepadSize);
    EXPECT_EQ(s[6].value, " 20");
}
