#include "frame/CoinsPrompt.h"

#include <gtest/gtest.h>

#include "LoggingHost.h"
#include "frame/ResourceIds.h"

namespace {

bool Visible(HWND window) { return window != nullptr && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE); }

TEST(CoinsPrompt, OffersTheUpgradeToANonMember) {
  LoggingHost host;
  CoinsPrompt prompt(&host);
  ASSERT_TRUE(prompt.Open(nullptr));
  EXPECT_TRUE(IsWindowVisible(prompt.Handle()));
  EXPECT_EQ(WindowText(prompt.Handle()), "拓瓦提示");
  EXPECT_EQ(prompt.ItemText(IDC_COINS_TEXT),
            "      真遗憾！ 您的拓币已经不够了，暂时不能下载该文件了。您可以升级成为会员，即可享受所有拓瓦服务。   "
            "您也可以用手机购买拓币。");
  EXPECT_EQ(prompt.ItemText(IDC_COINS_PHONE_LINK), "手机购买拓币查看>>");
  EXPECT_TRUE(Visible(prompt.Item(IDC_COINS_PHONE_LINK)));
  EXPECT_EQ(prompt.ItemText(IDC_COINS_AREAS_LINK), "其他开通地区及被叫号查看>>");
  EXPECT_FALSE(Visible(prompt.Item(IDC_COINS_AREAS_LINK)));
  ASSERT_TRUE(Visible(prompt.Item(IDC_COINS_UPGRADE)));
  EXPECT_EQ(prompt.ItemText(IDC_COINS_UPGRADE), "升级成为会员");
  SendMessageA(prompt.Item(IDC_COINS_UPGRADE), BM_CLICK, 0, 0);
  EXPECT_EQ(host.CallsOf("UpgradeMembership").size(), 1u);
}

TEST(CoinsPrompt, AMemberGetsTheShortTextAndNoUpgradeButton) {
  LoggingHost host;
  host.member = 1;
  CoinsPrompt prompt(&host);
  ASSERT_TRUE(prompt.Open(nullptr));
  EXPECT_EQ(prompt.ItemText(IDC_COINS_TEXT),
            "      真遗憾！ 您的拓币已经不够了，暂时不能下载该文件了。 您可以用手机购买拓币。");
  EXPECT_FALSE(Visible(prompt.Item(IDC_COINS_UPGRADE)));
  EXPECT_TRUE(host.CallsOf("UpgradeMembership").empty());
}

TEST(CoinsPrompt, ClosingTheModelessPromptDestroysIt) {
  CoinsPrompt prompt(nullptr);
  ASSERT_TRUE(prompt.Open(nullptr));
  EXPECT_TRUE(Visible(prompt.Item(IDC_COINS_UPGRADE)));
  SendMessageA(prompt.Handle(), WM_COMMAND, IDOK, 0);
  EXPECT_EQ(prompt.Handle(), nullptr);
}

CoinsPrompt* shownPrompt = nullptr;

void CALLBACK PressUpgradeThenOk(HWND, UINT, UINT_PTR timer, DWORD) {
  if (shownPrompt == nullptr || shownPrompt->Handle() == nullptr) return;
  KillTimer(nullptr, timer);
  SendMessageA(shownPrompt->Item(IDC_COINS_UPGRADE), BM_CLICK, 0, 0);
  SendMessageA(shownPrompt->Item(IDOK), BM_CLICK, 0, 0);
}

// The download list shows the prompt modally: a timer, run by the dialog's
// own message loop, presses the upgrade button and then OK.
TEST(CoinsPrompt, ModalPromptReturnsTheButtonThatClosedIt) {
  LoggingHost host;
  CoinsPrompt prompt(&host);
  shownPrompt = &prompt;
  ASSERT_NE(SetTimer(nullptr, 0, 50, &PressUpgradeThenOk), 0u);
  EXPECT_EQ(prompt.Show(nullptr), IDOK);
  EXPECT_EQ(prompt.Handle(), nullptr);
  EXPECT_EQ(host.CallsOf("UpgradeMembership").size(), 1u);
  shownPrompt = nullptr;
}

}  // namespace
