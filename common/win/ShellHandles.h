#pragma once

// Owner of shell item id lists (from ILCombine, SHParseDisplayName,
// ILCreateFromPath); link shell32.

#include <windows.h>
#include <shlobj.h>

#include "win/UniqueResource.h"

namespace win {

namespace detail {
inline void FreeIdList(ITEMIDLIST* list) noexcept { ILFree(list); }
}  // namespace detail

using UniqueIdList = UniqueResource<ITEMIDLIST*, &detail::FreeIdList>;

}  // namespace win
