#include "transfer/TransferMessages.h"

uint32_t NextTransferId() {
  static std::atomic<uint32_t> serial{0};
  return ++serial;
}

bool TransferMailbox::Post(UINT message, WPARAM wParam, LPARAM lParam, int attempts) const {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (attempt > 0) Sleep(1);
    HWND window = window_.load();
    if (window == nullptr) return false;
    if (PostMessageA(window, message, wParam, lParam)) return true;
  }
  return false;
}
