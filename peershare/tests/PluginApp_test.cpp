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

// A plug-in application whose instance started in a folder of its own.
class PluginAppInFolder : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(app_.InitInstance(folder_.Path())); }

  TempFolder folder_;
  LoggingHost host_;
  PluginApp app_;
};

TEST_F(PluginAppInFolder, InitHandsOutTheMainObjectsInterfaceAndItsHost) {
  PluginInterface* plugin = app_.Init(&host_);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin, static_cast<PluginInterface*>(app_.Main()));
  EXPECT_EQ(app_.Main()->Host(), &host_);
  EXPECT_EQ(app_.Main()->Config().ExecutableFolder(), folder_.Path());
  app_.ExitInstance();
  EXPECT_EQ(app_.Main(), nullptr);
}

TEST_F(PluginAppInFolder, AHostHandedOverAfterInitializeReachesTheWindow) {
  host_.onlineCount = 55;
  EXPECT_TRUE(app_.Initialize());
  PluginInterface* plugin = app_.Init(&host_);
  ASSERT_EQ(plugin->Start(10001, 0, 0), 1);
  plugin->SetAccount(1, 2, 3);
  EXPECT_NE(app_.Main()->Status().Text().find("当前在线 55"), std::string::npos);
  // Once for the initial window when the host arrives, once for the main
  // window that Start puts in its place.
  EXPECT_EQ(host_.CallsOf("GetImageList").size(), 2u);
  plugin->Stop();
}

TEST_F(PluginAppInFolder, InitializeCreatesTheInitialWindowOnceAndStartReplacesIt) {
  PluginInterface* plugin = app_.Init(&host_);
  EXPECT_TRUE(app_.Initialize());
  HWND initial = app_.Main()->Handle();
  ASSERT_NE(initial, nullptr);
  EXPECT_EQ(WindowText(initial), "拓瓦文件交换");
  EXPECT_NE(GetDlgItem(initial, IDC_TAB_HOME), nullptr);
  EXPECT_EQ(GetDlgItem(initial, IDC_STATUS_LINE), nullptr);
  EXPECT_TRUE(app_.Initialize());
  EXPECT_EQ(app_.Main()->Handle(), initial);
  // The initial window lacks the search bar, the status line and the help
  // buttons: Start puts the main window proper in its place.
  ASSERT_EQ(plugin->Start(10001, 0, 0), 1);
  HWND main = app_.Main()->Handle();
  EXPECT_FALSE(IsWindow(initial));
  ASSERT_NE(main, nullptr);
  for (int id : {IDC_STATUS_LINE, IDC_SEARCH_TEXT, IDC_QUICK_GUIDE, IDC_PLAYER_DOWNLOADS, IDC_HELP_PAGE})
    EXPECT_NE(GetDlgItem(main, id), nullptr) << id;
  plugin->ShowPanel(MainWindow::kFriends);
  EXPECT_EQ(app_.Main()->VisiblePanel(), MainWindow::kFriends);
  // A second Start (after Stop) keeps to the main window too.
  plugin->Stop();
  EXPECT_FALSE(IsWindow(main));
  ASSERT_EQ(plugin->Start(10001, 0, 0), 1);
  EXPECT_NE(GetDlgItem(app_.Main()->Handle(), IDC_STATUS_LINE), nullptr);
  plugin->Stop();
}

}  // namespace
