// Plays the browser toolbar for barshare.dll: registers the DLL, creates its
// buttons through the registered creator record, shows what the buttons asked
// of the toolbar, lets their timers run for a while, presses Share with the
// browser control double standing in for the browser, removes the buttons and
// unregisters the DLL. Report lines are UTF-8.
//
//   toolbarhost.exe [--pictures folder] [path of barshare.dll]
#include <windows.h>

#include <cwchar>
#include <string>

#include "BrowserDoubleRegistration.h"
#include "Report.h"
#include "ShareButtonDemo.h"
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

unsigned long Code(HRESULT result) { return static_cast<unsigned long>(result); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring dll = DefaultDllPath(), pictures;
  for (int i = 1; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--pictures") == 0 && i + 1 < argc) {
      pictures = argv[++i];
    } else {
      dll = argv[i];
    }
  }
  Report::Line(L"DllRegisterServer: 0x%08lx", Code(CallExport(dll, "DllRegisterServer")));
  int status = 0;
  {
    // Before the toolbar: its browser is the double too.
    BrowserDoubleRegistration browserDouble;
    Report::Line(L"browser control: browser_double.dll answers for CLSID_WebBrowser: 0x%08lx",
                 Code(browserDouble.Result()));
    ToolbarHostDouble toolbar;
    ToolbarLoader loader;
    HRESULT loaded = loader.Load(CLSID_ButtonCreator, &toolbar, ToolbarLoader::Road::CreatorClass);
    Report::Line(L"creator loaded from %ls: 0x%08lx, %u button(s)", loader.Path().c_str(), Code(loaded),
                 static_cast<unsigned>(toolbar.ButtonCount()));
    for (const std::wstring& line : toolbar.Log()) Report::Line(L"  %ls", line.c_str());
    toolbar.PumpMessages(3500);
    for (const std::wstring& line : toolbar.Timers()) Report::Line(L"  timer %ls", line.c_str());
    const bool shared = SUCCEEDED(loaded) && toolbar.ButtonCount() == 1 &&
                        SUCCEEDED(browserDouble.Result()) && ShareButtonDemo(toolbar, pictures).Run();
    toolbar.RemoveButtons();
    Report::Line(L"DllCanUnloadNow after removal: 0x%08lx", Code(loader.CanUnloadNow()));
    status = SUCCEEDED(loaded) && shared && toolbar.ButtonCount() == 0 ? 0 : 1;
  }
  Report::Line(L"DllUnregisterServer: 0x%08lx", Code(CallExport(dll, "DllUnregisterServer")));
  return status;
}
