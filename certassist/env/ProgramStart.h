#pragma once

#include "CString.h"

namespace certassist {

// The message shown when a program cannot be started, for WinExec's result
// (below 32).
const wchar_t* StartFailureMessage(UINT winExecResult);

// Starts program (a path; no arguments) and waits at most timeoutMs for it
// to end. When it cannot be started, ExWinExec's message for the reason is
// shown (no owner window) and the result is false.
bool RunAndWait(const CString& program, DWORD timeoutMs);

}  // namespace certassist
