#include "transfer/DownloadRestrictionPrompt.h"

#include "frame/ResourceIds.h"

INT_PTR DownloadRestrictionPrompt::Show(HWND owner) { return DoModal(IDD_DOWNLOAD_RESTRICTED, owner); }

bool DownloadRestrictionPrompt::OnInitDialog() {
  SetItemText(IDC_RESTRICTION_TEXT, kText);
  return true;
}

bool DownloadRestrictionPrompt::OnCommand(int id, int) {
  if (id != IDOK && id != IDCANCEL) return false;
  EndModal(id);
  return true;
}
