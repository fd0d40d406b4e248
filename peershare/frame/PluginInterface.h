#pragma once

#include <cstdint>

// What the client calls on the plug-in after init(): the second interface of
// the main window object. The declaration order is the client's table of
// operations, slot 0 first; unnamed slots keep their place.
// Calling convention of the slots: the compiler's own for C++ member
// functions, which on i686 is thiscall (`this` in ECX, the arguments on the
// stack, popped by the operation); on x86_64 the one Windows x64 convention.
class UploadRecord;

// Result of AddDownload and AddHostDownload when the download list refused or
// is not ready.
constexpr int32_t kDownloadNotReady = 5;

// GetBusy flags.
constexpr uint32_t kBusyDownloading = 1;
constexpr uint32_t kBusyUploading = 2;

class PluginInterface {
 public:
  virtual int32_t GetMainValues(int32_t* a, int32_t* b) = 0;                       // 0
  virtual int32_t UploadPeerSetHas(uint32_t peer) = 0;                             // 1
  virtual int32_t UploadPeerMapHas(uint32_t peer) = 0;                             // 2
  virtual int32_t GetSyncDownloadLimit() = 0;                                      // 3
  virtual UploadRecord* AddUpload(const char* name, const char* localPath, int32_t category, uint32_t size,
                                  int32_t value) = 0;                              // 4
  virtual int32_t AddHostDownload(const char* name, int32_t a, const char* hash, uint32_t size,
                                  const char* comment) = 0;                        // 5
  virtual int32_t GetShareListFile(uint32_t peer, char* digest, char* path) = 0;   // 6
  virtual void ShowPeerShareList(int32_t flag, uint32_t peer, int32_t x, const char* path) = 0;  // 7
  virtual int32_t Slot8(int32_t, int32_t, int32_t) = 0;                           // 8
  virtual void Slot9(int32_t, int32_t, int32_t, int32_t) = 0;                     // 9
  virtual int32_t ShowPeer(uint32_t peer) = 0;                                     // 10
  virtual int32_t AddDownload(const char* name, const char* hash, uint32_t size, const char* comment) = 0;  // 11
  virtual void SetAccount(int32_t coins, int32_t pointsA, int32_t pointsB) = 0;   // 12
  virtual void AddTopTenEntry(int32_t position, int32_t value, const char* hash, const char* fileName,
                              uint32_t size, int32_t fileType, const char* text, int32_t save) = 0;  // 13
  virtual void AddPeer(uint32_t peer, int32_t image, const char* name) = 0;       // 14
  virtual void RemovePeer(uint32_t peer) = 0;                                      // 15
  virtual void UpdatePeer(uint32_t peer, int32_t image, const char* name) = 0;    // 16
  virtual int32_t Start(uint32_t user, int32_t coins, int32_t rehashAll) = 0;     // 17
  virtual void Stop() = 0;                                                         // 18
  virtual void ShowPanel(int32_t panel) = 0;                                       // 19
  virtual void Suspend() = 0;                                                      // 20
  virtual void Resume(int32_t a, int32_t b, int32_t c) = 0;                        // 21
  virtual void Hide() = 0;                                                         // 22
  virtual void AddSearchResult(uint32_t queryId, const char* hash, const char* fileName, uint32_t size,
                               int32_t category, const char* comment, uint32_t peerId, const char* nickname,
                               int32_t connectionKind, uint32_t ip, uint16_t port, int32_t bandwidth,
                               uint32_t peerTag, const char* extra) = 0;           // 23
  virtual void SearchFinished(uint32_t queryId) = 0;                               // 24
  virtual int32_t OpenFile(int32_t kind, int32_t x, int32_t y, const char* path) = 0;  // 25
  virtual int32_t LookupSharedFile(const char* hash, char* path, int32_t* hidden, int32_t* category) = 0;  // 26
  virtual int32_t SetDownloadFolder(const char* path, int32_t value) = 0;         // 27
  virtual const char* GetDownloadFolder(int32_t* value) = 0;                       // 28
  virtual int32_t OpenShareLibrary(uint32_t user, char* id, int32_t* count) = 0;  // 29
  virtual int32_t GetBusy(uint32_t* flags) = 0;                                    // 30
  virtual void StartSearch(int32_t type, const char* text) = 0;                    // 31
  virtual void Slot32(int32_t, int32_t, int32_t) = 0;                              // 32
  virtual void Slot33(int32_t, int32_t) = 0;                                       // 33
  virtual int32_t HashFile(const char* path, int32_t b) = 0;                       // 34

 protected:
  ~PluginInterface() = default;
};
