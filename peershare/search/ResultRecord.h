#pragma once

#include <cstdint>
#include <string>

// One file a peer shares, as the host reported it for a query: one row of a
// results page, owned by the row. Texts are code page 936 from the network,
// cut to their fields without splitting a character.
struct ResultRecord {
  static constexpr size_t kHashLength = 32;
  static constexpr size_t kNameMax = 262, kCommentMax = 67, kNicknameMax = 127;
  // The extra text is kept for the host; a longer one is cut.
  static constexpr size_t kExtraMax = 1024;
  // The host's comment for a file without one.
  static constexpr const char* kNoComment = "null\n";

  // Columns of a results page, in order.
  enum Column { kName, kType, kPlay, kSize, kPeer, kNickname, kCoins, kConnection, kBandwidth, kComment, kColumnCount };

  std::string hash;
  std::string fileName;
  uint32_t size = 0;
  int32_t category = 0;
  std::string comment;
  uint32_t peerId = 0;
  std::string nickname;
  int32_t connectionKind = 0;
  uint32_t ip = 0;  // host order
  uint16_t port = 0;
  int32_t bandwidth = 0;  // kbps
  uint32_t peerTag = 0;
  std::string extra;

  // The host's arguments, null texts taken as empty.
  static ResultRecord FromHost(const char* hash, const char* fileName, uint32_t size, int32_t category,
                               const char* comment, uint32_t peerId, const char* nickname, int32_t connectionKind,
                               uint32_t ip, uint16_t port, int32_t bandwidth, uint32_t peerTag, const char* extra);

  // The coins the file costs: whole MiB, 0 under one.
  uint32_t Coins() const { return size >> 20; }
  bool Playable() const;
  // "外网" for a connection kind of 3 or less, else "内网".
  const char* ConnectionText() const;
  // 1 "音乐" ... 7 "游戏", any other "未知".
  const char* TypeText() const;
  // The cell of a column as the page shows it (the play column has no text).
  std::string CellText(int column) const;
  // Names, nicknames and comments byte-wise, the other columns by their
  // numbers ("拓币" by size); <0, 0, >0.
  static int Compare(const ResultRecord& a, const ResultRecord& b, int column);
};
