#pragma once

// Owner of OLE automation strings (SysAllocString); link oleaut32.

#include <windows.h>
#include <oleauto.h>

#include "win/UniqueResource.h"

namespace win {

using UniqueBstr = UniqueResource<BSTR, &SysFreeString>;

}  // namespace win
