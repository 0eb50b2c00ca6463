// Opening a clicked link: the link is judged first (only web and mail links
// go to the shell), and a refused one is explained to the reader in one line.
#pragma once

#include <windows.h>

#include <string>

namespace linkopen {

// The shell call that opens an accepted link. Tests put a recorder here to
// see what would have been started.
using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
extern ShellExecuteFn ShellExecuteCall;

// Opens link with the shell's "open" verb when it is a web or mail link;
// otherwise shows why it was not opened. True when the shell was asked.
bool OpenLink(HWND owner, const std::string& link);

}  // namespace linkopen
