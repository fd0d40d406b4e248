#pragma once

// Owner of OLE Automation strings; link oleaut32.

#include <windows.h>
#include <oleauto.h>

#include "win/UniqueResource.h"

namespace win {

using UniqueBstr = UniqueResource<BSTR, &SysFreeString>;

}  // namespace win
