#pragma once

#include <windows.h>

// browser_double.dll's module handle and the count of its live objects.
namespace BrowserDoubleModule {

HINSTANCE Handle();
void ObjectCreated();
void ObjectDestroyed();

}  // namespace BrowserDoubleModule
