#pragma once

#include "CString.h"

namespace certassist {

// The readable operating-system line of the assistant's diagnostic report.
class SystemVersionLine {
 public:
  // What the line is made of: the extended version record (when it could be
  // read), the processor architecture and GetSystemMetrics(SM_SERVERR2).
  struct Facts {
    bool known = false;
    OSVERSIONINFOEXW version{};
    WORD architecture = PROCESSOR_ARCHITECTURE_INTEL;
    int serverR2 = 0;
  };

  static Facts CurrentFacts();
  static CString Text(const Facts& facts);

 private:
  static CString NtName(const Facts& facts);
  static CString Server2003Edition(const Facts& facts);
};

}  // namespace certassist
