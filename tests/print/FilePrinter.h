// A PostScript printer that writes its jobs to files, added to the test
// prefix when it is missing and made the default printer. No spooler
// service is needed: the platform's own PostScript driver does the work.
#pragma once

#include <string>

namespace printtest {

inline constexpr const char* kFilePrinterName = "Codexia PostScript File";

// Adds the printer when missing and makes it the default; the printer's
// name, or an empty text with why in *why when it could not be added.
std::string EnsureFilePrinter(std::string* why = nullptr);

// Removes the printer again when EnsureFilePrinter added it, and gives the
// default back to the printer that had it, so that the prefix is left as
// it was found.
void RemoveFilePrinter();

// Another printer on the same driver, added or deleted (false on failure).
bool AddSecondPrinter(const std::string& name);
bool DeleteSecondPrinter(const std::string& name);

// Runs a program of this machine (not of the platform under test) and
// returns its standard output; exit code in *code.
std::string RunHostCommand(const std::string& commandLine, int* code = nullptr);

// A Windows path as a path of this machine (Z:\a\b -> /a/b).
std::string HostPath(const std::string& windowsPath);

}  // namespace printtest
