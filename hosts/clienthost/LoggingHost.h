#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "TransferDouble.h"
#include "frame/HostClient.h"
#include "frame/PluginInterface.h"
#include "win/Handles.h"

// A client without a network: answers every slot of HostClient the plug-in
// uses, and logs each call with its arguments, one line per call.
class LoggingHost : public HostClient {
 public:
  LoggingHost();
  ~LoggingHost();
  LoggingHost(const LoggingHost&) = delete;
  LoggingHost& operator=(const LoggingHost&) = delete;

  // What the host answers.
  int32_t member = 0;
  int32_t onlineCount = 0;  // 0: the count is unknown
  bool friendListFails = false;
  bool noImageList = false;
  std::vector<FriendRecord> friends;
  // StartDownload answers a TransferDouble running at this pace (per hash,
  // else the default), or null with `noTransfers`.
  TransferPace transferPace;
  std::map<std::string, TransferPace> pacesByHash;
  bool noTransfers = false;
  // GetDownloadPercent's answers by local path; 0 for any other.
  std::map<std::string, int32_t> downloadPercents;
  // The transfers started so far, in order; any thread may ask.
  std::vector<TransferDouble*> Transfers() const;
  TransferDouble* TransferOf(const std::string& hash) const;
  void AddFriendRecord(uint32_t peerId, const char* name, const char* remark = "", int32_t image = 0);

  // The client's side of an upload the plug-in accepted: a transfer double
  // without a pace of its own that reports to the record the plug-in
  // answered AddUpload with (its callback interface). Logged as a host event.
  TransferDouble* ServeUpload(TransferTaskSink* record, const char* localPath, uint32_t size);
  // One file a peer shares, as the host reports it for a query.
  struct SearchResult {
    std::string hash;
    std::string fileName;
    uint32_t size = 0;
    int32_t category = 0;
    std::string comment;
    uint32_t peerId = 0;
    std::string nickname;
    int32_t connectionKind = 0;
    uint32_t ip = 0;
    uint16_t port = 0;
    int32_t bandwidth = 0;
    uint32_t peerTag = 0;
    std::string extra;
  };
  // What Search was asked, call by call.
  struct SearchCall {
    uint32_t queryId, sequence;
    int32_t maxResults, fileType;
    uint32_t targetPeer;
    int32_t scope;
    std::string keyword;
  };
  // The results the host reports when asked to.
  std::vector<SearchResult> searchResults;
  std::vector<SearchCall> Searches() const;
  // Hands every result of `searchResults` to the plug-in under `queryId`,
  // then, with `finish`, says the search has finished.
  void ReportSearchResults(PluginInterface& plugin, uint32_t queryId, bool finish = true) const;

  std::vector<std::string> Calls() const;
  // The calls whose line starts with name followed by "(".
  std::vector<std::string> CallsOf(const std::string& name) const;
  void ClearCalls();
  // Also append every line, after its slot number, to this file (code page
  // 936 text).
  void LogTo(const std::string& path) { logPath_ = path; }

  HostTransfer* StartDownload(const char* localPath, const char* hash, uint32_t size, int32_t category, int32_t mode,
                              TransferTaskSink* sink) override;
  void Slot1() override;
  void Slot2() override;
  void Slot3() override;
  void Slot4() override;
  void OpenPeerShares(uint32_t peerId, const char* displayName) override;
  void Slot6() override;
  void Slot7() override;
  void Slot8() override;
  void Slot9() override;
  void Slot10() override;
  void AddTraffic(int32_t coinsSpent, int32_t coinsEarned) override;
  void Slot12() override;
  void RefreshTopTen() override;
  void Slot14() override;
  void OnMainButton() override;
  int32_t GetFriendList(FriendList* list) override;
  void Slot17() override;
  HIMAGELIST GetImageList(int32_t size) override;
  void AddFriend(uint32_t peerId, uint32_t peerTag) override;
  void AddToBlacklist(uint32_t peerId, uint32_t peerTag) override;
  void SendMessageToPeer(uint32_t peerId, uint32_t peerTag, const char* nickname) override;
  void ShowPeerDetails(uint32_t peerId, uint32_t peerTag) override;
  void QueryPeerCoins(uint32_t peerId, uint32_t peerTag, const char* nickname) override;
  void PublishFile(const char* hash, const char* displayName, uint32_t size, int32_t category,
                   const char* categoryPath, const char* comment) override;
  void NotifyShareChanged() override;
  void UnpublishDirectory(int32_t category, const char* categoryPath) override;
  void UnpublishFile(int32_t category, const char* hash, const char* categoryPath) override;
  void NotifyUnpublishDone() override;
  void Slot29() override;
  void Search(uint32_t queryId, uint32_t sequence, int32_t maxResults, int32_t fileType, uint32_t targetPeer,
              int32_t scope, const char* keyword) override;
  void Slot31() override;
  void OnExtraButton1() override;
  void OnExtraButton2() override;
  int32_t IsMember() override;
  void Slot35() override;
  void Slot36() override;
  void Slot37() override;
  void UpgradeMembership() override;
  void Slot39() override;
  void DownloadAdded(const char* fileName, int32_t row) override;
  int32_t GetOnlineCount(int32_t* count, int32_t* second, int32_t* third) override;
  void SendMessageToPeers(const uint32_t* peerIds, const uint32_t* peerTags, int32_t peerCount,
                          const char* nicknames, const char* message, int32_t flags, int32_t reserved) override;
  int32_t GetFriendInfo(uint32_t peerId, uint32_t* peerTag, int32_t* image, char* name, char* remark,
                        int32_t* online, int32_t* reserved) override;
  void SetAdVersion(int32_t adVersion) override;
  int32_t GetDownloadPercent(const char* localPath) override;
  void GetAccountInfo(uint32_t* number, char* text1, char* text2, int32_t value, char* text3) override;
  void Slot47() override;
  void Slot48() override;
  void PushLinkToFriend(const char* link) override;
  void ReportPublishedFile(const char* displayName, const char* hash, uint32_t size, int32_t category) override;
  void ReportUnpublishedFile(const char* fileName, const char* hash) override;
  void ReportTraffic(uint32_t amount, int32_t day, int32_t one) override;

 private:
  void Log(int slot, const char* format, ...);
  void Placeholder(int slot);

  mutable std::mutex logLock_;
  std::vector<std::string> calls_;
  std::vector<SearchCall> searches_;
  std::string logPath_;
  mutable std::mutex transfersLock_;
  std::vector<std::unique_ptr<TransferDouble>> transfers_;
  win::UniqueImageList images_[3];
};
