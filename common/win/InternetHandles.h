#pragma once

// Owner of WinINet handles (sessions, connections, requests); link wininet.

#include <windows.h>
#include <wininet.h>

#include "win/UniqueResource.h"

namespace win {

using UniqueInternet = UniqueResource<HINTERNET, &InternetCloseHandle>;

}  // namespace win
