// The memory stream of document transfers (128 KiB capacity steps, growth
// failure that loses nothing), the reader that feeds the window (line ends,
// held-back CR, chunk limit) and the string list's text form.
#include <gtest/gtest.h>

#include <limits>

#include "RichTestUtil.h"

using richtest::TSlicedStream;

TEST(RichMemoryStream, CapacityGrowsInWholeSteps) {
    TwwRichMemoryStream ms;
    EXPECT_EQ(ms.Capacity(), 0);
    ms.WriteString("x");
    EXPECT_EQ(ms.Capacity(), 131072);
    std::string block(131071, 'a');
    ms.WriteString(block);  // exactly one step full
    EXPECT_EQ(ms.Size(), 131072);
    EXPECT_EQ(ms.Capacity(), 131072);
    ms.WriteString("b");
    EXPECT_EQ(ms.Capacity(), 262144);
    ms.SetSize(300000);
    EXPECT_EQ(ms.Capacity(), 393216);
    ms.SetSize(0);
    EXPECT_EQ(ms.Capacity(), 0);
    EXPECT_EQ(ms.Position(), 0);
}

TEST(RichMemoryStream, GrowthFailureRaisesAndKeepsTheData) {
    TwwRichMemoryStream ms;
    ms.WriteString("keep me");
    ms.SetPosition(3);
    for (std::int64_t huge : {std::int64_t{1} << 50, std::numeric_limits<std::int64_t>::max()}) {
        try {
            ms.SetSize(huge);
            FAIL() << "a stream of " << huge << " bytes was allocated";
        } catch (const EStreamError& e) {
            EXPECT_STREQ(e.what(), "Out of memory while expanding memory stream");
        }
        EXPECT_EQ(ms.Size(), 7);
        EXPECT_EQ(ms.Position(), 3);
        EXPECT_EQ(ms.Bytes(), "keep me");
        EXPECT_EQ(ms.Capacity(), 131072);
    }
    // A write far past the end fails the same way.
    ms.Seek(std::int64_t{1} << 50, TSeekOrigin::soBeginning);
    EXPECT_THROW(ms.WriteString("x"), EStreamError);
    EXPECT_EQ(ms.Bytes(), "keep me");
}

TEST(RichMemoryStream, WritingPastTheEndFillsTheGapWithZeros) {
    TwwRichMemoryStream ms;
    ms.WriteString("ab");
    ms.SetPosition(5);
    ms.WriteString("c");
    EXPECT_EQ(ms.Bytes(), std::string("ab\0\0\0c", 6));
    ms.SetPosition(0);
    char buf[10];
    EXPECT_EQ(ms.Read(buf, sizeof buf), 6u);
    EXPECT_EQ(ms.Read(buf, sizeof buf), 0u);
    EXPECT_THROW(ms.ReadBuffer(buf, 1), EReadError);
}

namespace {
std::string Feed(TStream& in, std::size_t window, int chunkLimit = 0, int* chunks = nullptr) {
    in.SetPosition(0);
    TRichStreamReader reader(in, nullptr, chunkLimit);
    std::string out;
    std::vector<char> buf(window);
    for (int guard = 0; guard < 100000; ++guard) {
        std::size_t n = reader.Fill(buf.data(), buf.size());
        EXPECT_LE(n, window);
        if (n == 0) break;
        out.append(buf.data(), n);
    }
    if (chunks) *chunks = reader.Chunks();
    return out;
}
}  // namespace

TEST(RichStreamReader, LoneCrAndLoneLfBecomeCrLf) {
    TMemoryStream in;
    in.WriteString("unix\nmac\rdos\r\nend\r");
    EXPECT_EQ(Feed(in, 4096), "unix\r\nmac\r\ndos\r\nend\r\n");
}

TEST(RichStreamReader, CrAtTheEndOfOneReadIsNotLost) {
    // Every read of the source ends just after a CR: the next read decides
    // whether it was a lone CR or the first half of CR LF.
    std::string text;
    for (int k = 0; k < 50; ++k) text += "abc\r";
    text += "x\r\ny";
    for (std::size_t slice : {std::size_t(1), std::size_t(2), std::size_t(4), std::size_t(7)}) {
        TSlicedStream in(slice);
        in.WriteString(text);
        std::string expected;
        for (int k = 0; k < 50; ++k) expected += "abc\r\n";
        expected += "x\r\ny";
        EXPECT_EQ(Feed(in, 64), expected) << "slices of " << slice;
    }
}

TEST(RichStreamReader, UsesAtMostHalfOfEachBuffer) {
    TMemoryStream in;
    in.WriteString(std::string(1000, '\n'));
    // Every byte doubles; no fill may overflow the window's buffer.
    std::string out = Feed(in, 10);
    EXPECT_EQ(out.size(), 2000u);
}

TEST(RichStreamReader, ChunkLimitClosesTheDocumentAfterPard) {
    std::string rtf = "{\\rtf1\\ansi \\pard first{\\b bold}" + std::string(200, ' ') + "\\par second}";
    TMemoryStream in;
    in.WriteString(rtf);
    int chunks = 0;
    std::string out = Feed(in, 4096, 1, &chunks);
    EXPECT_EQ(chunks, 1);
    EXPECT_EQ(out, "{\\rtf1\\ansi \\pard first}");
    // Without a limit everything passes.
    EXPECT_EQ(Feed(in, 4096), rtf);
}

TEST(StringList, TextFormAndLineBreaks) {
    TStringList list;
    list.SetText("one\r\ntwo\nthree\rfour\r\n");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[2], "three");
    EXPECT_EQ(list.GetText(), "one\r\ntwo\r\nthree\r\nfour\r\n");
    list.SetText("a\r\n\r\nb");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list[1], "");
    EXPECT_THROW(list.Get(3), EStringListError);
    EXPECT_THROW(list.Insert(5, "x"), EStringListError);
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    list.BeginUpdate();
    list.Add("c");
    list.Add("d");
    list.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.IndexOf("d"), 4);
}

TEST(FileStream, MissingFileNamesTheFile) {
    try {
        TFileStream f("Z:\\no\\such\\dir\\file.rtf", fmOpenRead | fmShareDenyWrite);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot open file \"Z:\\no\\such\\dir\\file.rtf\""), std::string::npos)
            << e.what();
    }
}
