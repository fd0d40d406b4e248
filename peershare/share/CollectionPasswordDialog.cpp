#include "share/CollectionPasswordDialog.h"

#include "frame/ResourceIds.h"

bool CollectionPasswordDialog::Ask(HWND owner, std::string& password) {
  CollectionPasswordDialog dialog;
  if (dialog.DoModal(IDD_COLLECTION_PASSWORD, owner) != IDOK) return false;
  password = dialog.password_;
  return true;
}

bool CollectionPasswordDialog::OnCommand(int id, int) {
  if (id == IDCANCEL) {
    EndModal(IDCANCEL);
    return true;
  }
  if (id != IDOK) return false;
  const std::string first = ItemText(IDC_COLLECTION_PASSWORD);
  if (first != ItemText(IDC_COLLECTION_PASSWORD_AGAIN)) {
    MessageBoxA(Handle(), "输入的密码不一致", "拓瓦", MB_OK | MB_ICONWARNING);
    return true;
  }
  password_ = first;
  EndModal(IDOK);
  return true;
}
