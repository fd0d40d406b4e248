#include "frame/ModuleState.h"

#include <gtest/gtest.h>

namespace {

// The active context, compared by value only: the reference taken to read it
// is given back at once (the contexts compared stay alive elsewhere).
HANDLE CurrentContext() {
  HANDLE context = nullptr;
  GetCurrentActCtx(&context);
  if (context != nullptr) ReleaseActCtx(context);
  return context;
}

// The guard activates the library's own activation context (common
// controls 6) and restores the caller's, also when guards nest.
TEST(ModuleStateGuard, ActivatesTheLibraryContextAndRestoresTheCallers) {
  HANDLE before = CurrentContext();
  {
    ModuleStateGuard outer;
    HANDLE inside = CurrentContext();
    EXPECT_NE(inside, nullptr);
    EXPECT_NE(inside, before);
    EXPECT_EQ(ModuleState::ResourceModule(), ModuleState::LibraryModule());
    {
      ModuleStateGuard inner;
      EXPECT_EQ(CurrentContext(), inside);
    }
    EXPECT_EQ(CurrentContext(), inside);
  }
  EXPECT_EQ(CurrentContext(), before);
}

}  // namespace
