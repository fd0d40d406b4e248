#include "transfer/GreenChannelDialog.h"

#include <cstdlib>

#include "frame/ResourceIds.h"
#include "transfer/TransferDocument.h"

INT_PTR GreenChannelDialog::Show(HWND owner) { return DoModal(IDD_GREEN_CHANNEL, owner); }

bool GreenChannelDialog::Open(HWND owner) {
  if (!Create(IDD_GREEN_CHANNEL, owner)) return false;
  ShowWindow(Handle(), SW_SHOW);
  return true;
}

bool GreenChannelDialog::IsNumber(const std::string& text) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  return std::strtoull(text.c_str(), nullptr, 10) <= UINT32_MAX;
}

bool GreenChannelDialog::OnInitDialog() {
  SendMessageA(Item(IDC_GREEN_NUMBER), EM_LIMITTEXT, 10, 0);
  for (uint32_t number : numbers_) {
    std::string text = std::to_string(number);
    SendMessageA(Item(IDC_GREEN_LIST), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  return true;
}

bool GreenChannelDialog::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_GREEN_ADD: AddNumber(); return true;
    case IDC_GREEN_REMOVE: RemoveSelected(); return true;
    case IDOK:
    case IDCANCEL: EndModal(id); return true;
    default: return false;
  }
}

void GreenChannelDialog::AddNumber() {
  std::string text = ItemText(IDC_GREEN_NUMBER);
  if (!IsNumber(text)) return;
  HWND list = Item(IDC_GREEN_LIST);
  if (SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())) ==
      CB_ERR) {
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    numbers_.insert(static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10)));
    document_.AddGreenChannel(text);
  }
  SetItemText(IDC_GREEN_NUMBER, "");
}

void GreenChannelDialog::RemoveSelected() {
  HWND list = Item(IDC_GREEN_LIST);
  LRESULT selected = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return;
  char text[32] = "";
  if (SendMessageA(list, CB_GETLBTEXTLEN, selected, 0) >= static_cast<LRESULT>(sizeof text)) return;
  SendMessageA(list, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text));
  SendMessageA(list, CB_DELETESTRING, selected, 0);
  numbers_.erase(static_cast<uint32_t>(std::strtoul(text, nullptr, 10)));
  document_.RemoveGreenChannel(text);
}
