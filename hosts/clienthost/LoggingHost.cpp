#include "LoggingHost.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Quotes a text argument; null stays visible as such.
std::string Quoted(const char* text) { return text == nullptr ? "null" : std::string("\"") + text + "\""; }

#define Q(text) Quoted(text).c_str()

win::UniqueImageList MakeImageList(int size) {
  win::UniqueImageList list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 0));
  if (!list) return list;
  // Four plain images: two for peers, then the closed and open category icons.
  const COLORREF colours[] = {RGB(0x1E, 0x6A, 0xC8), RGB(0x2E, 0xA0, 0x44), RGB(0xE0, 0xB0, 0x30),
                              RGB(0xF0, 0xD0, 0x60)};
  win::UniqueScreenDc screen(GetDC(nullptr));
  for (COLORREF colour : colours) {
    win::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), size, size));
    {
      win::UniqueMemoryDc dc(CreateCompatibleDC(screen.Get()));
      HGDIOBJ old = SelectObject(dc.Get(), bitmap.Get());
      RECT all = {0, 0, size, size};
      win::UniqueBrush brush(CreateSolidBrush(colour));
      FillRect(dc.Get(), &all, brush.Get());
      SelectObject(dc.Get(), old);
    }
    // Added once the drawing context has let go of the bitmap.
    ImageList_Add(list.Get(), bitmap.Get(), nullptr);
  }
  return list;
}

}  // namespace

LoggingHost::LoggingHost() = default;

// The transfers' threads end before the host they log to.
LoggingHost::~LoggingHost() {
  std::vector<std::unique_ptr<TransferDouble>> transfers;
  {
    std::lock_guard<std::mutex> hold(transfersLock_);
    transfers.swap(transfers_);
  }
}

std::vector<std::string> LoggingHost::Calls() const {
  std::lock_guard<std::mutex> hold(logLock_);
  return calls_;
}

void LoggingHost::ClearCalls() {
  std::lock_guard<std::mutex> hold(logLock_);
  calls_.clear();
}

std::vector<TransferDouble*> LoggingHost::Transfers() const {
  std::lock_guard<std::mutex> hold(transfersLock_);
  std::vector<TransferDouble*> transfers;
  for (const auto& transfer : transfers_) transfers.push_back(transfer.get());
  return transfers;
}

TransferDouble* LoggingHost::TransferOf(const std::string& hash) const {
  std::lock_guard<std::mutex> hold(transfersLock_);
  for (auto it = transfers_.rbegin(); it != transfers_.rend(); ++it)
    if ((*it)->Hash() == hash) return it->get();
  return nullptr;
}

void LoggingHost::AddFriendRecord(uint32_t peerId, const char* name, const char* remark, int32_t image) {
  FriendRecord record = {};
  record.peerId = peerId;
  record.peerTag = peerId ^ 0x5A5A;
  record.image = image;
  std::snprintf(record.name, sizeof record.name, "%s", name);
  std::snprintf(record.remark, sizeof record.remark, "%s", remark);
  friends.push_back(record);
}

std::vector<std::string> LoggingHost::CallsOf(const std::string& name) const {
  std::lock_guard<std::mutex> hold(logLock_);
  std::vector<std::string> found;
  for (const std::string& call : calls_)
    if (call.compare(0, name.size() + 1, name + "(") == 0) found.push_back(call);
  return found;
}

