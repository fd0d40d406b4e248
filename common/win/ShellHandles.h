#pragma once

// Owners of what the shell hands out (shell32, ole32's task allocator).

#include <windows.h>
#include <shlobj.h>

#include "win/UniqueResource.h"

namespace win {

namespace detail {
inline void FreeTaskMemory(void* memory) noexcept { CoTaskMemFree(memory); }
}  // namespace detail

// An item id list from SHBrowseForFolder, SHParseDisplayName and the like.
using UniqueIdList = UniqueResource<PIDLIST_ABSOLUTE, &detail::FreeTaskMemory>;

}  // namespace win
