#pragma once

#include <windows.h>

#include <string>

// Puts 8-bit text (code page 936) on the clipboard for `owner`; false when
// the clipboard could not be opened or took nothing.
bool CopyTextToClipboard(HWND owner, const std::string& text);
// The clipboard's 8-bit text, empty when it holds none (for callers that
// check what was put there).
std::string ClipboardText(HWND owner);
