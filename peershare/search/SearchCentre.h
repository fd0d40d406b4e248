#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/Panel.h"
#include "search/ResultRecord.h"
#include "search/ResultsPage.h"
#include "search/SearchQuery.h"
#include "search/SequenceNumbers.h"
#include "share/KeywordLists.h"

class MainWindow;

// The search centre: panel 3062 of the main window, a tab control whose
// tabs each hold one results page (the first, "搜索中心", holds a page
// without a query). It checks what the search bar of the main window asks
// for, refuses sensitive keywords with its keyword lists, picks or makes the
// results page of the query and hands the query to the host.
class SearchCentre : public Panel {
 public:
  static constexpr int32_t kMaxResults = 200;
  static constexpr const char* kFirstTitle = "搜索中心";
  static constexpr const char* kCaption = "拓瓦";
  static constexpr const char* kInvalidTarget = "输入了无效字符(对方拓瓦号)";
  static constexpr const char* kSensitiveKeyword = "请不要尝试搜索非法或敏感信息";
  static constexpr const char* kTypeNeeded = "关键字搜索必须指定类型";
  static constexpr const char* kKeywordNeeded = "请输入关键字(文件名)";
  static constexpr const char* kKeywordTooShort = "关键字(文件名)长度必须大于等于3个字符";

  explicit SearchCentre(MainWindow& main);
  ~SearchCentre() override;

  // Creates the panel in the main window with its first page. The keyword
  // lists are read the first time only.
  bool Create(HWND mainWindow);
  MainWindow& Main() { return main_; }
  KeywordLists& Keywords() { return keywords_; }
  // The filter-off switch: no keyword list refuses a query or drops a result.
  void SetFilterOff(bool on) { filterOff_ = on; }
  bool FilterOff() const { return filterOff_; }

  // The search bar's buttons: search (3113) and stop (3101).
  void OnSearchButton();
  void OnStopButton();
  // The host's answers: one result for a query; the end of a query.
  void AddResult(uint32_t queryId, const ResultRecord& record);
  void SearchFinished(uint32_t queryId);

  int TabCount() const { return static_cast<int>(pages_.size()); }
  int CurrentTab() const;
  std::string TabTitle(int tab) const;
  ResultsPage* Page(int tab) const;
  // The page that holds the query, or null.
  ResultsPage* PageOf(uint32_t queryId) const;

 protected:
  bool OnInitDialog() override;
  void OnDestroy() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  HWND BarItem(int id) const;
  // Step 2 of a search: false (after the message) for a target that is no
  // peer number; a number joins the target list.
  bool ReadTarget(uint32_t& target);
  SearchQuery ReadQuery(uint32_t target) const;
  // The checks in their order: the message of the first that refuses, or null.
  const char* Check(SearchQuery& query) const;
  void Refuse(const char* message);
  void Dispatch(const SearchQuery& query);
  int PickPage(const SearchQuery& query);
  int AppendPage();
  void SetTabTitle(int tab, const std::string& title);
  void SelectTab(int tab);
  void ShowOnly(int tab);
  void SetSearching(bool searching);
  void EndSearching(ResultsPage& page);
  RECT PageArea() const;
  void Layout();

  MainWindow& main_;
  KeywordLists keywords_;
  bool keywordsRead_ = false;
  bool filterOff_ = false;
  SequenceNumbers sequences_;
  HWND tabs_ = nullptr;
  std::vector<std::unique_ptr<ResultsPage>> pages_;
};
