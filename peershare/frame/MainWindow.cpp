#include "frame/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "frame/HostClient.h"
#include "frame/ModuleState.h"
#include "frame/OperatorPages.h"
#include "frame/ResourceIds.h"

namespace {

constexpr int kWidth = 800, kHeight = 560;
constexpr COLORREF kBackground = RGB(0xCC, 0xDA, 0xED);
constexpr const char* kTitle = "拓瓦文件交换";
constexpr const char* kSearchHint = "请输入影片名";
constexpr const char* kFileTypes[] = {"全部", "音乐", "图片", "视频", "图书", "资料", "软件", "游戏", "其他"};
constexpr const char* kScopes[] = {"全部", "外网"};
constexpr int kPanelCount = 4;
constexpr int32_t kSmallImages = 2;
constexpr int kTabButtons[kPanelCount] = {IDC_TAB_HOME, IDC_TAB_SEARCH, IDC_TAB_SHARE, IDC_TAB_FRIENDS};

// Fixed places of the main window's controls, in pixels of its client area.
struct Place {
  int id, x, y, width, height;
};
constexpr Place kPlaces[] = {
    {IDC_TAB_HOME, 8, 6, 80, 26},          {IDC_TAB_SEARCH, 92, 6, 80, 26},
    {IDC_TAB_SHARE, 176, 6, 80, 26},       {IDC_TAB_FRIENDS, 260, 6, 80, 26},
    {IDC_MAIN_BUTTON, 350, 6, 80, 26},     {IDC_MAIN_BUTTON2, 434, 6, 80, 26},
    {IDC_EXTRA_BUTTON1, 518, 6, 38, 26},   {IDC_EXTRA_BUTTON2, 558, 6, 38, 26},
    {IDC_HTML_VIEW, 600, 4, 188, 30},      {IDC_SEARCH_TEXT, 8, 38, 180, 22},
    {IDC_SEARCH_TYPE, 192, 38, 80, 200},   {IDC_SEARCH_TARGET, 276, 38, 90, 200},
    {IDC_SEARCH_SCOPE, 370, 38, 70, 200},  {IDC_SEARCH_START, 444, 37, 50, 24},
    {IDC_SEARCH_STOP, 498, 37, 50, 24},    {IDC_SEARCH_ANIMATION, 554, 40, 18, 18},
    {IDC_MAIL_RECOMMEND, 580, 37, 66, 24}, {IDC_MAIL_REPORT, 650, 37, 66, 24},
    {IDC_HELP_PAGE, 720, 37, 66, 24},
};
constexpr int kPanelsTop = 66;

const Place* FindPlace(int id) {
  for (const Place& place : kPlaces)
    if (place.id == id) return &place;
  return nullptr;
}
constexpr int kBottomBand = 24;

}  // namespace

MainWindow::MainWindow(std::string executableFolder)
    : config_(std::move(executableFolder)),
      background_(CreateSolidBrush(kBackground)),
      shareLibrary_(config_.ExecutableFolder(), config_.DataFolder()) {
  for (int panel = kHome; panel <= kFriends; ++panel) PanelObject(panel)->SetBackground(background_.Get());
}

MainWindow::~MainWindow() {
  Destroy();
  ReleaseOle();
}

// A host handed over after the window exists (init after Initialize) takes
// over the status line and the friend tree's images at once.
void MainWindow::SetHost(HostClient* host) {
  host_ = host;
  if (Handle() == nullptr) return;
  status_.SetHost(host);
  if (host != nullptr) friendPanel_.SetImages(host->GetImageList(kSmallImages));
}

int MainWindow::TabButton(int panel) { return panel >= kHome && panel <= kFriends ? kTabButtons[panel - 1] : 0; }

Panel* MainWindow::PanelObject(int panel) {
  return const_cast<Panel*>(static_cast<const MainWindow*>(this)->PanelObject(panel));
}

const Panel* MainWindow::PanelObject(int panel) const {
  switch (panel) {
    case kHome: return &homePanel_;
    case kSearch: return &searchPanel_;
    case kShare: return &sharePanel_;
    case kFriends: return &friendPanel_;
    default: return nullptr;
  }
}

HWND MainWindow::PanelWindow(int panel) const {
  const Panel* object = PanelObject(panel);
  return object != nullptr ? object->Handle() : nullptr;
}

int MainWindow::VisiblePanel() const {
  for (int panel = kHome; panel <= kFriends; ++panel)
    if (HWND window = PanelWindow(panel); window != nullptr && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE))
      return panel;
  return 0;
}

bool MainWindow::Started() const {
  return Handle() != nullptr && (state_ == State::Running || state_ == State::Suspended);
}

bool MainWindow::CreateFrom(int templateId) {
  if (Handle() != nullptr) return true;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_ANIMATE_CLASS | ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  // The browser control needs OLE on this thread for the window's lifetime.
  if (!oleInitialized_) oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
  if (Create(templateId, GetDesktopWindow())) {
    templateId_ = templateId;
    return true;
  }
  ReleaseOle();
  return false;
}

void MainWindow::ReleaseOle() {
  if (oleInitialized_) OleUninitialize();
  oleInitialized_ = false;
}

// --- window set-up -------------------------------------------------------

