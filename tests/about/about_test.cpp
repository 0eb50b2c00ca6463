// The About window keeps its tab and page between showings, and its pages
// are the book's read-only documents.
#include <gtest/gtest.h>

#include "ComCtrls.h"
#include "TestUtil.h"
#include "about/unitAbout.h"
#include "richedit/wwRichEdit.h"

using namespace testsupport;

TEST(About, TheChosenTabAndPageStayBetweenShowings) {
    auto* about = new TfrmAbout(Application);
    about->LoadLayout();
    about->DoCreate();
    EXPECT_EQ(about->TabControl1->TabIndex(), 0);
    EXPECT_TRUE(about->richeditAuthor->Visible());
    EXPECT_FALSE(about->richeditCopyright->Visible());
    EXPECT_TRUE(about->richeditAuthor->ReadOnly());
    EXPECT_TRUE(about->richeditCopyright->ReadOnly());
    EXPECT_GT(about->richeditAuthor->Lines()->Count(), 5);
    EXPECT_GT(about->richeditCopyright->Lines()->Count(), 5);

    about->OnShow = [&](TObject*) {
        // The reader picks the Copyright tab, then closes the window.
        about->TabControl1->SetTabIndex(1);
        about->TabControl1Change(about->TabControl1);
        PostMessageA(about->WindowHandle(), WM_CLOSE, 0, 0);
    };
    about->ShowModal();
    EXPECT_FALSE(about->richeditAuthor->Visible());
    EXPECT_TRUE(about->richeditCopyright->Visible());

    bool copyrightOnShow = false;
    about->OnShow = [&](TObject*) {
        copyrightOnShow = about->TabControl1->TabIndex() == 1 && about->richeditCopyright->Visible();
        about->btnCloseClick(nullptr);
    };
    about->ShowModal();
    EXPECT_TRUE(copyrightOnShow);
    // An index other than the two tabs changes nothing.
    about->TabControl1->SetTabIndex(-1);
    about->TabControl1Change(about->TabControl1);
    EXPECT_TRUE(about->richeditCopyright->Visible());
    delete about;
}
