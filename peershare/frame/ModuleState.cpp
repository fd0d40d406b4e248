#include "frame/ModuleState.h"

namespace {

// Null means "no guard active": resources then come from the library itself.
thread_local HMODULE currentResourceModule = nullptr;

// The manifest resource id that asks for an activation context of one's own
// (common controls version 6).
constexpr WORD kManifestId = 2;

}  // namespace

HMODULE ModuleState::LibraryModule() {
  static HMODULE module = [] {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleState::LibraryModule), &self);
    return self;
  }();
  return module;
}

HMODULE ModuleState::ResourceModule() {
  return currentResourceModule != nullptr ? currentResourceModule : LibraryModule();
}

HMODULE ModuleState::Exchange(HMODULE module) {
  HMODULE previous = currentResourceModule;
  currentResourceModule = module;
  return previous;
}

// Created once and kept for the life of the process, like the module.
HANDLE ModuleState::ActivationContext() {
  static HANDLE context = [] {
    ACTCTXA description = {};
    description.cbSize = sizeof description;
    description.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    description.hModule = LibraryModule();
    description.lpResourceName = MAKEINTRESOURCEA(kManifestId);
    return CreateActCtxA(&description);
  }();
  return context;
}

ModuleStateGuard::ModuleStateGuard() : previous_(ModuleState::Exchange(ModuleState::LibraryModule())) {
  HANDLE context = ModuleState::ActivationContext();
  if (context != INVALID_HANDLE_VALUE) activated_ = ActivateActCtx(context, &cookie_) != FALSE;
}

ModuleStateGuard::~ModuleStateGuard() {
  if (activated_) DeactivateActCtx(0, cookie_);
  ModuleState::Exchange(previous_);
}
