#pragma once

#include <windows.h>

#include <string>

// Puts code page text on the clipboard as CF_TEXT; false when the clipboard
// could not be had or took nothing.
bool PutClipboardText(HWND owner, const std::string& text);
