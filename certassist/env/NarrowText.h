#pragma once

#include <cstddef>

#include "CString.h"

namespace certassist {

// Turns text of the system's 8-bit code page into UTF-16. The narrow text
// ends at its first zero byte or after limit bytes, whichever comes first.
// 0 (out set; empty for empty text), 0xE0010025 when memory for the result
// cannot be had, or 0xE0010026 when the conversion fails (out unchanged).
DWORD NarrowToWide(const char* bytes, size_t limit, CString& out);

// Takes the bytes of text's own buffer (a line read two file bytes per
// character) as zero-terminated narrow text and stores it as UTF-16.
DWORD BufferBytesToWide(CString& text);

}  // namespace certassist
