#pragma once

// One line per handle type of kernel32, user32, gdi32, advapi32 and comctl32.
// Types of other libraries have headers of their own (CryptHandles.h,
// InternetHandles.h, SetupHandles.h) so that a component includes only what it links.

#include <windows.h>
#include <commctrl.h>

#include "win/UniqueResource.h"

namespace win {

namespace detail {
inline void DeleteGdiObject(HGDIOBJ object) noexcept { DeleteObject(object); }
inline void FreeGlobal(HGLOBAL memory) noexcept { GlobalFree(memory); }
inline void DestroyImageList(HIMAGELIST list) noexcept { ImageList_Destroy(list); }
inline void ReleaseVirtualMemory(void* memory) noexcept { VirtualFree(memory, 0, MEM_RELEASE); }
inline void UnmapView(void* view) noexcept { UnmapViewOfFile(view); }
inline void ReleaseScreenDc(HDC dc) noexcept { ReleaseDC(nullptr, dc); }
inline void DestroyIfWindow(HWND window) noexcept {
  if (IsWindow(window)) DestroyWindow(window);
}
}  // namespace detail

// Kernel objects whose failure value is null: events, threads, mutexes,
// processes, file mappings, change notifications that return null.
using UniqueHandle = UniqueResource<HANDLE, &CloseHandle>;
// Kernel objects whose failure value is INVALID_HANDLE_VALUE: CreateFile,
// CreateToolhelp32Snapshot, CreateNamedPipe.
using UniqueFile = UniqueResource<HANDLE, &CloseHandle, MinusOneInvalid>;
using UniqueFind = UniqueResource<HANDLE, &FindClose, MinusOneInvalid>;
using UniqueEvent = UniqueHandle;
using UniqueThread = UniqueHandle;
using UniqueMutex = UniqueHandle;
using UniqueProcess = UniqueHandle;
using UniqueFileMapping = UniqueHandle;
// A view of a file mapping, from MapViewOfFile.
using UniqueMappedView = UniqueResource<void*, &detail::UnmapView>;

// Movable memory from GlobalAlloc, until the clipboard takes it over.
using UniqueGlobal = UniqueResource<HGLOBAL, &detail::FreeGlobal>;

// Reservations of VirtualAlloc, released whole.
using UniqueVirtualMemory = UniqueResource<void*, &detail::ReleaseVirtualMemory>;

using UniqueRegKey = UniqueResource<HKEY, &RegCloseKey>;
using UniqueModule = UniqueResource<HMODULE, &FreeLibrary>;
using UniqueServiceHandle = UniqueResource<SC_HANDLE, &CloseServiceHandle>;

using UniqueMenu = UniqueResource<HMENU, &DestroyMenu>;
using UniqueIcon = UniqueResource<HICON, &DestroyIcon>;
using UniqueCursor = UniqueResource<HCURSOR, &DestroyCursor>;
using UniqueWindow = UniqueResource<HWND, &DestroyWindow>;
// A child window, which its parent may have destroyed already.
using UniqueChildWindow = UniqueResource<HWND, &detail::DestroyIfWindow>;
using UniqueHook = UniqueResource<HHOOK, &UnhookWindowsHookEx>;

using UniqueBitmap = UniqueResource<HBITMAP, &detail::DeleteGdiObject>;
using UniqueBrush = UniqueResource<HBRUSH, &detail::DeleteGdiObject>;
using UniqueFont = UniqueResource<HFONT, &detail::DeleteGdiObject>;
using UniquePen = UniqueResource<HPEN, &detail::DeleteGdiObject>;
using UniqueRegion = UniqueResource<HRGN, &detail::DeleteGdiObject>;
using UniqueGdiObject = UniqueResource<HGDIOBJ, &detail::DeleteGdiObject>;
using UniqueMemoryDc = UniqueResource<HDC, &DeleteDC>;
// The screen's device context, from GetDC(nullptr).
using UniqueScreenDc = UniqueResource<HDC, &detail::ReleaseScreenDc>;

using UniqueImageList = UniqueResource<HIMAGELIST, &detail::DestroyImageList>;

}  // namespace win
