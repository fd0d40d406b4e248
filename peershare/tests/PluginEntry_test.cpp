// The built plug-in as the client loads it: peershare.dll beside this
// program, its exports found by name.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "LoggingHost.h"
#include "PluginLibrary.h"
#include "SlotCall.h"
#include "controls/Dialog.h"
#include "frame/PluginInterface.h"
#include "win/Handles.h"

namespace {

const char* const kInitialize = sizeof(void*) == 4 ? "?Initialize@@YA_NPAVCWnd@@@Z" : "?Initialize@@YA_NPEAVCWnd@@@Z";

class PluginEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.Reset(LoadLibraryA("peershare.dll"));
    module_ = library_.Get();
    ASSERT_NE(module_, nullptr);
  }
  win::UniqueModule library_;
  HMODULE module_ = nullptr;  // the library's handle, for the calls that look up exports
};

TEST_F(PluginEntryTest, ReportsItsTypeNameAndIcon) {
  auto getType = Export<int (*)()>(module_, "getType");
  auto getNameIcon = Export<void* (*)(char*)>(module_, "getNameIcon");
  ASSERT_NE(getType, nullptr);
  ASSERT_NE(getNameIcon, nullptr);
  EXPECT_EQ(getType(), 502);
  char name[64];
  std::memset(name, 'x', sizeof name);
  void* icon = getNameIcon(name);
  EXPECT_STREQ(name, "FileShare");
  ASSERT_NE(icon, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
  win::UniqueBitmap color(info.hbmColor), mask(info.hbmMask);
  EXPECT_TRUE(info.fIcon);
}

TEST_F(PluginEntryTest, InitReturnsTheInterfaceThatStartsAndStopsTheWindow) {
  auto init = Export<PluginInterface* (*)(HostClient*)>(module_, "init");
  ASSERT_NE(init, nullptr);
  ASSERT_NE(GetProcAddress(module_, kInitialize), nullptr);
  LoggingHost host;
  PluginInterface* plugin = init(&host);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(init(&host), plugin);
  ASSERT_EQ(plugin->Start(10001, 0, 0), 1);
  HWND window = FindPluginMainWindow();
  ASSERT_NE(window, nullptr);
  plugin->SetAccount(3, 0, 0);
  EXPECT_NE(WindowText(GetDlgItem(window, 3142)).find("拓币 3|"), std::string::npos);
  EXPECT_FALSE(host.CallsOf("GetOnlineCount").empty());
  plugin->Stop();
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(PluginEntryTest, InitializeCreatesTheWindowAndReportsTrue) {
  auto init = Export<PluginInterface* (*)(HostClient*)>(module_, "init");
  auto initialize = Export<bool (*)(void*)>(module_, kInitialize);
  ASSERT_NE(initialize, nullptr);
  LoggingHost host;
  PluginInterface* plugin = init(&host);
  EXPECT_TRUE(initialize(nullptr));
  HWND window = FindPluginMainWindow();
  EXPECT_NE(window, nullptr);
  plugin->Stop();
  EXPECT_FALSE(IsWindow(window));
}

// On i686 the exports are cdecl (the client pops their arguments) and the
// interface that init hands out is thiscall (its operations pop theirs).
TEST_F(PluginEntryTest, ExportsAndTheInterfaceKeepTheClientsStackBalanced) {
#if defined(__i386__)
  using slot_call::StackDrift;
  using slot_call::ThisCallDrift;
  using slot_call::Word;
  char name[64] = "";
  EXPECT_EQ(StackDrift(Export<void*>(module_, "getNameIcon"), nullptr, {Word(name)}), -4);
  EXPECT_STREQ(name, "FileShare");
  LoggingHost host;
  PluginInterface* plugin = Export<PluginInterface* (*)(HostClient*)>(module_, "init")(&host);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(ThisCallDrift(plugin, 17, {10001, 0, 0}), 0);  // Start
  HWND window = FindPluginMainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ThisCallDrift(plugin, 12, {3, 0, 0}), 0);  // SetAccount
  EXPECT_NE(WindowText(GetDlgItem(window, 3142)).find("拓币 3|"), std::string::npos);
  EXPECT_EQ(ThisCallDrift(plugin, 18, {}), 0);  // Stop
  EXPECT_FALSE(IsWindow(window));
#else
  GTEST_SKIP() << "x86_64 has one calling convention; the caller always pops";
#endif
}

}  // namespace
