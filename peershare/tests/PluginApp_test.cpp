#include "frame/PluginApp.h"

#include <gtest/gtest.h>

#include "LoggingHost.h"
#include "TempFolder.h"
#include "controls/Dialog.h"
#include "frame/MainWindow.h"
#include "frame/ResourceIds.h"

namespace {

TEST(PluginApp, InitBeforeTheMainObjectExistsAnswersNull) {
  LoggingHost host;
  PluginApp app;
  EXPECT_EQ(app.Init(&host), nullptr);
  EXPECT_EQ(app.Host(), &host);
}

TEST(PluginApp, InitHandsOutTheMainObjectsInterfaceAndItsHost) {
  TempFolder folder;
  LoggingHost host;
  PluginApp app;
  ASSERT_TRUE(app.InitInstance(folder.Path()));
  PluginInterface* plugin = app.Init(&host);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin, static_cast<PluginInterface*>(app.Main()));
  EXPECT_EQ(app.Main()->Host(), &host);
  EXPECT_EQ(app.Main()->Config().ExecutableFolder(), folder.Path());
  app.ExitInstance();
  EXPECT_EQ(app.Main(), nullptr);
}

TEST(PluginApp, AHostHandedOverAfterInitializeReachesTheWindow) {
  TempFolder folder;
  LoggingHost host;
  host.onlineCount = 55;
  PluginApp app;
  ASSERT_TRUE(app.InitInstance(folder.Path()));
  EXPECT_TRUE(app.Initialize());
  PluginInterface* plugin = app.Init(&host);
  ASSERT_EQ(plugin->Start(10001, 0, 0), 1);
  plugin->SetAccount(1, 2, 3);
  EXPECT_NE(app.Main()->Status().Text().find("当前在线 55"), std::string::npos);
  // Once for the initial window when the host arrives, once for the main
  // window that Start puts in its place.
  EXPECT_EQ(host.CallsOf("GetImageList").size(), 2u);
  plugin->Stop();
}

TEST(PluginApp, InitializeCreatesTheInitialWindowOnceAndStartReplacesIt) {
  TempFolder folder;
  LoggingHost host;
  PluginApp app;
  ASSERT_TRUE(app.InitInstance(folder.Path()));
  PluginInterface* plugin = app.Init(&host);
  EXPECT_TRUE(app.Initialize());
  HWND initial = app.Main()->Handle();
  ASSERT_NE(initial, nullptr);
  EXPECT_EQ(WindowText(initial), "拓瓦文件交换");
  EXPECT_NE(GetDlgItem(initial, IDC_TAB_HOME), nullptr);
  EXPECT_EQ(GetDlgItem(initial, IDC_STATUS_LINE), nullptr);
  EXPECT_TRUE(app.Initialize());
  EXPECT_EQ(app.Main()->Handle(), initial);
  // The initial window lacks the search bar, the status line and the help
  // buttons: Start puts the main window proper in its place.
  ASSERT_EQ(plugin->Start(10001, 0, 0), 1);
  HWND main = app.Main()->Handle();
  EXPECT_FALSE(IsWindow(initial));
  ASSERT_NE(main, nullptr);
  for (int id : {IDC_STATUS_LINE, IDC_SEARCH_TEXT, IDC_QUICK_GUIDE, IDC_PLAYER_DOWNLOADS, IDC_HELP_PAGE})
    EXPECT_NE(GetDlgItem(main, id), nullptr) << id;
  plugin->ShowPanel(MainWindow::kFriends);
  EXPECT_EQ(app.Main()->VisiblePanel(), MainWindow::kFriends);
  // A second Start (after Stop) keeps to the main window too.
  plugin->Stop();
  EXPECT_FALSE(IsWindow(main));
  ASSERT_EQ(plugin->Start(10001, 0, 0), 1);
  EXPECT_NE(GetDlgItem(app.Main()->Handle(), IDC_STATUS_LINE), nullptr);
  plugin->Stop();
}

}  // namespace
