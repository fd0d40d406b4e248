#include "search/SearchCentre.h"

#include <commctrl.h>

#include "frame/HostClient.h"
#include "frame/MainWindow.h"
#include "frame/ResourceIds.h"
#include "search/QueryIds.h"

SearchCentre::SearchCentre(MainWindow& main) : main_(main), keywords_(main.Config().DataFolder()) {}

SearchCentre::~SearchCentre() { Destroy(); }

bool SearchCentre::Create(HWND mainWindow) {
  if (!keywordsRead_) {
    keywords_.LoadFullListFirst();
    keywordsRead_ = true;
  }
  return Panel::Create(IDD_SEARCH_CENTRE, mainWindow);
}

bool SearchCentre::OnInitDialog() {
  tabs_ = Item(IDC_SEARCH_TABS);
  if (tabs_ == nullptr) return true;
  SetWindowLongPtrA(tabs_, GWL_STYLE, GetWindowLongPtrA(tabs_, GWL_STYLE) | WS_CLIPCHILDREN);
  AppendPage();
  SetTabTitle(0, kFirstTitle);
  SelectTab(0);
  return true;
}

// The pages' windows went with the panel's.
void SearchCentre::OnDestroy() {
  pages_.clear();
  tabs_ = nullptr;
}

bool SearchCentre::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR&) {
  if (message == WM_SIZE) {
    Layout();
  } else if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) ShowOnly(CurrentTab());
  }
  return false;
}

void SearchCentre::Layout() {
  if (tabs_ == nullptr) return;
  RECT client;
  GetClientRect(Handle(), &client);
  MoveWindow(tabs_, 0, 0, client.right, client.bottom, TRUE);
  RECT area = PageArea();
  for (const auto& page : pages_) page->Place(area);
}

RECT SearchCentre::PageArea() const {
  RECT area = {};
  if (tabs_ == nullptr) return area;
  GetClientRect(tabs_, &area);
  TabCtrl_AdjustRect(tabs_, FALSE, &area);
  return area;
}

// --- tabs ---------------------------------------------------------------------

int SearchCentre::CurrentTab() const { return tabs_ != nullptr ? TabCtrl_GetCurSel(tabs_) : -1; }

ResultsPage* SearchCentre::Page(int tab) const {
  return tab >= 0 && tab < TabCount() ? pages_[static_cast<size_t>(tab)].get() : nullptr;
}

ResultsPage* SearchCentre::PageOf(uint32_t queryId) const {
  if (queryId == 0) return nullptr;
  for (const auto& page : pages_)
    if (page->QueryId() == queryId) return page.get();
  return nullptr;
}

std::string SearchCentre::TabTitle(int tab) const {
  char title[256] = "";
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = title;
  item.cchTextMax = sizeof title;
  if (tabs_ == nullptr || !TabCtrl_GetItem(tabs_, tab, &item)) return std::string();
  return title;
}

void SearchCentre::SetTabTitle(int tab, const std::string& title) {
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(title.c_str());
  if (tabs_ != nullptr) TabCtrl_SetItem(tabs_, tab, &item);
}

int SearchCentre::AppendPage() {
  int tab = TabCount();
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>("");
  TabCtrl_InsertItem(tabs_, tab, &item);
  auto page = std::make_unique<ResultsPage>(*this);
  page->Create(tabs_, PageArea());
  pages_.push_back(std::move(page));
  return tab;
}

void SearchCentre::SelectTab(int tab) {
  TabCtrl_SetCurSel(tabs_, tab);
  ShowOnly(tab);
}

void SearchCentre::ShowOnly(int tab) {
  for (int other = 0; other < TabCount(); ++other)
    if (other != tab) ShowWindow(pages_[static_cast<size_t>(other)]->Handle(), SW_HIDE);
  if (ResultsPage* page = Page(tab)) ShowWindow(page->Handle(), SW_SHOW);
}

// --- search -------------------------------------------------------------------

HWND SearchCentre::BarItem(int id) const { return GetDlgItem(main_.Handle(), id); }

void SearchCentre::OnSearchButton() {
  if (tabs_ == nullptr || main_.CurrentState() != MainWindow::State::Running) return;
  uint32_t target = 0;
  if (!ReadTarget(target)) return;
  SearchQuery query = ReadQuery(target);
  if (const char* refusal = Check(query)) return Refuse(refusal);
  Dispatch(query);
  SetSearching(true);
  main_.SelectPanel(MainWindow::kSearch);
}

