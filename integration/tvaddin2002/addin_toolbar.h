#ifndef ADDIN_TOOLBAR_H
#define ADDIN_TOOLBAR_H
// The add-in's toolbar "Tvaddin2002" and its commands Edit and Edit All,
// made and removed through the host's Commands and CommandBars objects.
#include <windows.h>
#include <ole2.h>

// Makes the bar and both commands.  S_OK also when the bar exists already
// (the commands are then left as they are); otherwise the host's error or
// E_FAIL.
HRESULT toolbar_add(IDispatch *dte, IDispatch *addin);
// Deletes our commands and the bar, where they exist.
HRESULT toolbar_remove(IDispatch *dte);
// Shows the bar if the host has it.
void toolbar_show(IDispatch *dte);

#endif
