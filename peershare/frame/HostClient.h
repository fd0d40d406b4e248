#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

// The client's object handed to init(). The client built its table of
// operations, so the order of the declarations below is the binary contract:
// each operation sits at its slot, and the slots peershare never calls are
// kept as placeholders so that the later ones do not move. No destructor is
// declared: it would take a slot, and the plug-in never deletes the host.
// Calling convention of the slots, here and in FriendList: the compiler's own
// for C++ member functions, which on i686 is thiscall (`this` in ECX, the
// arguments on the stack, popped by the callee); on x86_64 the one Windows
// x64 convention.
class HostTransfer;
class TransferTaskSink;

// One friend as the client reports it.
struct FriendRecord {
  uint32_t peerId;
  uint32_t peerTag;
  int32_t image;
  char name[64];
  char remark[64];
};

// What the client fills in GetFriendList.
class FriendList {
 public:
  virtual void Add(const FriendRecord& record) = 0;

 protected:
  ~FriendList() = default;
};

// Sizes of the text buffers the plug-in hands to the out-parameters.
constexpr int kHostTextMax = 260;

class HostClient {
 public:
  // slot 0
  virtual HostTransfer* StartDownload(const char* localPath, const char* hash, uint32_t size, int32_t category,
                                      int32_t mode, TransferTaskSink* sink) = 0;
  virtual void Slot1() = 0;
  virtual void Slot2() = 0;
  virtual void Slot3() = 0;
  virtual void Slot4() = 0;
  // slot 5
  virtual void OpenPeerShares(uint32_t peerId, const char* displayName) = 0;
  virtual void Slot6() = 0;
  virtual void Slot7() = 0;
  virtual void Slot8() = 0;
  virtual void Slot9() = 0;
  virtual void Slot10() = 0;
  // slot 11
  virtual void AddTraffic(int32_t coinsSpent, int32_t coinsEarned) = 0;
  virtual void Slot12() = 0;
  // slot 13
  virtual void RefreshTopTen() = 0;
  virtual void Slot14() = 0;
  // slot 15
  virtual void OnMainButton() = 0;
  // slot 16: nonzero when the list was filled
  virtual int32_t GetFriendList(FriendList* list) = 0;
  virtual void Slot17() = 0;
  // slot 18: 0 large, 1 medium, 2 small; may be null
  virtual HIMAGELIST GetImageList(int32_t size) = 0;
  // slots 19 to 23
  virtual void AddFriend(uint32_t peerId, uint32_t peerTag) = 0;
  virtual void AddToBlacklist(uint32_t peerId, uint32_t peerTag) = 0;
  virtual void SendMessageToPeer(uint32_t peerId, uint32_t peerTag, const char* nickname) = 0;
  virtual void ShowPeerDetails(uint32_t peerId, uint32_t peerTag) = 0;
  virtual void QueryPeerCoins(uint32_t peerId, uint32_t peerTag, const char* nickname) = 0;
  // slots 24 to 28
  virtual void PublishFile(const char* hash, const char* displayName, uint32_t size, int32_t category,
                           const char* categoryPath, const char* comment) = 0;
  virtual void NotifyShareChanged() = 0;
  virtual void UnpublishDirectory(int32_t category, const char* categoryPath) = 0;
  virtual void UnpublishFile(int32_t category, const char* hash, const char* categoryPath) = 0;
  virtual void NotifyUnpublishDone() = 0;
  virtual void Slot29() = 0;
  // slot 30
  virtual void Search(uint32_t queryId, uint32_t sequence, int32_t maxResults, int32_t fileType, uint32_t targetPeer,
                      int32_t scope, const char* keyword) = 0;
  virtual void Slot31() = 0;
  // slots 32 to 34
  virtual void OnExtraButton1() = 0;
  virtual void OnExtraButton2() = 0;
  virtual int32_t IsMember() = 0;
  virtual void Slot35() = 0;
  virtual void Slot36() = 0;
  virtual void Slot37() = 0;
  // slot 38
  virtual void UpgradeMembership() = 0;
  virtual void Slot39() = 0;
  // slot 40
  virtual void DownloadAdded(const char* fileName, int32_t row) = 0;
  // slot 41: nonzero when the count is known
  virtual int32_t GetOnlineCount(int32_t* count, int32_t* second, int32_t* third) = 0;
  // slot 42
  virtual void SendMessageToPeers(const uint32_t* peerIds, const uint32_t* peerTags, int32_t peerCount,
                                  const char* nicknames, const char* message, int32_t flags, int32_t reserved) = 0;
  // slot 43: the text buffers hold kHostTextMax bytes
  virtual int32_t GetFriendInfo(uint32_t peerId, uint32_t* peerTag, int32_t* image, char* name, char* remark,
                                int32_t* online, int32_t* reserved) = 0;
  // slot 44
  virtual void SetAdVersion(int32_t adVersion) = 0;
  // slot 45
  virtual int32_t GetDownloadPercent(const char* localPath) = 0;
  // slot 46: the text buffers hold kHostTextMax bytes
  virtual void GetAccountInfo(uint32_t* number, char* text1, char* text2, int32_t value, char* text3) = 0;
  virtual void Slot47() = 0;
  virtual void Slot48() = 0;
  // slots 49 to 52
  virtual void PushLinkToFriend(const char* link) = 0;
  virtual void ReportPublishedFile(const char* displayName, const char* hash, uint32_t size, int32_t category) = 0;
  virtual void ReportUnpublishedFile(const char* fileName, const char* hash) = 0;
  virtual void ReportTraffic(uint32_t amount, int32_t day, int32_t one) = 0;

 protected:
  ~HostClient() = default;
};
