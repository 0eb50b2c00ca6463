// The window's answer to assistive technology: an IAccessible for a
// control's client area, as the platform's standard controls give one. The
// window itself is described by the platform's own object where the control
// has nothing to add; its parts without windows of their own (picture
// buttons, a tab control's tabs) are its simple children, with name, role,
// state, place and default action. The object keeps only the window's
// handle and asks the control anew on every call, so it may outlive it.
#pragma once

#include <windows.h>

class TWinControl;

// The result for WM_GETOBJECT (OBJID_CLIENT) on c's window, or 0 when the
// platform's accessibility library is not there.
LRESULT AnswerAccessibleObject(TWinControl* c, WPARAM wParam);
// The message that runs a default action asked for from outside: from the
// window's own queue, so that the caller is not held by what the action
// opens (a modal window). wParam: the child's number (from 1).
UINT AccessibleActionMessage();
void RunAccessibleAction(TWinControl* c, long child);
