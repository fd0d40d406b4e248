#include "share/PeerPasswordDialog.h"

#include "frame/ResourceIds.h"

bool PeerPasswordDialog::Ask(HWND owner, std::string& entry) {
  PeerPasswordDialog dialog;
  if (dialog.DoModal(IDD_PEER_PASSWORD, owner) != IDOK) return false;
  entry = dialog.entry_;
  return true;
}

bool PeerPasswordDialog::OnCommand(int id, int) {
  if (id != IDOK && id != IDCANCEL) return false;
  if (id == IDOK) entry_ = ItemText(IDC_PEER_PASSWORD);
  EndModal(id);
  return true;
}
