#pragma once

#include <windows.h>
#include <unknwn.h>

// What the toolbar finds in barshare.dll besides the four COM server exports.
// Like those, they are WINAPI functions: stdcall on i686 (the callee pops its
// arguments), exported under their undecorated names.
extern "C" {
HRESULT __stdcall GetCreatorGuid(GUID* out);
HRESULT __stdcall InitializeObjects(IUnknown* host);
}
