// Plays the browser toolbar for barshare.dll: registers the DLL, creates its
// buttons through the registered creator record, shows what the buttons asked
// of the toolbar, lets their timers run for a while, removes them and
// unregisters the DLL.
#include <windows.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "ToolbarHostDouble.h"
#include "ToolbarLoader.h"
#include "win/Handles.h"

namespace {

std::wstring DefaultDllPath() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"barshare.dll";
}

HRESULT CallExport(const std::wstring& dll, const char* name) {
  win::UniqueModule module(LoadLibraryW(dll.c_str()));
  if (!module) return HRESULT_FROM_WIN32(GetLastError());
  auto function = reinterpret_cast<HRESULT(__stdcall*)()>(reinterpret_cast<void*>(GetProcAddress(module.Get(), name)));
  return function != nullptr ? function() : E_NOINTERFACE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::setlocale(LC_ALL, "");
  const std::wstring dll = argc > 1 ? argv[1] : DefaultDllPath();
  std::printf("DllRegisterServer: 0x%08lx\n", CallExport(dll, "DllRegisterServer"));
  int status = 0;
  {
    ToolbarHostDouble toolbar;
    ToolbarLoader loader;
    HRESULT loaded = loader.Load(CLSID_ButtonCreator, &toolbar, ToolbarLoader::Road::CreatorClass);
    std::printf("creator loaded from %ls: 0x%08lx, %u button(s)\n", loader.Path().c_str(), loaded,
                static_cast<unsigned>(toolbar.ButtonCount()));
    for (const std::wstring& line : toolbar.Log()) std::printf("  %ls\n", line.c_str());
    toolbar.PumpMessages(3500);
    for (const std::wstring& line : toolbar.Timers()) std::printf("  timer %ls\n", line.c_str());
    toolbar.RemoveButtons();
    std::printf("DllCanUnloadNow after removal: 0x%08lx\n", loader.CanUnloadNow());
    status = SUCCEEDED(loaded) && toolbar.ButtonCount() == 0 ? 0 : 1;
  }
  std::printf("DllUnregisterServer: 0x%08lx\n", CallExport(dll, "DllUnregisterServer"));
  return status;
}
