// The main job's driver: loads the three DLLs the way their hosts do and
// reports what each one offers, then has the signing double sign a cookie and
// the component's check verify it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "CookieSigner.h"
#include "webslice/SignedCookieCheck.h"
#include "win/Handles.h"

namespace {

struct Library {
  const wchar_t* file;
  const char* exports[6];
};

const Library kLibraries[] = {
    {L"peershare.dll", {"getType", "getNameIcon", "init", sizeof(void*) == 4 ? "?Initialize@@YA_NPAVCWnd@@@Z"
                                                                              : "?Initialize@@YA_NPEAVCWnd@@@Z"}},
    {L"barshare.dll",
     {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer", "GetCreatorGuid",
      "InitializeObjects"}},
    {L"certassist.dll", {}},
};

template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool ReportLibrary(const std::wstring& folder, const Library& library) {
  win::UniqueModule loaded(LoadLibraryW((folder + library.file).c_str()));
  HMODULE module = loaded.Get();
  std::printf("%ls: %s\n", library.file, module ? "loaded" : "NOT LOADED");
  if (module == nullptr) return false;
  bool complete = true;
  for (const char* name : library.exports) {
    if (name == nullptr) break;
    bool found = GetProcAddress(module, name) != nullptr;
    complete = complete && found;
    std::printf("  %-34s %s\n", name, found ? "found" : "MISSING");
  }
  auto getType = Export<int (*)()>(module, "getType");
  auto getNameIcon = Export<void* (*)(char*)>(module, "getNameIcon");
  if (getType != nullptr && getNameIcon != nullptr) {
    std::printf("  getType() = %d\n", getType());
    char name[64] = "";
    getNameIcon(name);
    std::printf("  getNameIcon() name = \"%s\"\n", name);
  }
  return complete;
}

bool ReportCookieCheck() {
  const std::string cookie = "uid=10001;nick=demo", key = "navigation-key";
  std::string signature = CookieSigner::Sign(cookie, key, kCookieFixedText);
  auto check = [&](const std::string& c) {
    return SignedCookieCheck(signature.c_str(), static_cast<int>(signature.size()), c.c_str(), key.c_str(),
                             kCookieFixedText);
  };
  bool signedOk = check(cookie), forgedRefused = !check(cookie + "0");
  std::printf("signed cookie: signature %s\n  verifies: %s\n  altered cookie refused: %s\n", signature.c_str(),
              signedOk ? "yes" : "NO", forgedRefused ? "yes" : "NO");
  return signedOk && forgedRefused;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring folder = argc > 1 ? std::wstring(argv[1]) + L"\\" : L"";
  bool ok = true;
  for (const Library& library : kLibraries) ok = ReportLibrary(folder, library) && ok;
  ok = ReportCookieCheck() && ok;
  std::printf("demo: %s\n", ok ? "all checks passed" : "SOME CHECKS FAILED");
  return ok ? 0 : 1;
}
