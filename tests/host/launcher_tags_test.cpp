// The launcher's reading of a book's tagged lines, and the command line it
// starts a book with.
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "LauncherTags.h"

using namespace shelf;

namespace {

// A string-table block as the platform stores it: sixteen counted UTF-16 strings.
std::string Block(const std::map<int, std::u16string>& strings) {
    std::string b;
    for (int id = 0; id < 16; ++id) {
        auto it = strings.find(id);
        std::u16string s = it == strings.end() ? u"" : it->second;
        b.push_back(static_cast<char>(s.size() & 0xFF));
        b.push_back(static_cast<char>(s.size() >> 8));
        for (char16_t c : s) {
            b.push_back(static_cast<char>(c & 0xFF));
            b.push_back(static_cast<char>(c >> 8));
        }
    }
    return b;
}

const std::map<int, std::u16string> kSample = {
    {1, u"[VER] 1"},
    {2, u"[COM] RF-RI-RK-NF-NI-NK"},
    {3, u"[SEN] C"},
    {4, u"[AUT] Ines Marlow"},
    {5, u"[TIT] Lanterns Over the Quiet Harbour"},
    {6, u"[NAM] Codexia-Marlow_Ines-Lanterns_Over_The_Quiet_Harbour.Exe"},
    {7, u"[YEA] 2001"},
    {8, u"[DAT] 12-20"},
    {9, u"[RAT] G"},
    {10, u"[SER] 1-7"},
    {11, u"[FEA] [AUT] Ines Marlow [BOO] Lanterns Over the Quiet Harbour [YEA] 2001 [RAT] G"},
};

}  // namespace

TEST(LauncherTags, EveryTagOfABook) {
    bool truncated = true;
    BookTags t = ParseTags(ReadStringBlock(Block(kSample), 1, &truncated));
    EXPECT_FALSE(truncated);
    EXPECT_EQ(t.problems, std::vector<std::string>{});
    EXPECT_EQ(t.version, "1");
    EXPECT_EQ(t.switches, (std::vector<std::string>{"RF", "RI", "RK", "NF", "NI", "NK"}));
    EXPECT_EQ(t.closeText, "C");
    EXPECT_EQ(t.author, "Ines Marlow");
    EXPECT_EQ(t.title, "Lanterns Over the Quiet Harbour");
    EXPECT_EQ(t.Identifier(), "Codexia-Marlow_Ines-Lanterns_Over_The_Quiet_Harbour");
    EXPECT_EQ(t.year, "2001");
    EXPECT_EQ(t.date, "12-20");
    EXPECT_EQ(t.rating, "G");
    EXPECT_EQ(t.SeriesNumber(), 1);
    EXPECT_EQ(t.features, "[AUT] Ines Marlow [BOO] Lanterns Over the Quiet Harbour [YEA] 2001 [RAT] G");
    EXPECT_TRUE(t.IsBook());
}

TEST(LauncherTags, DamagedMissingAndTruncatedTagsDoNotFail) {
    auto damaged = kSample;
    damaged.erase(4);                       // no author line
    damaged[5] = u"[TIT]";                  // a tag with no value
    damaged[7] = u"[SER] 1-7";              // a tag in the wrong place
    damaged[10] = u"[SER] [2] of [7] \u00e9";  // brackets and a non-ASCII letter in the value
    BookTags t = ParseTags(ReadStringBlock(Block(damaged), 1));
    EXPECT_EQ(t.author, "");
    EXPECT_EQ(t.title, "");
    EXPECT_EQ(t.DisplayTitle(), "Codexia-Marlow_Ines-Lanterns_Over_The_Quiet_Harbour");
    EXPECT_EQ(t.year, "");
    EXPECT_EQ(t.series, "[2] of [7] \xC3\xA9");
    EXPECT_EQ(t.SeriesNumber(), 0);
    EXPECT_EQ(t.problems, (std::vector<std::string>{"no [AUT] line (id 4)", "id 7 is not a [YEA] line"}));

    // Cut in the middle of the title: the strings before it are read.
    std::string block = Block(kSample);
    bool truncated = false;
    auto strings = ReadStringBlock(block.substr(0, 60), 1, &truncated);
    EXPECT_TRUE(truncated);
    EXPECT_EQ(strings.count(4), 0u);
    EXPECT_EQ(strings.at(1), "[VER] 1");
    EXPECT_FALSE(ParseTags(strings).IsBook());
    EXPECT_TRUE(ReadStringBlock("", 1).empty());
    // No tags at all, or a name that is not a program: not a book.
    EXPECT_FALSE(ParseTags({}).IsBook());
    EXPECT_FALSE(ParseTags({{6, "[NAM] notes.txt"}}).IsBook());
}

TEST(LauncherTags, StartArgumentsFollowTheSwitchRulesAndSurviveTheCommandLine) {
    StartOptions o;
    o.readingFont = "Times New Roman";
    o.readingSize = "15";
    o.readingColour = "clCream";
    o.notepadSize = "abc";
    o.notepadColour = "$00FFEEDD";
    o.maximized = true;
    std::vector<std::string> errors;
    auto args = StartArguments(o, {"RF", "RI", "RK", "NF", "NI"}, &errors);
    EXPECT_EQ(args, (std::vector<std::string>{"/RFTimes New Roman", "/RI15", "/RKclCream", "/X"}))
        << "no /NK: the book does not offer it";
    EXPECT_EQ(errors, std::vector<std::string>{"'abc' is not a size from 1 to 999"});

    // Read back by the platform's rules, every argument is whole.
    std::vector<std::string> tricky = {"/RFA \"quoted\" face", "/RF\\server\\", "/RK", "/RF a\\\\\"b"};
    auto line = CommandLine("C:\\Books\\My Book.Exe", tricky);
    auto split = cmdline::Split<char>(line);
    ASSERT_EQ(split.size(), tricky.size() + 1);
    EXPECT_EQ(split[0], "C:\\Books\\My Book.Exe");
    for (std::size_t k = 0; k < tricky.size(); ++k) EXPECT_EQ(split[k + 1], tricky[k]);
}
