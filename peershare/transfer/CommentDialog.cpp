#include "transfer/CommentDialog.h"

#include "frame/ResourceIds.h"
#include "transfer/FieldText.h"

bool CommentDialog::Ask(HWND owner, std::string& comment) {
  CommentDialog dialog;
  if (dialog.DoModal(IDD_COMMENT, owner) != IDOK) return false;
  comment = dialog.text_;
  return true;
}

bool CommentDialog::OnInitDialog() {
  SendMessageA(Item(IDC_COMMENT_TEXT), EM_LIMITTEXT, kMaxBytes, 0);
  return true;
}

bool CommentDialog::OnCommand(int id, int) {
  if (id != IDOK && id != IDCANCEL) return false;
  // A character of two bytes counts twice against the field.
  if (id == IDOK) text_ = FieldText::Cut(ItemText(IDC_COMMENT_TEXT), kMaxBytes);
  EndModal(id);
  return true;
}
