#pragma once

// Owner of ICMP echo handles. Programs that must also run where the ICMP
// functions are missing look them up at run time ("Iphlpapi.dll", or
// "ICMP.DLL" on old systems), so the handle carries the IcmpCloseHandle of
// the library that made it; that library must stay loaded while it lives.

#include <windows.h>

#include "win/UniqueResource.h"

namespace win {

struct IcmpEchoHandle {
  HANDLE handle;
  BOOL(WINAPI* close)(HANDLE);
};
// Two values are the same when they hold the same handle.
inline bool operator==(const IcmpEchoHandle& left, const IcmpEchoHandle& right) noexcept {
  return left.handle == right.handle;
}
inline bool operator!=(const IcmpEchoHandle& left, const IcmpEchoHandle& right) noexcept {
  return !(left == right);
}

namespace detail {
inline void CloseIcmpEcho(IcmpEchoHandle echo) noexcept {
  if (echo.close != nullptr) echo.close(echo.handle);
}
// IcmpCreateFile fails with INVALID_HANDLE_VALUE.
struct IcmpEchoInvalid {
  static IcmpEchoHandle Invalid() noexcept { return {INVALID_HANDLE_VALUE, nullptr}; }
};
}  // namespace detail

using UniqueIcmpEcho = UniqueResource<IcmpEchoHandle, &detail::CloseIcmpEcho, detail::IcmpEchoInvalid>;

}  // namespace win
