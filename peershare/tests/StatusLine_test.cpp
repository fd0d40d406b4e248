#include "frame/StatusLine.h"

#include <gtest/gtest.h>

#include "LoggingHost.h"

namespace {

TEST(StatusLineLevel, FollowsTheFiftyEntryTable) {
  EXPECT_EQ(StatusLine::Level(0), 1);
  EXPECT_EQ(StatusLine::Level(99), 1);
  EXPECT_EQ(StatusLine::Level(100), 2);
  EXPECT_EQ(StatusLine::Level(1899), 9);
  EXPECT_EQ(StatusLine::Level(1900), 10);
  EXPECT_EQ(StatusLine::Level(11900), 20);
  EXPECT_EQ(StatusLine::Level(14899), 20);
  EXPECT_EQ(StatusLine::Level(41900), 30);
  EXPECT_EQ(StatusLine::Level(51900), 31);
  EXPECT_EQ(StatusLine::Level(141900), 40);
  EXPECT_EQ(StatusLine::Level(171899), 40);
  EXPECT_EQ(StatusLine::Level(441899), 49);
  EXPECT_EQ(StatusLine::Level(441900), 50);
  EXPECT_EQ(StatusLine::Level(2000000000), 50);
  EXPECT_EQ(StatusLine::Level(-5), 1);
}

TEST(StatusLineText, ShowsTheValuesInTheFixedFormat) {
  LoggingHost host;
  host.onlineCount = 321;
  StatusLine line;
  line.Attach(nullptr, &host);
  line.Update(15, 441900, 2, 1, 10, 5);
  EXPECT_EQ(line.Text(), "传入文件数  2/10| 传出文件数  1/5| 拓币 15| 拓瓦积分 441900 | 拓瓦等级 50 | 当前在线 321");
}

TEST(StatusLineText, MinusOneKeepsEachValue) {
  StatusLine line;
  line.Attach(nullptr, nullptr);
  line.Update(15, 250, 2, 1, 10, 5);
  line.Update(-1, -1, -1, -1, -1, -1);
  EXPECT_EQ(line.Text(), "传入文件数  2/10| 传出文件数  1/5| 拓币 15| 拓瓦积分 250 | 拓瓦等级  3 | 当前在线 未知");
  line.Update(-1, 99, -1, 3, -1, -1);
  EXPECT_EQ(line.Text(), "传入文件数  2/10| 传出文件数  3/5| 拓币 15| 拓瓦积分 99 | 拓瓦等级  1 | 当前在线 未知");
}

TEST(StatusLineText, UnknownOnlineCountWhenTheHostAnswersZero) {
  LoggingHost host;
  StatusLine line;
  line.Attach(nullptr, &host);
  line.Update(0, 0, 0, 0, 0, 0);
  EXPECT_NE(line.Text().find("当前在线 未知"), std::string::npos);
  EXPECT_EQ(host.CallsOf("GetOnlineCount").size(), 1u);
  host.onlineCount = 8;
  line.Update(-1, -1, -1, -1, -1, -1);
  EXPECT_NE(line.Text().find("当前在线 8"), std::string::npos);
}

}  // namespace
