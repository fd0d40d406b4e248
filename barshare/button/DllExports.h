#pragma once

#include <windows.h>
#include <unknwn.h>

// What the toolbar finds in barshare.dll besides the four COM server exports.
extern "C" {
HRESULT __stdcall GetCreatorGuid(GUID* out);
HRESULT __stdcall InitializeObjects(IUnknown* host);
}
