#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "controls/ListView.h"
#include "controls/PlayImage.h"
#include "search/ResultRecord.h"
#include "search/SearchQuery.h"
#include "win/Handles.h"

class SearchCentre;

// One tab of the search centre: the files the host reported for one query,
// in a window of its own that holds a virtual list-view control (the rows
// are the page's records; the control asks for the texts of the rows it
// shows). The page filters new results by the keyword lists, and lets the
// user download or play a file, act on its peer through the host, pass its
// link on, recommend it or report it. The parts: ResultsPage.cpp (window,
// query, rows), ResultsPageRows.cpp (cells, drawing, sorting),
// ResultsPageMenu.cpp (row menu and its commands).
class ResultsPage {
 public:
  static constexpr UINT_PTR kHighlightTimer = 1;
  static constexpr int kHighlightSeconds = 6;
  // Posted once per run of new results: the control learns the row count.
  static constexpr UINT kSyncRowsMessage = WM_APP + 1;
  static constexpr int kWidths[ResultRecord::kColumnCount] = {180, 38, 38, 80, 55, 50, 38, 70, 70, 150};

  explicit ResultsPage(SearchCentre& centre);
  ~ResultsPage();
  ResultsPage(const ResultsPage&) = delete;
  ResultsPage& operator=(const ResultsPage&) = delete;

  bool Create(HWND parent, const RECT& area);
  HWND Handle() const { return window_.Get(); }
  ListView& List() { return view_; }
  void Place(const RECT& area) const;

  // The query.
  bool InUse() const { return queryId_ != 0; }
  uint32_t QueryId() const { return queryId_; }
  const SearchQuery& Query() const { return query_; }
  // A page without a query takes any; a used one only the same keyword and
  // target.
  bool Accepts(const SearchQuery& query) const;
  void TakeQuery(const SearchQuery& query, uint32_t queryId);
  // A later query of the same keyword and target: its results go below.
  void RepeatQuery(const SearchQuery& query);
  bool Searching() const { return searching_; }
  void SetSearching(bool searching) { searching_ = searching; }

  // A result for this page's query joins the rows at the end unless its name
  // holds a keyword of the list that fits the query; false when it did not
  // join.
  bool AddResult(uint32_t queryId, const ResultRecord& record);
  size_t RowCount() const { return rows_.size(); }
  const ResultRecord& Row(size_t row) const { return *rows_[row]; }
  // The control shows every row (new results reach it once their run ends).
  void SyncRows();
  std::string CellText(int row, int column) const;
  // Deletes every row.
  void Clear();
  // Each sort of a column reverses that column's order.
  void SortBy(int column);

  // The row menu (menu 3037, sub-menu "RemoteFile") prepared for the
  // selection, and its commands.
  win::UniqueMenu LoadRowMenu() const;
  void PrepareMenu(HMENU menu) const;
  void RunCommand(int command);
  void ShowRowMenu(POINT screen);
  void OnCellClick(int row, int column);
  void OnDoubleClick(int row);
  // The row whose play cell is lit, -1 for none, and its seconds left.
  int HighlightedRow() const;
  int HighlightSecondsLeft() const { return highlightLeft_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(NMHDR& header);
  void CreateColumns();
  void Layout();

  // Rows.
  bool Filtered(const ResultRecord& record) const;
  void FillCell(NMLVDISPINFOA& info);
  int IconOf(const std::string& fileName);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
  void DrawPlayCell(HDC dc, int row, const RECT& cell) const;
  void RedrawRow(int row) const;
  void OnHighlightTick();
  std::vector<int> SelectedRows() const;
  // Selected rows published by another peer than the user.
  std::vector<int> SelectedOtherRows() const;
  // The record when exactly one of them is selected.
  const ResultRecord* OneOtherRow() const;
  bool IsOwn(const ResultRecord& record) const;

  // Commands.
  // False (after the not-member prompt) when keyword downloads are for members only.
  bool MayDownload();
  void Download(const ResultRecord& record, int32_t mode);
  void DownloadSelected(int32_t mode, bool memberCheck);
  void Play(const ResultRecord& record);
  void RunPeerCommand(int command, const ResultRecord& record);

  SearchCentre& centre_;
  SearchQuery query_;
  uint32_t queryId_ = 0;
  bool searching_ = false;

  win::UniqueWindow window_;
  ListView view_;
  std::vector<std::unique_ptr<ResultRecord>> rows_;
  bool syncPosted_ = false;
  std::array<bool, ResultRecord::kColumnCount> sortDescending_{};
  std::string cellText_;
  std::unordered_map<std::string, int> icons_;
  const ResultRecord* highlighted_ = nullptr;
  int highlightLeft_ = 0;
  PlayImage playImage_;
  win::UniqueBrush highlightBrush_;
};
