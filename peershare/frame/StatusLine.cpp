#include "frame/StatusLine.h"

#include <cstdio>

#include "frame/HostClient.h"

namespace {

// Points needed for each level, level 1 first.
constexpr int32_t kLevelThresholds[StatusLine::kLevelCount] = {
    0,      100,    200,    300,    400,    700,    1000,   1300,   1600,                      // 1-9
    1900,   2900,   3900,   4900,   5900,   6900,   7900,   8900,   9900,   10900,  11900,     // 10-20
    14900,  17900,  20900,  23900,  26900,  29900,  32900,  35900,  38900,  41900,             // 21-30
    51900,                                                                                  // 31
    61900,  71900,  81900,  91900,  101900, 111900, 121900, 131900, 141900,                  // 32-40
    171900, 201900, 231900, 261900, 291900, 321900, 351900, 381900, 411900, 441900};         // 41-50

void Keep(int32_t& slot, int32_t value) {
  if (value != StatusLine::kKeep) slot = value;
}

}  // namespace

void StatusLine::Attach(HWND control, HostClient* host) {
  control_ = control;
  host_ = host;
}

int StatusLine::Level(int32_t points) {
  int level = 1;
  for (int i = 1; i < kLevelCount; ++i)
    if (points >= kLevelThresholds[i]) ++level;
  return level;
}

std::string StatusLine::OnlineText() const {
  int32_t count = 0, second = 0, third = 0;
  if (host_ == nullptr || host_->GetOnlineCount(&count, &second, &third) == 0) return "未知";
  char text[16];
  std::snprintf(text, sizeof text, "%d", count);
  return text;
}

void StatusLine::Update(int32_t coins, int32_t points, int32_t incoming, int32_t outgoing, int32_t incomingMax,
                        int32_t outgoingMax) {
  Keep(coins_, coins);
  Keep(points_, points);
  Keep(incoming_, incoming);
  Keep(outgoing_, outgoing);
  Keep(incomingMax_, incomingMax);
  Keep(outgoingMax_, outgoingMax);
  char text[256];
  std::snprintf(text, sizeof text,
                "传入文件数 %2d/%d| 传出文件数 %2d/%d| 拓币 %d| 拓瓦积分 %d | 拓瓦等级 %2d | 当前在线 %s", incoming_,
                incomingMax_, outgoing_, outgoingMax_, coins_, points_, Level(points_), OnlineText().c_str());
  text_ = text;
  if (control_ != nullptr) SetWindowTextA(control_, text_.c_str());
}
