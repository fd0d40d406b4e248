#include "frame/CoinsPrompt.h"

#include "frame/HostClient.h"
#include "frame/OperatorPages.h"
#include "frame/ResourceIds.h"

namespace {
constexpr const char* kNonMemberText =
    "      真遗憾！ 您的拓币已经不够了，暂时不能下载该文件了。您可以升级成为会员，即可享受所有拓瓦服务。   "
    "您也可以用手机购买拓币。";
constexpr const char* kMemberText = "      真遗憾！ 您的拓币已经不够了，暂时不能下载该文件了。 您可以用手机购买拓币。";
}  // namespace

const char* CoinsPrompt::Text(bool member) { return member ? kMemberText : kNonMemberText; }

INT_PTR CoinsPrompt::Show(HWND parent) { return DoModal(IDD_COINS_PROMPT, parent); }

bool CoinsPrompt::Open(HWND parent) {
  if (!Create(IDD_COINS_PROMPT, parent)) return false;
  ShowWindow(Handle(), SW_SHOW);
  return true;
}

bool CoinsPrompt::OnInitDialog() {
  bool member = host_ != nullptr && host_->IsMember() != 0;
  SetItemText(IDC_COINS_TEXT, Text(member));
  SetItemText(IDC_COINS_PHONE_LINK, "手机购买拓币查看>>");
  SetItemText(IDC_COINS_AREAS_LINK, "其他开通地区及被叫号查看>>");
  phoneLink_.Attach(Item(IDC_COINS_PHONE_LINK), kCoinsByPhonePage);
  areasLink_.Attach(Item(IDC_COINS_AREAS_LINK), kCoinsAreasPage);
  ShowItem(IDC_COINS_AREAS_LINK, false);
  ShowItem(IDC_COINS_UPGRADE, !member);
  return true;
}

bool CoinsPrompt::OnCommand(int id, int) {
  switch (id) {
    case IDC_COINS_UPGRADE:
      if (host_ != nullptr) host_->UpgradeMembership();
      return true;
    case IDOK:
    case IDCANCEL:
      EndModal(id);
      return true;
    default:
      return false;
  }
}
