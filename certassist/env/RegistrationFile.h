#pragma once

#include "CString.h"

namespace certassist {

// A registration (.reg) file written in the system's 8-bit code page, as the
// registry editor reads a file without a byte-order mark, and its import.
class RegistrationFile {
 public:
  // Escapes "\" and '"' for a quoted .reg string. False when text holds a
  // control character or one the 8-bit code page cannot carry: the imported
  // value would differ from text, so nothing should be written.
  static bool QuoteForReg(const CString& text, CString& escaped);

  // Writes content as text (CR LF line ends); openFlags are CStdioFile's.
  static bool Write(const CString& path, const CString& content, UINT openFlags);

  // The registry editor's parameters for a silent import: ' /s "path"'.
  static CString ImportParameters(const wchar_t* path);
  // Starts the silent import and waits until the editor has finished (at
  // most a few seconds), so that the next import cannot overwrite the file
  // before this one was read.
  static void ImportAndWait(const CString& path);
};

}  // namespace certassist
