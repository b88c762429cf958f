#ifndef ADDIN_REGISTRAR_H
#define ADDIN_REGISTRAR_H
// Runs a registration script (a resource of type "REGISTRY") against the
// registry.  The script language is the usual one of COM servers:
//
//   HKCR { [NoRemove|ForceRemove] name [= s 'text' | = d 'number']
//          [{ ... keys ... and val name = s 'text' | d 'number' ... }] }
//
// Names are bare words or 'quoted'; '' inside quotes is one quote; %WORD%
// in quoted text is replaced from the substitution table.  Registering
// creates every key and value; ForceRemove first deletes the key with all
// below it.  Unregistering deletes the values the script names and then
// each key the script made, where nothing else is left in it, so that what
// other programs put there survives; NoRemove keys are only walked through.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

using reg_subst_t = std::vector<std::pair<std::string, std::string>>;

// Both return S_OK, or an HRESULT naming the first failure (a script that
// does not parse gives E_UNEXPECTED and touches nothing).
HRESULT reg_script_register(const std::string &script, const reg_subst_t &subst);
HRESULT reg_script_unregister(const std::string &script, const reg_subst_t &subst);

#endif
