#include "frame/AmountFormat.h"

#include <gtest/gtest.h>

#include "frame/PlayableExtension.h"

namespace {

TEST(AmountFormat, UpTo1024BytesIsAFractionOfAKilobyteWithoutBlank) {
  EXPECT_EQ(FormatAmount(512, "KB"), "0.50KB");
  EXPECT_EQ(FormatAmount(0, "KB"), "0.00KB");
  EXPECT_EQ(FormatAmount(1024, "KB"), "1.00KB");
}

TEST(AmountFormat, LargerAmountsAreWholeKilobytesGroupedByThree) {
  EXPECT_EQ(FormatAmount(1264000, "KB"), "1, 234 KB");
  EXPECT_EQ(FormatAmount(1025, "KB"), "1 KB");
  EXPECT_EQ(FormatAmount(999 * 1024, "KB"), "999 KB");
  EXPECT_EQ(FormatAmount(1000 * 1024, "KB"), "1, 000 KB");
  EXPECT_EQ(FormatAmount(4294967295u, "KB"), "4, 194, 303 KB");
  EXPECT_EQ(FormatAmount(5000000, "KB") + "/S", "4, 882 KB/S");
  // The 64-bit counters of a transfer format the same way.
  EXPECT_EQ(FormatAmount(uint64_t(1) << 40, "KB"), "1, 073, 741, 824 KB");
  EXPECT_EQ(FormatAmount(2048, ""), "2 ");
}

TEST(AmountFormat, DurationsAreHoursMinutesSeconds) {
  EXPECT_EQ(FormatDuration(0), "0:00:00");
  EXPECT_EQ(FormatDuration(3725), "1:02:05");
  EXPECT_EQ(FormatDuration(100 * 3600 + 59), "100:00:59");
}

TEST(PlayableExtension, MediaExtensionsInAnyCaseFromTheLastDot) {
  for (const char* name : {"a.rm", "b.RMVB", "c.ra", "d.Ram", "e.avi", "f.asf", "g.wmv", "h.wma", "i.asx", "j.mp3",
                           "k.mid", "l.wav", "m.mpg", "n.MPEG", "o.dat", "p.ogg", "q.ogm", "歌曲.Mp3", "a.txt.mp3"})
    EXPECT_TRUE(IsPlayableName(name)) << name;
  for (const char* name : {"a.mp4", "a.mp3.txt", "mp3", "", ".", "a.rm ", "a.mpe", "a.rmvbx", "a", "影片rmvb"})
    EXPECT_FALSE(IsPlayableName(name)) << name;
}

}  // namespace
