#pragma once

#include "CString.h"
#include "CStringList.h"

// The parts of one key-driver line of the assistant's data, as
// CCommonFun::GetKeyDrvInfo finds them: "first,piece#piece#...,third".
struct TAG_KEY_DRV_INFO {
  CString first;     // the text before the first comma
  CString third;     // the text after the second comma
  CStringList list;  // the "#" pieces of the second field, last piece at the head
};
