// The command line split into arguments: the switches a launcher passes
// (font names with spaces, quoted paths) must arrive as the platform's own
// start-up code would hand them over.
#include <gtest/gtest.h>

#include "CommandLine.h"

namespace {
std::vector<std::string> Split(const char* s) { return cmdline::Split<char>(s); }
using V = std::vector<std::string>;
}  // namespace

TEST(CommandLine, ProgramNameAndSwitches) {
    EXPECT_EQ(Split("book.exe"), V({"book.exe"}));
    EXPECT_EQ(Split("\"C:\\Books\\My Book.Exe\" /RI15 /X"), V({"C:\\Books\\My Book.Exe", "/RI15", "/X"}));
    EXPECT_EQ(Split("C:\\a\\book.exe\t /RFArial  \t/NK255  "), V({"C:\\a\\book.exe", "/RFArial", "/NK255"}));
    EXPECT_EQ(Split(""), V({""}));
    // The program name keeps its backslashes even before a quote.
    EXPECT_EQ(Split("\"C:\\dir\\\\\" x"), V({"C:\\dir\\\\", "x"}));
}

TEST(CommandLine, QuotesJoinWordsAnywhereInAnArgument) {
    EXPECT_EQ(Split("b /RF\"Times New Roman\" /RI12"), V({"b", "/RFTimes New Roman", "/RI12"}));
    EXPECT_EQ(Split("b \"/RFCourier New\""), V({"b", "/RFCourier New"}));
    EXPECT_EQ(Split("b \"\" x"), V({"b", "", "x"})) << "an empty quoted argument still counts";
    EXPECT_EQ(Split("b \"open"), V({"b", "open"})) << "a quote left open ends with the line";
    EXPECT_EQ(Split("b \"say \"\"hi\"\"\""), V({"b", "say \"hi\""})) << "two quotes inside quotes give one";
}

TEST(CommandLine, BackslashesCountOnlyBeforeAQuote) {
    EXPECT_EQ(Split("b a\\b c\\\\d"), V({"b", "a\\b", "c\\\\d"}));
    EXPECT_EQ(Split("b a\\\"b"), V({"b", "a\"b"})) << "an odd count escapes the quote";
    EXPECT_EQ(Split("b a\\\\\"b c\""), V({"b", "a\\b c"})) << "an even count halves and the quote opens";
    EXPECT_EQ(Split("b \"C:\\dir\\\\\" next"), V({"b", "C:\\dir\\", "next"}));
    EXPECT_EQ(Split("b a\\\\\\\"b"), V({"b", "a\\\"b"}));
}
