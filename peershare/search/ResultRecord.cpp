#include "search/ResultRecord.h"

#include "frame/AmountFormat.h"
#include "frame/PlayableExtension.h"
#include "transfer/FieldText.h"

namespace {

std::string Field(const char* text, size_t maxBytes) {
  return text != nullptr ? FieldText::Cut(text, maxBytes) : std::string();
}

template <typename T>
int CompareNumbers(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// The amount formatting without its unit (nor the blank before it); empty
// for none.
std::string BandwidthText(int32_t kbps) {
  if (kbps <= 0) return std::string();
  std::string text = FormatAmount(static_cast<uint64_t>(kbps), "");
  if (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

ResultRecord ResultRecord::FromHost(const char* hash, const char* fileName, uint32_t size, int32_t category,
                                    const char* comment, uint32_t peerId, const char* nickname,
                                    int32_t connectionKind, uint32_t ip, uint16_t port, int32_t bandwidth,
                                    uint32_t peerTag, const char* extra) {
  ResultRecord record;
  record.hash = Field(hash, kHashLength);
  record.fileName = Field(fileName, kNameMax);
  record.size = size;
  record.category = category;
  bool noComment = comment != nullptr && std::string(comment) == kNoComment;
  record.comment = noComment ? std::string() : Field(comment, kCommentMax);
  record.peerId = peerId;
  record.nickname = Field(nickname, kNicknameMax);
  record.connectionKind = connectionKind;
  record.ip = ip;
  record.port = port;
  record.bandwidth = bandwidth;
  record.peerTag = peerTag;
  record.extra = Field(extra, kExtraMax);
  return record;
}

bool ResultRecord::Playable() const { return IsPlayableName(fileName); }

const char* ResultRecord::ConnectionText() const { return connectionKind <= 3 ? "外网" : "内网"; }

const char* ResultRecord::TypeText() const {
  static constexpr const char* kTypes[] = {"音乐", "图片", "视频", "图书", "资料", "软件", "游戏"};
  return category >= 1 && category <= 7 ? kTypes[category - 1] : "未知";
}

std::string ResultRecord::CellText(int column) const {
  switch (column) {
    case kName: return fileName;
    case kType: return TypeText();
    case kSize: return FormatAmount(size, "KB");
    case kPeer: return std::to_string(peerId);
    case kNickname: return nickname;
    case kCoins: return std::to_string(Coins());
    case kConnection: return ConnectionText();
    case kBandwidth: return BandwidthText(bandwidth);
    case kComment: return comment;
    default: return std::string();
  }
}

int ResultRecord::Compare(const ResultRecord& a, const ResultRecord& b, int column) {
  switch (column) {
    case kName: return a.fileName.compare(b.fileName);
    case kType: return CompareNumbers(a.category, b.category);
    case kPlay: return CompareNumbers(a.Playable(), b.Playable());
    case kSize:
    case kCoins: return CompareNumbers(a.size, b.size);
    case kPeer: return CompareNumbers(a.peerId, b.peerId);
    case kNickname: return a.nickname.compare(b.nickname);
    case kConnection: return CompareNumbers(a.connectionKind, b.connectionKind);
    case kBandwidth: return CompareNumbers(a.bandwidth, b.bandwidth);
    case kComment: return a.comment.compare(b.comment);
    default: return 0;
  }
}
