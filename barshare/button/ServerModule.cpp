#include "button/ServerModule.h"

namespace {
HMODULE g_module = nullptr;
LONG g_liveObjects = 0;
}  // namespace

HMODULE ServerModule::Handle() {
  // Linked into a program rather than the DLL, the program's resources serve.
  return g_module != nullptr ? g_module : GetModuleHandleW(nullptr);
}

void ServerModule::SetHandle(HMODULE module) { g_module = module; }

void ServerModule::ObjectCreated() { InterlockedIncrement(&g_liveObjects); }

void ServerModule::ObjectDestroyed() { InterlockedDecrement(&g_liveObjects); }

LONG ServerModule::LiveObjects() { return InterlockedCompareExchange(&g_liveObjects, 0, 0); }
