// The reader's settings file and notes file: where they live, the switches
// of the command line, and the file steps of saving.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace reader {

// The book this program carries: its identifier, read from the launcher's
// line "[NAM] <identifier>.Exe" in the program's string table (which the
// book maker writes). Empty in a reader template that carries no book.
std::string BookIdentifier();
// The identifier in such a line, empty when the line is not one.
std::string IdentifierFromNameLine(const std::string& line);

// The process's current directory, without a trailing separator except at a
// drive root ("C:\"); "." when the narrow code page cannot spell its name.
std::string WorkingDirectory();
// dir + "\" + name, without doubling the separator at a drive root.
std::string JoinPath(const std::string& dir, const std::string& name);

// The command line's arguments, argument 0 (the program) first.
std::vector<std::string> CommandLineArguments();

enum class Switch { ReadingFont, ReadingSize, ReadingColor, NotepadFont, NotepadSize, NotepadColor, Maximized };
struct SwitchValue {
    Switch which;
    std::string value;  // the rest of the argument after the switch, untrimmed
};
// Every switch each argument carries, in argument order: "/RF", "/RI", "/RK",
// "/NF", "/NI", "/NK" by their first three characters (case-sensitive), "/X"
// by its first two.
std::vector<SwitchValue> ParseSwitches(const std::vector<std::string>& args);

// The settings file's template: the section line and six empty keys, each
// line ended by CR LF.
extern const char kSettingsTemplate[];

// Opens a file for reading and closes it again; raises EInOutError when it
// cannot be read.
void CheckReadable(const std::string& path);
// Creates a new settings file holding the template. False when the file
// cannot be created (a read-only place).
bool CreateSettingsFile(const std::string& path);

// Saves the notes file through a temporary file beside it (ReplaceFileSafely
// of Files.h): a failure leaves the old file as it was. write(path) writes
// the whole file at path and raises on failure; a file that cannot be put in
// place raises EInOutError.
void SaveNotesFile(const std::string& path, const std::function<void(const std::string&)>& write);

}  // namespace reader
