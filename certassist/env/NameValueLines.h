#pragma once

#include "CConfigFile.h"

namespace certassist {

// Splits a line at its first "=" after dropping every blank. False (name and
// value unchanged) when the line holds no "=".
bool SplitNameAndValue(CString line, CString& name, CString& value);

// Reads lines with readLine (BOOL(CString&), FALSE at the end) until one
// whose name equals name, and takes its value. 0 when value is not empty
// afterwards, 0xE0010005 when it is, 0xE0010004 for an empty name.
template <typename ReadLine>
DWORD FindValueByName(ReadLine readLine, CString& value, const CString& name) {
  if (name.IsEmpty()) return CONFIG_NAME_EMPTY;
  value.Empty();
  CString line, lineName, lineValue;
  while (readLine(line)) {
    if (SplitNameAndValue(line, lineName, lineValue) && lineName == name) {
      value = lineValue;
      break;
    }
  }
  return value.IsEmpty() ? CONFIG_VALUE_EMPTY : CONFIG_OK;
}

}  // namespace certassist
