#include "NameValueLines.h"

namespace certassist {

bool SplitNameAndValue(CString line, CString& name, CString& value) {
  line.Remove(L' ');
  int equals = line.Find(L'=');
  if (equals < 0) return false;
  name = line.Left(equals);
  value = line.Mid(equals + 1);
  return true;
}

}  // namespace certassist
