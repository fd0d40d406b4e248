// A service of the tests' own: tells the service manager it runs until it is
// asked to stop.
#include <windows.h>

#include "win/Handles.h"

namespace {

SERVICE_STATUS_HANDLE status = nullptr;
win::UniqueEvent stopped;

void Report(DWORD state) {
  SERVICE_STATUS now{};
  now.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  now.dwCurrentState = state;
  now.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(status, &now);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) {
    Report(SERVICE_STOP_PENDING);
    SetEvent(stopped.Get());
  }
  return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
  status = RegisterServiceCtrlHandlerExW(L"", &Control, nullptr);
  if (status == nullptr) return;
  Report(SERVICE_RUNNING);
  WaitForSingleObject(stopped.Get(), INFINITE);
  Report(SERVICE_STOPPED);
}

}  // namespace

int wmain() {
  stopped.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  wchar_t name[] = L"";
  SERVICE_TABLE_ENTRYW table[] = {{name, &ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
