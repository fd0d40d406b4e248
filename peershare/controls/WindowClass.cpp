#include "controls/WindowClass.h"

#include "frame/ModuleState.h"

bool RegisterWindowClassOnce(const char* name, WNDPROC procedure) {
  HINSTANCE module = ModuleState::LibraryModule();
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(module, name, &existing)) return true;
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  return RegisterClassExA(&windowClass) != 0;
}
