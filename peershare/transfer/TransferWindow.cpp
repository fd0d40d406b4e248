#include "transfer/TransferWindow.h"

#include <commctrl.h>

#include <cstdlib>

#include "frame/ResourceIds.h"
#include "transfer/DownloadList.h"
#include "transfer/FinishedDownloadList.h"
#include "transfer/FinishedUploadList.h"
#include "transfer/GreenChannelDialog.h"
#include "transfer/UploadManager.h"

namespace {

constexpr int kMargin = 6;
constexpr int kBarHeight = 22;
constexpr int kTabHeight = 22;
constexpr const char* kTabTexts[TransferWindow::kLowerListCount] = {"传出状态", "已下载文件", "已上传文件"};
constexpr int kLowerIds[TransferWindow::kLowerListCount] = {IDC_UPLOAD_LIST, IDC_FINISHED_DOWNLOADS,
                                                            IDC_FINISHED_UPLOADS};

int FieldOf(TransferDocument::Tunnel tunnel) {
  return tunnel == TransferDocument::Tunnel::Max ? IDC_MAX_TUNNEL : IDC_MEMBER_TUNNEL;
}

}  // namespace

void TransferWindow::SetLists(const Lists& lists) {
  lists_ = lists;
  if (lists_.uploads != nullptr) lists_.uploads->openGreenChannel = [this](HWND) { OpenGreenChannel(); };
  if (Handle() != nullptr) CreateLists();
}

bool TransferWindow::OnInitDialog() {
  CreateLowerTabs();
  CreateLists();
  return true;
}

void TransferWindow::CreateLowerTabs() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  HWND tabs = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 300, kTabHeight,
                              Handle(), reinterpret_cast<HMENU>(IDC_LOWER_TABS), nullptr, nullptr);
  if (tabs == nullptr) return;
  SendMessageA(tabs, WM_SETFONT, SendMessageA(Handle(), WM_GETFONT, 0, 0), FALSE);
  for (int list = 0; list < kLowerListCount; ++list) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(kTabTexts[list]);
    SendMessageA(tabs, TCM_INSERTITEMA, list, reinterpret_cast<LPARAM>(&item));
  }
  // The tabs name the lower half now.
  ShowItem(IDC_UPLOADS_LABEL, false);
}

// Each list is made once, by the first window that has it.
void TransferWindow::CreateLists() {
  if (lists_.downloads == nullptr || lists_.uploads == nullptr || lists_.downloads->Handle() != nullptr) return;
  RECT area = {0, kBarHeight, 400, 200};
  if (lists_.finishedDownloads != nullptr) lists_.finishedDownloads->Create(Handle(), IDC_FINISHED_DOWNLOADS, area);
  if (lists_.finishedUploads != nullptr) lists_.finishedUploads->Create(Handle(), IDC_FINISHED_UPLOADS, area);
  lists_.uploads->Create(Handle(), IDC_UPLOAD_LIST, area);
  if (!lists_.downloads->Create(Handle(), IDC_DOWNLOAD_LIST, area)) return;
  TransferDocument& document = lists_.downloads->Document();
  for (uint32_t number : document.GreenChannel()) lists_.uploads->GreenChannel().Insert(number);
  lists_.uploads->SetTunnelCounts(document.TunnelCount(TransferDocument::Tunnel::Max),
                                  document.TunnelCount(TransferDocument::Tunnel::Member));
  ShowTunnelCounts();
  ShowLowerList(shownList_);
  Layout();
}

HWND TransferWindow::LowerWindow(int list) const { return list >= 0 && list < kLowerListCount ? Item(kLowerIds[list]) : nullptr; }

void TransferWindow::ShowLowerList(int list) {
  if (list < 0 || list >= kLowerListCount) return;
  shownList_ = list;
  SendMessageA(Item(IDC_LOWER_TABS), TCM_SETCURSEL, list, 0);
  for (int other = 0; other < kLowerListCount; ++other)
    if (HWND window = LowerWindow(other)) ShowWindow(window, other == list ? SW_SHOW : SW_HIDE);
}

int32_t TransferWindow::TunnelCount(TransferDocument::Tunnel tunnel) const {
  if (lists_.uploads == nullptr) return 0;
  return tunnel == TransferDocument::Tunnel::Max ? lists_.uploads->MaxTunnels() : lists_.uploads->MemberTunnels();
}

