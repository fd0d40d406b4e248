#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/ListWindow.h"
#include "win/Handles.h"

class DownloadList;
class XmlElement;

// A list of history records of the TransferDocument: one row per element of
// one name below Transmit, in document order, the element being the row's
// data. The document belongs to the download list, which tells the lists
// when it was loaded and when it goes; rows never outlive their elements.
class HistoryList : public ListWindow {
 public:
  struct Column {
    const char* header;
    int width;
    int format;
  };

  ~HistoryList() override;

  bool Create(HWND parent, int id, const RECT& area);
  // The owner of the document, through which records are removed.
  void SetDownloadList(DownloadList* downloads) { downloads_ = downloads; }
  // The rows of every element of this list's name below `root`.
  void Fill(const XmlElement* root);
  void Append(XmlElement* element);
  void Clear();
  const std::vector<XmlElement*>& Rows() const { return rows_; }
  std::string CellText(int row, int column) const;
  std::vector<XmlElement*> SelectedElements() const;
  void RemoveRows(const std::vector<XmlElement*>& elements);
  void Redraw() const;

  // The row menu: this list's sub-menu of menu 3055.
  win::UniqueMenu LoadRowMenu() const;
  HMENU RowMenuOf(HMENU menu) const { return GetSubMenu(menu, menuIndex_); }
  virtual void PrepareMenu(HMENU menu) const = 0;
  virtual void RunCommand(int command) = 0;
  void ShowRowMenu(POINT screen);

  // How files and folders are opened ("open" verb of the shell); a test
  // hands in its own.
  std::function<bool(const std::string& path)> openWithShell;

  // 1 "音乐" to 7 "游戏"; any other code "未知".
  static std::string CategoryName(int32_t code);
  // A moment in seconds since 1970 as the local date "%Y-%m-%d"; empty when
  // the text is no such number.
  static std::string DateText(const std::string& seconds);
  // The drive and directory of a path, joined as "%s%s".
  static std::string FolderOf(const std::string& path);
  // A decimal attribute as a number of 32 bits; 0 when it is none.
  static uint32_t NumberOf(const XmlElement& element, const char* name);
  static std::string AttributeText(const XmlElement& element, const char* name);

 protected:
  HistoryList(const char* elementName, const Column* columns, int columnCount, int menuIndex);
  virtual std::string Cell(const XmlElement& element, int column) const = 0;
  // A double-click on a row.
  virtual void OnActivate() {}
  bool OpenWithShell(const std::string& path) const;
  // Removes the selected rows and their records; the document is saved.
  void DeleteSelected();

  DownloadList* downloads_ = nullptr;

 private:
  LRESULT OnListNotify(NMHDR& header) override;
  void SyncControl() const;

  const char* elementName_;
  const Column* columns_;
  int columnCount_;
  int menuIndex_;
  std::vector<XmlElement*> rows_;
};
