#include "transfer/TemporaryChannelDialog.h"

#include <windowsx.h>

#include <cstdlib>

#include "frame/ModuleState.h"
#include "frame/ResourceIds.h"
#include "transfer/TemporaryChannelTable.h"

namespace {

bool Digits(const std::string& text, size_t most) {
  return !text.empty() && text.size() <= most && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

TemporaryChannelDialog::TemporaryChannelDialog(TemporaryChannelTable& table)
    : table_(table),
      bitmap_(static_cast<HBITMAP>(LoadImageA(ModuleState::ResourceModule(), MAKEINTRESOURCEA(IDB_TEMPORARY_CHANNEL),
                                              IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR))),
      background_(bitmap_ ? CreatePatternBrush(bitmap_.Get()) : nullptr) {}

INT_PTR TemporaryChannelDialog::Show(HWND owner) { return DoModal(IDD_TEMPORARY_CHANNEL, owner); }

bool TemporaryChannelDialog::Open(HWND owner) {
  if (!Create(IDD_TEMPORARY_CHANNEL, owner)) return false;
  ShowWindow(Handle(), SW_SHOW);
  return true;
}

bool TemporaryChannelDialog::OnInitDialog() {
  SendMessageA(Item(IDC_TEMPORARY_PEER), EM_LIMITTEXT, kPeerDigits, 0);
  SendMessageA(Item(IDC_TEMPORARY_NUMBER), EM_LIMITTEXT, kNumberDigits, 0);
  return true;
}

bool TemporaryChannelDialog::Accept() {
  std::string peer = ItemText(IDC_TEMPORARY_PEER), number = ItemText(IDC_TEMPORARY_NUMBER);
  if (!Digits(peer, kPeerDigits) || !Digits(number, kNumberDigits)) return false;
  unsigned long long value = std::strtoull(peer.c_str(), nullptr, 10);
  if (value > UINT32_MAX) return false;
  table_.Set(static_cast<uint32_t>(value), std::atoi(number.c_str()));
  return true;
}

bool TemporaryChannelDialog::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  if (id == IDOK) {
    if (Accept()) EndModal(IDOK);
    return true;
  }
  if (id == IDCANCEL) {
    EndModal(IDCANCEL);
    return true;
  }
  return false;
}

bool TemporaryChannelDialog::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
  if (message == WM_LBUTTONUP) {
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!PtInRect(&kOkArea, at)) return false;
    if (Accept()) EndModal(IDOK);
    result = 0;
    return true;
  }
  if (message == WM_PAINT) {
    PaintOkLabel();
    result = 0;
    return true;
  }
  return false;
}

void TemporaryChannelDialog::PaintOkLabel() const {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Handle(), &paint);
  RECT area = kOkArea;
  int mode = SetBkMode(dc, TRANSPARENT);
  COLORREF colour = SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
  HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(Handle(), WM_GETFONT, 0, 0)));
  DrawTextA(dc, "确定", -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, font);
  SetTextColor(dc, colour);
  SetBkMode(dc, mode);
  EndPaint(Handle(), &paint);
}