bool MainWindow::OnInitDialog() {
  config_.Read();
  SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowTextA(Handle(), kTitle);
  HICON icon = LoadIconA(ModuleState::ResourceModule(), MAKEINTRESOURCEA(IDI_PLUGIN));
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  CreatePanels();
  ShowItem(IDC_TAB_FRIENDS, config_.ShowFriend());
  CreateNoticeView();
  CreateSearchAnimation();
  InitSearchBar();
  ShowItem(IDC_EXTRA_BUTTON1, false);
  ShowItem(IDC_EXTRA_BUTTON2, false);
  if (host_ != nullptr) friendPanel_.SetImages(host_->GetImageList(kSmallImages));
  status_.Attach(Item(IDC_STATUS_LINE), host_);
  status_.Update(StatusLine::kKeep, StatusLine::kKeep, StatusLine::kKeep, StatusLine::kKeep, StatusLine::kKeep,
                 StatusLine::kKeep);
  Layout();
  return true;
}

void MainWindow::CreatePanels() {
  homePanel_.Create(IDD_HOME, Handle());
  searchPanel_.Create(Handle());
  sharePanel_.Create(IDD_SHARE_PAGE, Handle());
  friendPanel_.Create(Handle());
  SelectPanel(kHome);
}

// Where no browser engine can be hosted the window goes without the notice.
void MainWindow::CreateNoticeView() {
  const Place* place = FindPlace(IDC_HTML_VIEW);
  if (!oleInitialized_ || Item(IDC_SEARCH_TEXT) == nullptr) return;  // not the full main window
  RECT area = {place->x, place->y, place->x + place->width, place->y + place->height};
  if (noticeView_.Create(Handle(), IDC_HTML_VIEW, area)) noticeView_.Navigate(kNoticePage);
}

void MainWindow::InitSearchBar() {
  SetItemText(IDC_SEARCH_TEXT, kSearchHint);
  if (HWND types = Item(IDC_SEARCH_TYPE)) {
    for (const char* type : kFileTypes) SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(type));
    SendMessageA(types, CB_SETCURSEL, 0, 0);
  }
  if (HWND target = Item(IDC_SEARCH_TARGET)) {
    SendMessageA(target, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("全部"));
    SendMessageA(target, CB_SETCURSEL, 0, 0);
  }
  if (HWND scopes = Item(IDC_SEARCH_SCOPE)) {
    for (const char* scope : kScopes) SendMessageA(scopes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(scope));
    SendMessageA(scopes, CB_SETCURSEL, 0, 0);
  }
  EnableItem(IDC_SEARCH_STOP, false);
}

void MainWindow::CreateSearchAnimation() {
  if (Item(IDC_SEARCH_TEXT) == nullptr) return;  // a template without the search bar
  HMODULE resources = ModuleState::ResourceModule();
  const Place* place = FindPlace(IDC_SEARCH_ANIMATION);
  HWND animation = CreateWindowExA(0, ANIMATE_CLASSA, nullptr, WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT, place->x,
                                   place->y, place->width, place->height, Handle(),
                                   reinterpret_cast<HMENU>(IDC_SEARCH_ANIMATION), resources, nullptr);
  if (animation == nullptr) return;
  SendMessageA(animation, ACM_OPENA, reinterpret_cast<WPARAM>(resources),
               reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(IDR_SEARCH_ANIMATION)));
  // Shows the first frame; the search plays the rest.
  SendMessageA(animation, ACM_PLAY, 1, MAKELPARAM(0, 0));
}

void MainWindow::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  for (const Place& place : kPlaces)
    if (HWND control = Item(place.id))
      MoveWindow(control, place.x, place.y, place.width, place.height, FALSE);
  int bottom = client.bottom - kBottomBand;
  for (int panel = kHome; panel <= kFriends; ++panel)
    if (HWND window = PanelWindow(panel))
      MoveWindow(window, 0, kPanelsTop, client.right, std::max(0, bottom - kPanelsTop), FALSE);
  int y = bottom + 3;
  if (HWND status = Item(IDC_STATUS_LINE)) MoveWindow(status, 8, y + 2, client.right - 230, 16, FALSE);
  if (HWND guide = Item(IDC_QUICK_GUIDE)) MoveWindow(guide, client.right - 214, y, 70, 18, FALSE);
  if (HWND players = Item(IDC_PLAYER_DOWNLOADS)) MoveWindow(players, client.right - 140, y, 132, 18, FALSE);
  InvalidateRect(Handle(), nullptr, TRUE);
}

bool MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR&) {
  if (message == WM_SIZE) Layout();
  if (message == MailPlugin::kDoneMessage) mailPlugin_.OnDone(wParam, lParam);
  return false;
}

void MainWindow::OnDestroy() {
  // The mail plug-in's holder posts to this window.
  mailPlugin_.Close();
  noticeView_.Destroy();
  status_.Detach();
}

// --- panels -------------------------------------------------------------

void MainWindow::SelectPanel(int panel) {
  if (panel < kHome || panel > kFriends) return;
  for (int other = kHome; other <= kFriends; ++other) {
    if (other == panel) continue;
    if (HWND window = PanelWindow(other)) ShowWindow(window, SW_HIDE);
    CheckItem(TabButton(other), false);
  }
  CheckItem(TabButton(panel), true);
  if (HWND window = PanelWindow(panel)) ShowWindow(window, SW_SHOW);
}

void MainWindow::BringToFront() {
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
}

// A search asked for by the client fills the bar as the user would.
void MainWindow::FillSearchBar(int32_t type, const char* text) {
  SetItemText(IDC_SEARCH_TEXT, text);
  int32_t types = static_cast<int32_t>(std::size(kFileTypes));
  SendMessageA(Item(IDC_SEARCH_TYPE), CB_SETCURSEL, type >= 0 && type < types ? type : 0, 0);
  SendMessageA(Item(IDC_SEARCH_TARGET), CB_SETCURSEL, 0, 0);
  SendMessageA(Item(IDC_SEARCH_SCOPE), CB_SETCURSEL, 0, 0);
}