void TransferWindow::ShowTunnelCounts() {
  SetItemText(IDC_MAX_TUNNEL, std::to_string(TunnelCount(TransferDocument::Tunnel::Max)));
  SetItemText(IDC_MEMBER_TUNNEL, std::to_string(TunnelCount(TransferDocument::Tunnel::Member)));
}

void TransferWindow::TakeTunnelCount(TransferDocument::Tunnel tunnel) {
  std::string text = ItemText(FieldOf(tunnel));
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  DownloadList* downloads = lists_.downloads;
  bool taken = !text.empty() && *end == '\0' && value > 4 && value <= INT32_MAX && downloads != nullptr &&
               downloads->Handle() != nullptr && lists_.uploads != nullptr;
  if (taken && value != TunnelCount(tunnel)) {
    auto count = static_cast<int32_t>(value);
    bool maximum = tunnel == TransferDocument::Tunnel::Max;
    lists_.uploads->SetTunnelCounts(maximum ? count : lists_.uploads->MaxTunnels(),
                                    maximum ? lists_.uploads->MemberTunnels() : count);
    downloads->Document().SetTunnelCount(tunnel, count);
    downloads->SaveDocument();
  }
  SetItemText(FieldOf(tunnel), std::to_string(TunnelCount(tunnel)));
}

void TransferWindow::OpenGreenChannel() {
  if (lists_.downloads == nullptr || lists_.downloads->Handle() == nullptr || lists_.uploads == nullptr) return;
  GreenChannelDialog(lists_.downloads->Document(), lists_.uploads->GreenChannel()).Show(Handle());
}

void TransferWindow::OpenTemporaryChannels() {
  if (lists_.uploads != nullptr) lists_.uploads->OpenTemporaryChannels(Handle());
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
  if (code == BN_CLICKED && id == IDC_TEMPORARY_CHANNEL_BUTTON) {
    OpenTemporaryChannels();
    return true;
  }
  return false;
}

bool TransferWindow::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR&) {
  if (message == WM_SIZE) Layout();
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->idFrom == IDC_LOWER_TABS && header->code == TCN_SELCHANGE)
      ShowLowerList(static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
  }
  return false;
}

// The download list takes the upper half below the bar of counts; the tabs
// and the list they show take the lower half.
void TransferWindow::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  int half = client.bottom / 2;
  int width = client.right - 2 * kMargin;
  if (HWND list = Item(IDC_DOWNLOAD_LIST)) MoveWindow(list, kMargin, kBarHeight, width, half - kBarHeight - 2, TRUE);
  if (HWND label = Item(IDC_DOWNLOADS_LABEL)) MoveWindow(label, kMargin, 4, 120, 16, TRUE);
  if (HWND label = Item(IDC_UPLOADS_LABEL)) MoveWindow(label, kMargin, half + 4, 120, 16, TRUE);
  if (HWND tabs = Item(IDC_LOWER_TABS)) MoveWindow(tabs, kMargin, half + 2, width, kTabHeight, TRUE);
  int lowerTop = half + 2 + kTabHeight;
  for (int list = 0; list < kLowerListCount; ++list)
    if (HWND window = LowerWindow(list))
      MoveWindow(window, kMargin, lowerTop, width, std::max(0L, client.bottom - lowerTop - 2), TRUE);
  struct Place {
    int id, width;
  };
  const Place bar[] = {{IDC_MAX_TUNNEL_LABEL, 56},     {IDC_MAX_TUNNEL, 36},    {IDC_MAX_TUNNEL_UNIT, 18},
                       {IDC_MEMBER_TUNNEL_LABEL, 56},  {IDC_MEMBER_TUNNEL, 36}, {IDC_MEMBER_TUNNEL_UNIT, 18},
                       {IDC_GREEN_CHANNEL_BUTTON, 96}, {IDC_TEMPORARY_CHANNEL_BUTTON, 96}};
  int x = client.right - kMargin;
  for (const Place& place : bar) x -= place.width + 2;
  for (const Place& place : bar) {
    if (HWND control = Item(place.id)) MoveWindow(control, x, 2, place.width, kBarHeight - 4, TRUE);
    x += place.width + 2;
  }
}
