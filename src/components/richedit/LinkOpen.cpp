#include "LinkOpen.h"

#include <shellapi.h>

#include "Forms.h"
#include "RichEdit.h"
#include "core/LinkPolicy.h"

namespace linkopen {

ShellExecuteFn ShellExecuteCall = ShellExecuteA;

bool OpenLink(HWND owner, const std::string& link) {
    links::Decision d = links::Judge(link);
    if (!d.open) {
        if (Application)
            Application->MessageBox(links::RefusalMessage(link, d), Application->Title(), MB_OK | MB_ICONWARNING);
        return false;
    }
    THourglass hourglass;
    // What the shell makes of an accepted link is its own business.
    ShellExecuteCall(owner, "open", d.target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
}

}  // namespace linkopen
