#include "frame/PluginEntry.h"

#include <windows.h>

namespace {

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

extern "C" int getType() { return kPluginType; }

extern "C" void* getNameIcon(char* name) {
  HMODULE module = ThisModule();
  if (name != nullptr && LoadStringA(module, kNameStringId, name, kPluginNameMax) == 0) name[0] = '\0';
  return LoadIconA(module, MAKEINTRESOURCEA(kPluginIconId));
}

// The main window object does not exist yet, so there is no interface to hand out.
extern "C" PluginInterface* init(HostClient*) { return nullptr; }

// Without a main window object there is nothing to show; report it.
extern "C" bool PluginInitialize(CWnd*) { return false; }