bool SearchCentre::ReadTarget(uint32_t& target) {
  HWND list = BarItem(IDC_SEARCH_TARGET);
  switch (SearchQuery::ParseTarget(WindowText(list), target)) {
    case SearchQuery::Target::Invalid:
      Refuse(kInvalidTarget);
      return false;
    case SearchQuery::Target::Number: {
      std::string number = std::to_string(target);
      if (SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(number.c_str())) ==
          CB_ERR)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number.c_str()));
      return true;
    }
    default:
      target = 0;
      return true;
  }
}

SearchQuery SearchCentre::ReadQuery(uint32_t target) const {
  SearchQuery query;
  query.keyword = SearchQuery::CutKeyword(WindowText(BarItem(IDC_SEARCH_TEXT)));
  auto type = static_cast<int32_t>(SendMessageA(BarItem(IDC_SEARCH_TYPE), CB_GETCURSEL, 0, 0));
  query.fileType = type >= 0 && type < SearchQuery::kFileTypes ? type : 0;
  query.target = target;
  query.scope = SendMessageA(BarItem(IDC_SEARCH_SCOPE), CB_GETCURSEL, 0, 0) == 1 ? 1 : 0;
  return query;
}

const char* SearchCentre::Check(SearchQuery& query) const {
  if (query.keyword == SearchQuery::kPlaceholder) query.keyword.clear();
  if (!filterOff_ && query.HasKeyword() && keywords_.IsFiltered(KeywordLists::Which::Short, query.keyword))
    return kSensitiveKeyword;
  query.keyword = SearchQuery::WithoutLeadingBlanks(query.keyword);
  if (query.HasKeyword() && query.fileType == 0 && !query.HasTarget()) return kTypeNeeded;
  if (!query.HasKeyword() && main_.Library().Settings().Current().filterEmptySearch != 0) return kKeywordNeeded;
  if (query.keyword.size() == 1 || query.keyword.size() == 2) return kKeywordTooShort;
  return nullptr;
}

// A refused query leaves the pages as they are and the bar ready for the next.
void SearchCentre::Refuse(const char* message) {
  MessageBoxA(main_.Handle(), message, kCaption, MB_OK);
  EnableWindow(BarItem(IDC_SEARCH_START), TRUE);
  EnableWindow(BarItem(IDC_SEARCH_STOP), FALSE);
}

void SearchCentre::Dispatch(const SearchQuery& query) {
  int tab = PickPage(query);
  ResultsPage& page = *pages_[static_cast<size_t>(tab)];
  if (page.InUse()) {
    page.RepeatQuery(query);
  } else {
    page.TakeQuery(query, QueryIds::Next());
  }
  page.SetSearching(true);
  SetTabTitle(tab, query.Title(true));
  SelectTab(tab);
  if (HostClient* host = main_.Host())
    host->Search(page.QueryId(), sequences_.Next(query.fileType, query.scope), kMaxResults, query.fileType,
                 query.target, query.scope, query.keyword.c_str());
}

int SearchCentre::PickPage(const SearchQuery& query) {
  for (int tab = 0; tab < TabCount(); ++tab)
    if (pages_[static_cast<size_t>(tab)]->Accepts(query)) return tab;
  return AppendPage();
}

void SearchCentre::SetSearching(bool searching) {
  EnableWindow(BarItem(IDC_SEARCH_STOP), searching ? TRUE : FALSE);
  EnableWindow(BarItem(IDC_SEARCH_START), searching ? FALSE : TRUE);
  HWND animation = BarItem(IDC_SEARCH_ANIMATION);
  if (searching) {
    SendMessageA(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
  } else {
    SendMessageA(animation, ACM_STOP, 0, 0);
    SendMessageA(animation, ACM_PLAY, 1, MAKELPARAM(0, 0));
  }
}

void SearchCentre::EndSearching(ResultsPage& page) {
  if (!page.Searching()) return;
  page.SetSearching(false);
  for (int tab = 0; tab < TabCount(); ++tab)
    if (pages_[static_cast<size_t>(tab)].get() == &page) SetTabTitle(tab, page.Query().Title(false));
}

void SearchCentre::OnStopButton() {
  if (tabs_ == nullptr) return;
  for (const auto& page : pages_) EndSearching(*page);
  SetSearching(false);
}

// The bar is ready again whichever query ended.
void SearchCentre::SearchFinished(uint32_t queryId) {
  if (ResultsPage* page = PageOf(queryId)) EndSearching(*page);
  SetSearching(false);
}

void SearchCentre::AddResult(uint32_t queryId, const ResultRecord& record) {
  if (ResultsPage* page = PageOf(queryId)) page->AddResult(queryId, record);
}
