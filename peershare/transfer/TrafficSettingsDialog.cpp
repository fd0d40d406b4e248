#include "transfer/TrafficSettingsDialog.h"

#include <commctrl.h>

#include <cstdlib>

#include "frame/ResourceIds.h"

bool TrafficSettingsDialog::Ask(HWND owner, Limits& limits) {
  if (DoModal(IDD_TRAFFIC_SETTINGS, owner) != IDOK) return false;
  limits = limits_;
  return true;
}

bool TrafficSettingsDialog::Open(HWND owner) {
  if (!Create(IDD_TRAFFIC_SETTINGS, owner)) return false;
  ShowWindow(Handle(), SW_SHOW);
  return true;
}

bool TrafficSettingsDialog::OnInitDialog() {
  for (int spin : {IDC_OUTPUT_SPIN, IDC_INPUT_SPIN}) SendMessageA(Item(spin), UDM_SETRANGE32, kSpinLow, kSpinHigh);
  SendMessageA(Item(IDC_OUTPUT_SPIN), UDM_SETPOS32, 0, kStart);
  if (mode_ == Mode::OutputOnly) {
    // Position 0 lies below the range: the spin button shows its lowest value.
    SendMessageA(Item(IDC_INPUT_SPIN), UDM_SETPOS32, 0, 0);
    EnableItem(IDC_INPUT_LIMIT, false);
    EnableItem(IDC_INPUT_SPIN, false);
  } else {
    SendMessageA(Item(IDC_INPUT_SPIN), UDM_SETPOS32, 0, kStart);
  }
  return true;
}

bool TrafficSettingsDialog::ReadField(int id, int32_t& value) {
  std::string text = ItemText(id);
  char* end = nullptr;
  long number = std::strtol(text.c_str(), &end, 10);
  if (!text.empty() && *end == '\0' && number >= kLowest && number <= kHighest) {
    value = static_cast<int32_t>(number);
    return true;
  }
  MessageBoxA(Handle(), kRangeMessage, "拓瓦", MB_OK | MB_ICONEXCLAMATION);
  SetFocus(Item(id));
  return false;
}

bool TrafficSettingsDialog::OnCommand(int id, int) {
  if (id == IDCANCEL) {
    EndModal(IDCANCEL);
    return true;
  }
  if (id != IDOK) return false;
  Limits limits;
  if (ReadField(IDC_OUTPUT_LIMIT, limits.output) && ReadField(IDC_INPUT_LIMIT, limits.input)) {
    limits_ = limits;
    EndModal(IDOK);
  }
  return true;
}
