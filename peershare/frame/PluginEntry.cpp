#include "frame/PluginEntry.h"

#include <windows.h>

#include "frame/ClientConfig.h"
#include "frame/ModuleState.h"
#include "frame/PluginApp.h"
#include "frame/ResourceIds.h"
#include "frame/XmlArena.h"

extern "C" int getType() {
  ModuleStateGuard guard;
  return kPluginType;
}

extern "C" void* getNameIcon(char* name) {
  ModuleStateGuard guard;
  HMODULE module = ModuleState::ResourceModule();
  if (name != nullptr && LoadStringA(module, IDS_PLUGIN_NAME, name, kPluginNameMax) == 0) name[0] = '\0';
  return LoadIconA(module, MAKEINTRESOURCEA(IDI_PLUGIN));
}

// Nothing may unwind into the client: a failure is the answer.
extern "C" PluginInterface* init(HostClient* host) {
  ModuleStateGuard guard;
  try {
    return PluginApp::Instance().Init(host);
  } catch (...) {
    return nullptr;
  }
}

extern "C" bool PluginInitialize(CWnd*) {
  ModuleStateGuard guard;
  try {
    return PluginApp::Instance().Initialize();
  } catch (...) {
    return false;
  }
}

// Only the main window object is made here: no window, no file, no COM.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    PluginApp::Instance().InitInstance(ClientConfig::RunningProgramFolder());
  } else if (reason == DLL_PROCESS_DETACH) {
    // Unloaded by FreeLibrary the object (and a window it still has) can go;
    // at process exit other threads are gone and the system frees it all.
    if (reserved == nullptr) {
      PluginApp::Instance().ExitInstance();
      XmlArena::ReleaseSpareBlocks();
    } else {
      PluginApp::Instance().Abandon();
    }
  }
  return TRUE;
}
