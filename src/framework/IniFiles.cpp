#include "IniFiles.h"

#include <windows.h>

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    char buf[2048];
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf, sizeof buf, fileName_.c_str());
    return std::string(buf, n);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), fileName_.c_str()))
        throw EIniFileException("Unable to write to " + fileName_);
}
