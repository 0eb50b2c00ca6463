// Settings files through the platform's private profile functions.
#pragma once

#include <string>

#include "Classes.h"

class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    const std::string& FileName() const { return fileName_; }
    // Values longer than 2047 characters are cut.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Adds or replaces one key; raises "Unable to write to <file>" on failure.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

private:
    std::string fileName_;
};