void LoggingHost::Log(int slot, const char* format, ...) {
  char line[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  std::lock_guard<std::mutex> hold(logLock_);
  calls_.push_back(line);
  if (logPath_.empty()) return;
  if (FILE* file = std::fopen(logPath_.c_str(), "ab")) {
    if (slot >= 0) {
      std::fprintf(file, "slot %2d  %s\r\n", slot, line);
    } else {
      std::fprintf(file, "host     %s\r\n", line);
    }
    std::fclose(file);
  }
}

TransferDouble* LoggingHost::ServeUpload(TransferTaskSink* record, const char* localPath, uint32_t size) {
  Log(-1, "ServeUpload(%s, %u, %p)", Q(localPath), size, static_cast<void*>(record));
  if (record == nullptr) return nullptr;
  auto transfer = std::make_unique<TransferDouble>(
      record, localPath != nullptr ? localPath : "", "", size, TransferPace(),
      [this](int slot, const std::string& line) { Log(slot, "%s", line.c_str()); });
  std::lock_guard<std::mutex> hold(transfersLock_);
  transfers_.push_back(std::move(transfer));
  return transfers_.back().get();
}

void LoggingHost::Placeholder(int slot) { Log(slot, "Slot%d()", slot); }

HostTransfer* LoggingHost::StartDownload(const char* localPath, const char* hash, uint32_t size, int32_t category,
                                         int32_t mode, TransferTaskSink* sink) {
  Log(0, "StartDownload(%s, %s, %u, %d, %d, %p)", Q(localPath), Q(hash), size, category, mode,
      static_cast<void*>(sink));
  if (noTransfers || sink == nullptr) return nullptr;
  std::string key = hash != nullptr ? hash : "";
  auto paceOfHash = pacesByHash.find(key);
  TransferPace pace = paceOfHash != pacesByHash.end() ? paceOfHash->second : transferPace;
  // A file the client had started before goes on from where it was.
  auto percent = downloadPercents.find(localPath != nullptr ? localPath : "");
  if (percent != downloadPercents.end()) pace.startPercent = percent->second;
  auto transfer = std::make_unique<TransferDouble>(
      sink, localPath != nullptr ? localPath : "", key, size, pace,
      [this](int slot, const std::string& line) { Log(slot, "%s", line.c_str()); });
  std::lock_guard<std::mutex> hold(transfersLock_);
  transfers_.push_back(std::move(transfer));
  return transfers_.back().get();
}

void LoggingHost::Slot1() { Placeholder(1); }
void LoggingHost::Slot2() { Placeholder(2); }
void LoggingHost::Slot3() { Placeholder(3); }
void LoggingHost::Slot4() { Placeholder(4); }
void LoggingHost::Slot6() { Placeholder(6); }
void LoggingHost::Slot7() { Placeholder(7); }
void LoggingHost::Slot8() { Placeholder(8); }
void LoggingHost::Slot9() { Placeholder(9); }
void LoggingHost::Slot10() { Placeholder(10); }
void LoggingHost::Slot12() { Placeholder(12); }
void LoggingHost::Slot14() { Placeholder(14); }
void LoggingHost::Slot17() { Placeholder(17); }
void LoggingHost::Slot29() { Placeholder(29); }
void LoggingHost::Slot31() { Placeholder(31); }
void LoggingHost::Slot35() { Placeholder(35); }
void LoggingHost::Slot36() { Placeholder(36); }
void LoggingHost::Slot37() { Placeholder(37); }
void LoggingHost::Slot39() { Placeholder(39); }
void LoggingHost::Slot47() { Placeholder(47); }
void LoggingHost::Slot48() { Placeholder(48); }

void LoggingHost::OpenPeerShares(uint32_t peerId, const char* displayName) {
  Log(5, "OpenPeerShares(%u, %s)", peerId, Q(displayName));
}
void LoggingHost::AddTraffic(int32_t coinsSpent, int32_t coinsEarned) {
  Log(11, "AddTraffic(%d, %d)", coinsSpent, coinsEarned);
}
void LoggingHost::RefreshTopTen() { Log(13, "RefreshTopTen()"); }
void LoggingHost::OnMainButton() { Log(15, "OnMainButton()"); }

int32_t LoggingHost::GetFriendList(FriendList* list) {
  Log(16, "GetFriendList(%p)", static_cast<void*>(list));
  if (friendListFails || list == nullptr) return 0;
  for (const FriendRecord& record : friends) list->Add(record);
  return 1;
}

HIMAGELIST LoggingHost::GetImageList(int32_t size) {
  Log(18, "GetImageList(%d)", size);
  if (noImageList || size < 0 || size > 2) return nullptr;
  static const int kPixels[3] = {32, 24, 16};
  if (!images_[size]) images_[size] = MakeImageList(kPixels[size]);
  return images_[size].Get();
}

void LoggingHost::AddFriend(uint32_t peerId, uint32_t peerTag) { Log(19, "AddFriend(%u, %u)", peerId, peerTag); }
void LoggingHost::AddToBlacklist(uint32_t peerId, uint32_t peerTag) {
  Log(20, "AddToBlacklist(%u, %u)", peerId, peerTag);
}
void LoggingHost::SendMessageToPeer(uint32_t peerId, uint32_t peerTag, const char* nickname) {
  Log(21, "SendMessageToPeer(%u, %u, %s)", peerId, peerTag, Q(nickname));
}
void LoggingHost::ShowPeerDetails(uint32_t peerId, uint32_t peerTag) {
  Log(22, "ShowPeerDetails(%u, %u)", peerId, peerTag);
}
void LoggingHost::QueryPeerCoins(uint32_t peerId, uint32_t peerTag, const char* nickname) {
  Log(23, "QueryPeerCoins(%u, %u, %s)", peerId, peerTag, Q(nickname));
}
void LoggingHost::PublishFile(const char* hash, const char* displayName, uint32_t size, int32_t category,
                              const char* categoryPath, const char* comment) {
  Log(24, "PublishFile(%s, %s, %u, %d, %s, %s)", Q(hash), Q(displayName), size, category, Q(categoryPath), Q(comment));
}
void LoggingHost::NotifyShareChanged() { Log(25, "NotifyShareChanged()"); }
void LoggingHost::UnpublishDirectory(int32_t category, const char* categoryPath) {
  Log(26, "UnpublishDirectory(%d, %s)", category, Q(categoryPath));
}
void LoggingHost::UnpublishFile(int32_t category, const char* hash, const char* categoryPath) {
  Log(27, "UnpublishFile(%d, %s, %s)", category, Q(hash), Q(categoryPath));
}
void LoggingHost::NotifyUnpublishDone() { Log(28, "NotifyUnpublishDone()"); }
void LoggingHost::Search(uint32_t queryId, uint32_t sequence, int32_t maxResults, int32_t fileType,
                         uint32_t targetPeer, int32_t scope, const char* keyword) {
  Log(30, "Search(%u, %u, %d, %d, %u, %d, %s)", queryId, sequence, maxResults, fileType, targetPeer, scope, Q(keyword));
  std::lock_guard<std::mutex> hold(logLock_);
  searches_.push_back({queryId, sequence, maxResults, fileType, targetPeer, scope, keyword != nullptr ? keyword : ""});
}

std::vector<LoggingHost::SearchCall> LoggingHost::Searches() const {
  std::lock_guard<std::mutex> hold(logLock_);
  return searches_;
}

void LoggingHost::ReportSearchResults(PluginInterface& plugin, uint32_t queryId, bool finish) const {
  for (const SearchResult& result : searchResults)
    plugin.AddSearchResult(queryId, result.hash.c_str(), result.fileName.c_str(), result.size, result.category,
                           result.comment.c_str(), result.peerId, result.nickname.c_str(), result.connectionKind,
                           result.ip, result.port, result.bandwidth, result.peerTag, result.extra.c_str());
  if (finish) plugin.SearchFinished(queryId);
}
void LoggingHost::OnExtraButton1() { Log(32, "OnExtraButton1()"); }
void LoggingHost::OnExtraButton2() { Log(33, "OnExtraButton2()"); }

int32_t LoggingHost::IsMember() {
  Log(34, "IsMember()");
  return member;
}

void LoggingHost::UpgradeMembership() { Log(38, "UpgradeMembership()"); }
void LoggingHost::DownloadAdded(const char* fileName, int32_t row) { Log(40, "DownloadAdded(%s, %d)", Q(fileName), row); }

int32_t LoggingHost::GetOnlineCount(int32_t* count, int32_t* second, int32_t* third) {
  Log(41, "GetOnlineCount(%p, %p, %p)", static_cast<void*>(count), static_cast<void*>(second), static_cast<void*>(third));
  if (onlineCount == 0) return 0;
  if (count != nullptr) *count = onlineCount;
  if (second != nullptr) *second = 0;
  if (third != nullptr) *third = 0;
  return 1;
}

void LoggingHost::SendMessageToPeers(const uint32_t* peerIds, const uint32_t* peerTags, int32_t peerCount,
                                     const char* nicknames, const char* message, int32_t flags, int32_t reserved) {
  Log(42, "SendMessageToPeers(%p, %p, %d, %s, %s, %d, %d)", static_cast<const void*>(peerIds),
      static_cast<const void*>(peerTags), peerCount, Q(nicknames), Q(message), flags, reserved);
}

int32_t LoggingHost::GetFriendInfo(uint32_t peerId, uint32_t* peerTag, int32_t* image, char* name, char* remark,
                                   int32_t* online, int32_t* reserved) {
  Log(43, "GetFriendInfo(%u)", peerId);
  for (const FriendRecord& record : friends) {
    if (record.peerId != peerId) continue;
    if (peerTag != nullptr) *peerTag = record.peerTag;
    if (image != nullptr) *image = record.image;
    if (name != nullptr) std::snprintf(name, kHostTextMax, "%s", record.name);
    if (remark != nullptr) std::snprintf(remark, kHostTextMax, "%s", record.remark);
    if (online != nullptr) *online = 1;
    if (reserved != nullptr) *reserved = 0;
    return 1;
  }
  return 0;
}

void LoggingHost::SetAdVersion(int32_t adVersion) { Log(44, "SetAdVersion(%d)", adVersion); }

int32_t LoggingHost::GetDownloadPercent(const char* localPath) {
  Log(45, "GetDownloadPercent(%s)", Q(localPath));
  auto percent = downloadPercents.find(localPath != nullptr ? localPath : "");
  return percent != downloadPercents.end() ? percent->second : 0;
}

void LoggingHost::GetAccountInfo(uint32_t* number, char* text1, char* text2, int32_t value, char* text3) {
  Log(46, "GetAccountInfo(%d)", value);
  if (number != nullptr) *number = 10001;
  if (text1 != nullptr) std::snprintf(text1, kHostTextMax, "demo");
  if (text2 != nullptr) text2[0] = '\0';
  if (text3 != nullptr) text3[0] = '\0';
}

void LoggingHost::PushLinkToFriend(const char* link) { Log(49, "PushLinkToFriend(%s)", Q(link)); }
void LoggingHost::ReportPublishedFile(const char* displayName, const char* hash, uint32_t size, int32_t category) {
  Log(50, "ReportPublishedFile(%s, %s, %u, %d)", Q(displayName), Q(hash), size, category);
}
void LoggingHost::ReportUnpublishedFile(const char* fileName, const char* hash) {
  Log(51, "ReportUnpublishedFile(%s, %s)", Q(fileName), Q(hash));
}
void LoggingHost::ReportTraffic(uint32_t amount, int32_t day, int32_t one) {
  Log(52, "ReportTraffic(%u, %d, %d)", amount, day, one);
}
