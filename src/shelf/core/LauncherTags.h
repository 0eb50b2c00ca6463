// What a launcher reads of a book without running it: the tagged lines of
// the book's string table (ids 1 to 11, "[VER] 1" ... "[FEA] ..."), and the
// command line that starts it with the switches a reader chose.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace shelf {

// The strings of one string-table block (sixteen counted UTF-16 strings, ids
// 16 * (block - 1) on) as UTF-8, by id; empty strings left out. A block cut
// short gives the strings that are whole and sets truncated.
std::map<int, std::string> ReadStringBlock(const std::string& bytes, int block, bool* truncated = nullptr);

struct BookTags {
    std::string version, commands, closeText, author, title, fileName, year, date, rating, series, features;
    // The switches "[COM]" offers ("RF", "RI", ...), in its order.
    std::vector<std::string> switches;
    // Tags that were missing or damaged, one line each (shown, never fatal).
    std::vector<std::string> problems;
    // A book names itself: "[NAM] <identifier>.Exe".
    bool IsBook() const { return !Identifier().empty(); }
    std::string Identifier() const;
    // For the list: the title, else the identifier.
    std::string DisplayTitle() const;
    // The series' first number, for sorting (0 when there is none).
    int SeriesNumber() const;
};

// Reads ids 1 to 11; takes missing tags, tags without a value, values with
// brackets and tags in the wrong place without failing.
BookTags ParseTags(const std::map<int, std::string>& strings);

// The reader's choices for a start; empty fields are not passed.
struct StartOptions {
    std::string readingFont, readingSize, readingColour;
    std::string notepadFont, notepadSize, notepadColour;
    bool maximized = false;
};
// The switch arguments for these choices, each as the book reads it
// ("/RF" then the value, no space), only those the book offers (and "/X").
// A size that is not a whole number from 1 to 999 is an error: errors names
// it and no argument is given for it.
std::vector<std::string> StartArguments(const StartOptions& o, const std::vector<std::string>& offered,
                                        std::vector<std::string>* errors = nullptr);
// A command line for the program and its arguments.
std::string CommandLine(const std::string& program, const std::vector<std::string>& args);

}  // namespace shelf
