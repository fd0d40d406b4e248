#include "search/MemberPrompt.h"

#include "frame/HostClient.h"
#include "frame/ResourceIds.h"

INT_PTR MemberPrompt::Show(HWND parent) { return DoModal(IDD_MEMBER_PROMPT, parent); }

bool MemberPrompt::OnInitDialog() {
  SetItemText(IDC_MEMBER_TEXT, kText);
  return true;
}

bool MemberPrompt::OnCommand(int id, int) {
  switch (id) {
    case IDC_MEMBER_UPGRADE:
      if (host_ != nullptr) host_->UpgradeMembership();
      EndModal(id);
      return true;
    case IDOK:
    case IDCANCEL:
      EndModal(id);
      return true;
    default:
      return false;
  }
}
