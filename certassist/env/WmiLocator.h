#pragma once

#include <windows.h>
#include <wbemcli.h>

namespace certassist {

// How CWMI creates its WMI locator: CoCreateInstance of the system's. A test
// program linking the library statically may hand out a locator of its own
// (queries with thousands of results, failures of any step).
struct WmiCalls {
  HRESULT (*createLocator)(IWbemLocator** locator);
};
WmiCalls& Wmi();

}  // namespace certassist
