#pragma once

#include "CString.h"
#include "win/Handles.h"

namespace certassist {

// Opens sub below root; an invalid owner when it cannot be opened.
win::UniqueRegKey OpenRegistryKey(HKEY root, const wchar_t* sub, REGSAM access = KEY_READ);

// Reads a string value (REG_SZ or REG_EXPAND_SZ, not expanded) whose data,
// terminating zero included, fits in maxBytes bytes (0: any size). A value of
// another type, a longer one or a missing one leaves out unchanged: false.
bool ReadRegistryString(HKEY key, const wchar_t* name, DWORD maxBytes, CString& out);
bool ReadRegistryString(HKEY root, const wchar_t* sub, const wchar_t* name, DWORD maxBytes, CString& out);

// Reads a REG_DWORD value; false (out unchanged) when it cannot.
bool ReadRegistryDword(HKEY key, const wchar_t* name, DWORD& out);

// True when the value, of any type, can be read into a buffer of maxBytes.
bool CanReadRegistryValue(HKEY root, const wchar_t* sub, const wchar_t* name, DWORD maxBytes);

}  // namespace certassist
