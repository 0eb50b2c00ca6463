// A book folder as an author hands it over: book.meta ("key = value" lines)
// and the files it names. Read and checked before anything is written: every
// problem is one line naming the file and the field, and all of them are
// reported at once.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bookmaker {

// The fields of book.meta, in the order an author writes them.
inline const char* const kMetaFields[] = {"identifier", "title",       "author",         "year",
                                          "date",       "rating",      "series",         "book",
                                          "author_page", "copyright_page", "cover", "icon"};
// The fields that name files in the folder (icon may be left out).
inline const char* const kFileFields[] = {"book", "author_page", "copyright_page", "cover", "icon"};

// The cover is cut out of a picture of exactly this size.
inline constexpr int kCoverSide = 400;

struct Book {
    std::map<std::string, std::string> meta;   // field -> value (UTF-8)
    std::map<std::string, std::string> files;  // file field -> the file's bytes
    const std::string& Field(const std::string& key) const;
    bool Has(const std::string& key) const { return meta.count(key) != 0; }
};

// Reads a file of the folder by the name book.meta gives; false with error
// set to why it cannot be read.
using ReadFile = std::function<bool(const std::string& name, std::string& bytes, std::string& error)>;

// Checks book.meta's text and every file it names, filling book. Empty when
// the book can be made.
std::vector<std::string> CheckBook(const std::string& metaText, const ReadFile& read, Book& book);

// What is wrong with a file's contents, empty when nothing is.
std::string CheckCover(const std::string& bmp);
std::string CheckRtf(const std::string& rtf);
std::string CheckIcon(const std::string& ico);

}  // namespace bookmaker
