#include "transfer/TransferWindow.h"

#include <cstdlib>

#include "frame/ResourceIds.h"
#include "transfer/DownloadList.h"
#include "transfer/GreenChannelDialog.h"

namespace {

constexpr int kMargin = 6;
constexpr int kBarHeight = 22;

int FieldOf(TransferDocument::Tunnel tunnel) {
  return tunnel == TransferDocument::Tunnel::Max ? IDC_MAX_TUNNEL : IDC_MEMBER_TUNNEL;
}

}  // namespace

void TransferWindow::SetDownloadList(DownloadList* downloads) {
  downloads_ = downloads;
  if (Handle() != nullptr) CreateDownloadList();
}

bool TransferWindow::OnInitDialog() {
  CreateDownloadList();
  return true;
}

void TransferWindow::CreateDownloadList() {
  if (downloads_ == nullptr || downloads_->Handle() != nullptr) return;
  RECT area = {0, kBarHeight, 400, 200};
  if (!downloads_->Create(Handle(), IDC_DOWNLOAD_LIST, area)) return;
  TransferDocument& document = downloads_->Document();
  for (uint32_t number : document.GreenChannel()) greenChannel_.insert(number);
  maxTunnel_ = document.TunnelCount(TransferDocument::Tunnel::Max);
  memberTunnel_ = document.TunnelCount(TransferDocument::Tunnel::Member);
  ShowTunnelCounts();
  Layout();
}

int32_t TransferWindow::TunnelCount(TransferDocument::Tunnel tunnel) const {
  return tunnel == TransferDocument::Tunnel::Max ? maxTunnel_ : memberTunnel_;
}

void TransferWindow::ShowTunnelCounts() {
  SetItemText(IDC_MAX_TUNNEL, std::to_string(maxTunnel_));
  SetItemText(IDC_MEMBER_TUNNEL, std::to_string(memberTunnel_));
}

void TransferWindow::TakeTunnelCount(TransferDocument::Tunnel tunnel) {
  int32_t& count = tunnel == TransferDocument::Tunnel::Max ? maxTunnel_ : memberTunnel_;
  std::string text = ItemText(FieldOf(tunnel));
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  bool taken = !text.empty() && *end == '\0' && value > 4 && value <= INT32_MAX && downloads_ != nullptr &&
               downloads_->Handle() != nullptr;
  if (taken && value != count) {
    count = static_cast<int32_t>(value);
    downloads_->Document().SetTunnelCount(tunnel, count);
    downloads_->SaveDocument();
  }
  SetItemText(FieldOf(tunnel), std::to_string(count));
}

void TransferWindow::OpenGreenChannel() {
  if (downloads_ == nullptr || downloads_->Handle() == nullptr) return;
  GreenChannelDialog(downloads_->Document(), greenChannel_).Show(Handle());
}

bool TransferWindow::OnCommand(int id, int code) {
  if (code == EN_KILLFOCUS && id == IDC_MAX_TUNNEL) {
    TakeTunnelCount(TransferDocument::Tunnel::Max);
    return true;
  }
  if (code == EN_KILLFOCUS && id == IDC_MEMBER_TUNNEL) {
    TakeTunnelCount(TransferDocument::Tunnel::Member);
    return true;
  }
  if (code == BN_CLICKED && id == IDC_GREEN_CHANNEL_BUTTON) {
    OpenGreenChannel();
    return true;
  }
  return false;
}

bool TransferWindow::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR&) {
  if (message == WM_SIZE) Layout();
  return false;
}

// The list takes the upper half below the bar of counts; the uploads' label
// opens the lower half.
void TransferWindow::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  int half = client.bottom / 2;
  if (HWND list = Item(IDC_DOWNLOAD_LIST))
    MoveWindow(list, kMargin, kBarHeight, client.right - 2 * kMargin, half - kBarHeight - 2, TRUE);
  if (HWND label = Item(IDC_UPLOADS_LABEL)) MoveWindow(label, kMargin, half + 4, 120, 16, TRUE);
  if (HWND label = Item(IDC_DOWNLOADS_LABEL)) MoveWindow(label, kMargin, 4, 120, 16, TRUE);
  struct Place {
    int id, width;
  };
  const Place bar[] = {{IDC_MAX_TUNNEL_LABEL, 56}, {IDC_MAX_TUNNEL, 36},        {IDC_MAX_TUNNEL_UNIT, 18},
                       {IDC_MEMBER_TUNNEL_LABEL, 56}, {IDC_MEMBER_TUNNEL, 36}, {IDC_MEMBER_TUNNEL_UNIT, 18},
                       {IDC_GREEN_CHANNEL_BUTTON, 96}};
  int x = client.right - kMargin;
  for (const Place& place : bar) x -= place.width + 2;
  for (const Place& place : bar) {
    if (HWND control = Item(place.id)) MoveWindow(control, x, 2, place.width, kBarHeight - 4, TRUE);
    x += place.width + 2;
  }
}
