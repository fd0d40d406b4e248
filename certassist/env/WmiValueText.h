#pragma once

#include <windows.h>
#include <wbemcli.h>

#include "CString.h"

namespace certassist {

// A WMI property value as report text (the rules are in CWMI.h). type is
// the property's CIM type, which tells unsigned 32-bit numbers (held in a
// signed VARIANT) from signed ones. False (text unchanged) for values that
// cannot become text.
bool WmiValueText(const VARIANT& value, CIMTYPE type, CString& text);

}  // namespace certassist
