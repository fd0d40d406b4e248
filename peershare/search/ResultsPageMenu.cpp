// The row menu of a results page (menu 3037, sub-menu "RemoteFile") and the
// commands it gives: downloads, play, peer operations, links and mails.
#include "search/ResultsPage.h"

#include "controls/Clipboard.h"
#include "controls/MenuCommands.h"
#include "frame/HostClient.h"
#include "frame/HostTransfer.h"
#include "frame/MainWindow.h"
#include "frame/ModuleState.h"
#include "frame/ResourceIds.h"
#include "search/MailLinks.h"
#include "search/MemberPrompt.h"
#include "search/SearchCentre.h"
#include "share/ShareLink.h"
#include "transfer/DownloadList.h"

namespace {

// Entries that need exactly one selected row of another peer.
constexpr int kOneRowEntries[] = {ID_RESULT_ADD_FRIEND, ID_RESULT_MESSAGE,   ID_RESULT_DETAILS,
                                  ID_RESULT_COINS,      ID_RESULT_REPORT,    ID_RESULT_COPY_NUMBER,
                                  ID_RESULT_COPY_LINK,  ID_RESULT_PUSH_LINK, ID_SORT_NAME,
                                  ID_SORT_PEER,         ID_SORT_BANDWIDTH};

// The "排序" entry is a sub-menu: it is enabled by its position.
void EnableSubMenus(HMENU menu, bool enable) {
  for (int position = 0; position < GetMenuItemCount(menu); ++position)
    if (GetSubMenu(menu, position) != nullptr)
      EnableMenuItem(menu, position, MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

win::UniqueMenu ResultsPage::LoadRowMenu() const {
  return win::UniqueMenu(LoadMenuA(ModuleState::ResourceModule(), MAKEINTRESOURCEA(IDM_REMOTE_FILE)));
}

std::vector<int> ResultsPage::SelectedOtherRows() const {
  std::vector<int> others;
  for (int row : SelectedRows())
    if (!IsOwn(*rows_[static_cast<size_t>(row)])) others.push_back(row);
  return others;
}

const ResultRecord* ResultsPage::OneOtherRow() const {
  std::vector<int> others = SelectedOtherRows();
  return others.size() == 1 ? rows_[static_cast<size_t>(others[0])].get() : nullptr;
}

void ResultsPage::PrepareMenu(HMENU menu) const {
  bool anySelected = !SelectedRows().empty();
  bool anyOther = !SelectedOtherRows().empty();
  const ResultRecord* one = OneOtherRow();
  EnableMenuCommand(menu, ID_RESULT_CLEAR, !rows_.empty());
  EnableMenuCommand(menu, ID_RESULT_RECOMMEND, anySelected);
  EnableMenuCommand(menu, ID_RESULT_DOWNLOAD, anyOther);
  EnableMenuCommand(menu, ID_RESULT_SEQUENTIAL, anyOther);
  EnableMenuCommand(menu, ID_RESULT_PLAY, one != nullptr && one->Playable());
  for (int command : kOneRowEntries) EnableMenuCommand(menu, command, one != nullptr);
  EnableSubMenus(menu, one != nullptr);
}

void ResultsPage::ShowRowMenu(POINT screen) {
  win::UniqueMenu menu = LoadRowMenu();
  HMENU rows = GetSubMenu(menu.Get(), 0);
  if (rows == nullptr) return;
  SyncRows();
  PrepareMenu(rows);
  int command = TrackPopupMenu(rows, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window_.Get(), nullptr);
  if (command != 0) RunCommand(command);
}

// Each command checks again what its menu entry was enabled for.
void ResultsPage::RunCommand(int command) {
  SyncRows();
  switch (command) {
    case ID_RESULT_DOWNLOAD: return DownloadSelected(kModeRandom, true);
    case ID_RESULT_SEQUENTIAL: return DownloadSelected(kModeSequential, false);
    case ID_RESULT_CLEAR: return Clear();
    case ID_RESULT_RECOMMEND: {
      std::vector<int> selected = SelectedRows();
      if (selected.empty()) return;
      const ResultRecord& record = *rows_[static_cast<size_t>(selected[0])];
      MailLinks links = MailLinks::Read(centre_.Main().Config().IniPath());
      return MailLinks::Open(window_.Get(), links.Recommendation(record.fileName, centre_.Main().User()));
    }
    default:
      break;
  }
  const ResultRecord* one = OneOtherRow();
  if (one == nullptr) return;
  switch (command) {
    case ID_RESULT_PLAY: return Play(*one);
    case ID_SORT_NAME: return SortBy(ResultRecord::kName);
    case ID_SORT_PEER: return SortBy(ResultRecord::kPeer);
    case ID_SORT_BANDWIDTH: return SortBy(ResultRecord::kBandwidth);
    case ID_RESULT_REPORT: {
      MailLinks links = MailLinks::Read(centre_.Main().Config().IniPath());
      return MailLinks::Open(window_.Get(), links.Report(one->peerId, one->fileName));
    }
    case ID_RESULT_COPY_NUMBER:
      CopyTextToClipboard(window_.Get(), std::to_string(one->peerId));
      return;
    case ID_RESULT_COPY_LINK:
      CopyTextToClipboard(window_.Get(), ShareLink(one->hash, one->fileName, one->size, one->category));
      return;
    default:
      return RunPeerCommand(command, *one);
  }
}

void ResultsPage::RunPeerCommand(int command, const ResultRecord& record) {
  HostClient* host = centre_.Main().Host();
  if (host == nullptr) return;
  switch (command) {
    case ID_RESULT_ADD_FRIEND: return host->AddFriend(record.peerId, record.peerTag);
    case ID_RESULT_MESSAGE: return host->SendMessageToPeer(record.peerId, record.peerTag, record.nickname.c_str());
    case ID_RESULT_DETAILS: return host->ShowPeerDetails(record.peerId, record.peerTag);
    case ID_RESULT_COINS: return host->QueryPeerCoins(record.peerId, record.peerTag, record.nickname.c_str());
    case ID_RESULT_PUSH_LINK:
      return host->PushLinkToFriend(ShareLink(record.hash, record.fileName, record.size, record.category).c_str());
    default:
      return;
  }
}

// --- downloads -------------------------------------------------------------------

// Keyword searches are for members when the operator says so.
bool ResultsPage::MayDownload() {
  if (!query_.HasKeyword() && !query_.HasTarget()) return true;
  if (centre_.Main().Library().Settings().Current().keywordDownload == 0) return true;
  HostClient* host = centre_.Main().Host();
  if (host != nullptr && host->IsMember() != 0) return true;
  MemberPrompt(host).Show(window_.Get());
  return false;
}

void ResultsPage::Download(const ResultRecord& record, int32_t mode) {
  DownloadList* downloads = centre_.Main().Downloads();
  if (downloads == nullptr) return;
  DownloadList::Request request;
  request.hash = record.hash;
  request.category = record.category;
  request.fileName = record.fileName;
  request.size = record.size;
  request.peerId = record.peerId;
  request.peerTag = record.peerTag;
  request.comment = record.comment;
  request.mode = mode;
  request.nickname = record.nickname;
  request.connectionKind = record.connectionKind;
  request.ip = record.ip;
  request.port = record.port;
  downloads->Add(request);
}

// The records, not the rows: a prompt of the download list lets the page
// change under the loop.
void ResultsPage::DownloadSelected(int32_t mode, bool memberCheck) {
  std::vector<ResultRecord> records;
  for (int row : SelectedOtherRows()) records.push_back(*rows_[static_cast<size_t>(row)]);
  if (records.empty() || (memberCheck && !MayDownload())) return;
  for (const ResultRecord& record : records) Download(record, mode);
}

void ResultsPage::Play(const ResultRecord& record) {
  if (!record.Playable() || IsOwn(record) || !MayDownload()) return;
  ResultRecord copy = record;
  Download(copy, kModePlay);
  // The play cell is lit for six seconds, counted down by a one-second timer.
  for (const auto& row : rows_) {
    if (row.get() != &record) continue;
    int before = HighlightedRow();
    highlighted_ = row.get();
    highlightLeft_ = kHighlightSeconds;
    SetTimer(window_.Get(), kHighlightTimer, 1000, nullptr);
    RedrawRow(before);
    RedrawRow(HighlightedRow());
  }
}

void ResultsPage::OnCellClick(int row, int column) {
  if (column == ResultRecord::kPlay && row >= 0 && static_cast<size_t>(row) < rows_.size())
    Play(*rows_[static_cast<size_t>(row)]);
}

void ResultsPage::OnDoubleClick(int row) {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size() || IsOwn(*rows_[static_cast<size_t>(row)])) return;
  ResultRecord record = *rows_[static_cast<size_t>(row)];
  if (MayDownload()) Download(record, kModeRandom);
}
