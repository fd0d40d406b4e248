#pragma once

// Owner of SetupAPI device information lists; link setupapi.

#include <windows.h>
#include <setupapi.h>

#include "win/UniqueResource.h"

namespace win {

namespace detail {
inline void DestroyDeviceList(HDEVINFO list) noexcept { SetupDiDestroyDeviceInfoList(list); }
}  // namespace detail

using UniqueDeviceList = UniqueResource<HDEVINFO, &detail::DestroyDeviceList, MinusOneInvalid>;

}  // namespace win
