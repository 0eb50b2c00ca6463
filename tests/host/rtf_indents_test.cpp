// Indents written under each other's names are put back as RTF means them:
// a document saved by such a writer and read again keeps its paragraphs
// where they were.
#include <gtest/gtest.h>

#include "RtfIndents.h"

using rtfindents::FromSwapped;

TEST(RtfIndents, EveryPairIsWrittenAsRtfMeansIt) {
    // First line 360 in, the others at the margin: offset -360.
    EXPECT_EQ(FromSwapped("\\pard\\sl-240\\slmult1\\li-360\\fi360\\sa60 text"), "\\pard\\sl-240\\slmult1\\fi360\\sa60 text");
    // Hanging: the paragraph 720 in, its first line at 360.
    EXPECT_EQ(FromSwapped("\\pard\\li360\\fi360 text"), "\\pard\\li720\\fi-360 text");
    // A plain left indent: only the first-line word was written.
    EXPECT_EQ(FromSwapped("\\pard\\fi720 text"), "\\pard\\li720 text");
    // Only an offset: the first line at the margin, the others 360 in.
    EXPECT_EQ(FromSwapped("\\pard\\li360\\ri100 text"), "\\pard\\li360\\fi-360\\ri100 text");
    // The delimiter after the last word stays.
    EXPECT_EQ(FromSwapped("{\\pard\\li-720\\fi720 a\\par}"), "{\\pard\\fi720 a\\par}");
}

TEST(RtfIndents, OtherWordsAndTextStayAsTheyAre) {
    const char* same[] = {
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\sa60 plain\\par}",
        "text \\\\li360\\\\fi360 typed by the reader",  // escaped backslashes: text
        "\\lin360\\fil \\linex5 \\li \\fi- words that only start alike",
        "{\\*\\pn\\pnlvlblt\\pnf0\\pnindent360{\\pntxtb\\'b7}}",
        "\\'5cli360 an escaped character, then letters",
    };
    for (const char* s : same) EXPECT_EQ(FromSwapped(s), s);
    EXPECT_EQ(FromSwapped(""), "");
    EXPECT_EQ(FromSwapped("\\"), "\\");
}
