// The client calls the host object through its table of operations by slot
// number, so each operation must sit at its slot. Calls made here through the
// raw table of LoggingHost, with the convention the client's compiler uses
// (thiscall on i686), must land on the operation of that slot.
#include "frame/HostClient.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "LoggingHost.h"
#include "SlotCall.h"

namespace {

template <typename Result, typename... Args>
Result CallSlot(HostClient* host, int slot, Args... args) {
  return slot_call::ThisCall<Result>(host, slot, args...);
}

class HostClientSlots : public ::testing::Test {
 protected:
  std::string LastCall() const { return host_.Calls().empty() ? std::string() : host_.Calls().back(); }
  LoggingHost host_;
  HostClient* client_ = &host_;
};

// The client fills friend records in its own memory: the same 140 bytes in
// a 32-bit and a 64-bit build.
TEST(FriendRecordLayout, IsFixedWidthFieldsOnly) {
  EXPECT_EQ(sizeof(FriendRecord), 140u);
  EXPECT_EQ(offsetof(FriendRecord, peerId), 0u);
  EXPECT_EQ(offsetof(FriendRecord, peerTag), 4u);
  EXPECT_EQ(offsetof(FriendRecord, image), 8u);
  EXPECT_EQ(offsetof(FriendRecord, name), 12u);
  EXPECT_EQ(offsetof(FriendRecord, remark), 76u);
}

TEST_F(HostClientSlots, OperationsWithoutArgumentsSitAtTheirSlots) {
  const struct {
    int slot;
    const char* call;
  } expected[] = {{13, "RefreshTopTen()"}, {15, "OnMainButton()"},   {25, "NotifyShareChanged()"},
                  {28, "NotifyUnpublishDone()"}, {32, "OnExtraButton1()"}, {33, "OnExtraButton2()"},
                  {38, "UpgradeMembership()"}};
  for (const auto& entry : expected) {
    CallSlot<void>(client_, entry.slot);
    EXPECT_EQ(LastCall(), entry.call) << "slot " << entry.slot;
  }
  host_.member = 7;
  EXPECT_EQ(CallSlot<int32_t>(client_, 34), 7);
  EXPECT_EQ(LastCall(), "IsMember()");
}

TEST_F(HostClientSlots, PlaceholdersKeepTheUnusedSlots) {
  for (int slot : {1, 2, 3, 4, 6, 7, 8, 9, 10, 12, 14, 17, 29, 31, 35, 36, 37, 39, 47, 48}) {
    CallSlot<void>(client_, slot);
    EXPECT_EQ(LastCall(), "Slot" + std::to_string(slot) + "()");
  }
}

TEST_F(HostClientSlots, OperationsWithArgumentsSitAtTheirSlots) {
  CallSlot<HostTransfer*>(client_, 0, "C:\\d\\a.mp3", "0123456789abcdef0123456789abcdef", 2048u, 1, 2,
                          static_cast<TransferTaskSink*>(nullptr));
  EXPECT_EQ(LastCall().rfind("StartDownload(\"C:\\d\\a.mp3\", \"0123456789abcdef0123456789abcdef\", 2048, 1, 2, ", 0),
            0u);
  CallSlot<void>(client_, 5, 4242u, "remark");
  EXPECT_EQ(LastCall(), "OpenPeerShares(4242, \"remark\")");
  CallSlot<void>(client_, 11, 3, 4);
  EXPECT_EQ(LastCall(), "AddTraffic(3, 4)");
  CallSlot<int32_t>(client_, 16, static_cast<FriendList*>(nullptr));
  EXPECT_EQ(LastCall().rfind("GetFriendList(", 0), 0u);
  CallSlot<HIMAGELIST>(client_, 18, 2);
  EXPECT_EQ(LastCall(), "GetImageList(2)");
  CallSlot<void>(client_, 19, 1u, 2u);
  EXPECT_EQ(LastCall(), "AddFriend(1, 2)");
  CallSlot<void>(client_, 20, 3u, 4u);
  EXPECT_EQ(LastCall(), "AddToBlacklist(3, 4)");
  CallSlot<void>(client_, 21, 5u, 6u, "nick");
  EXPECT_EQ(LastCall(), "SendMessageToPeer(5, 6, \"nick\")");
  CallSlot<void>(client_, 22, 7u, 8u);
  EXPECT_EQ(LastCall(), "ShowPeerDetails(7, 8)");
  CallSlot<void>(client_, 23, 9u, 10u, "n2");
  EXPECT_EQ(LastCall(), "QueryPeerCoins(9, 10, \"n2\")");
  CallSlot<void>(client_, 24, "h", "name", 11u, 3, "/3", "c");
  EXPECT_EQ(LastCall(), "PublishFile(\"h\", \"name\", 11, 3, \"/3\", \"c\")");
  CallSlot<void>(client_, 26, 4, "/4/1");
  EXPECT_EQ(LastCall(), "UnpublishDirectory(4, \"/4/1\")");
  CallSlot<void>(client_, 27, 0, "h2", "");
  EXPECT_EQ(LastCall(), "UnpublishFile(0, \"h2\", \"\")");
  CallSlot<void>(client_, 30, 1u, 2u, 200, 3, 0u, 1, "abc");
  EXPECT_EQ(LastCall(), "Search(1, 2, 200, 3, 0, 1, \"abc\")");
  CallSlot<void>(client_, 40, "f.avi", 0);
  EXPECT_EQ(LastCall(), "DownloadAdded(\"f.avi\", 0)");
  host_.onlineCount = 12;
  int32_t count = 0, second = 0, third = 0;
  EXPECT_NE(CallSlot<int32_t>(client_, 41, &count, &second, &third), 0);
  EXPECT_EQ(count, 12);
  CallSlot<void>(client_, 42, static_cast<const uint32_t*>(nullptr), static_cast<const uint32_t*>(nullptr), 0,
                 "n", "m", 0, 0);
  EXPECT_EQ(LastCall().rfind("SendMessageToPeers(", 0), 0u);
  host_.AddFriendRecord(77, "friend");
  uint32_t tag = 0;
  CallSlot<int32_t>(client_, 43, 77u, &tag, static_cast<int32_t*>(nullptr), static_cast<char*>(nullptr),
                    static_cast<char*>(nullptr), static_cast<int32_t*>(nullptr), static_cast<int32_t*>(nullptr));
  EXPECT_EQ(LastCall(), "GetFriendInfo(77)");
  EXPECT_EQ(tag, host_.friends[0].peerTag);
  CallSlot<void>(client_, 44, 9);
  EXPECT_EQ(LastCall(), "SetAdVersion(9)");
  CallSlot<int32_t>(client_, 45, "C:\\x");
  EXPECT_EQ(LastCall(), "GetDownloadPercent(\"C:\\x\")");
  uint32_t number = 0;
  char a[kHostTextMax], b[kHostTextMax], c[kHostTextMax];
  CallSlot<void>(client_, 46, &number, a, b, 5, c);
  EXPECT_EQ(LastCall(), "GetAccountInfo(5)");
  EXPECT_EQ(number, 10001u);
  CallSlot<void>(client_, 49, "tovak://x");
  EXPECT_EQ(LastCall(), "PushLinkToFriend(\"tovak://x\")");
  CallSlot<void>(client_, 50, "n", "h", 1u, 2);
  EXPECT_EQ(LastCall(), "ReportPublishedFile(\"n\", \"h\", 1, 2)");
  CallSlot<void>(client_, 51, "n.txt", "h");
  EXPECT_EQ(LastCall(), "ReportUnpublishedFile(\"n.txt\", \"h\")");
  CallSlot<void>(client_, 52, 100u, 20261207, 1);
  EXPECT_EQ(LastCall(), "ReportTraffic(100, 20261207, 1)");
}

// The client removes nothing from the stack after a call: each operation must
// pop exactly the arguments it was given, or the client's stack drifts with
// every call.
TEST_F(HostClientSlots, OperationsPopTheArgumentsTheClientPushed) {
#if defined(__i386__)
  using slot_call::ThisCallDrift;
  using slot_call::Word;
  EXPECT_EQ(ThisCallDrift(client_, 13, {}), 0);
  EXPECT_EQ(LastCall(), "RefreshTopTen()");
  EXPECT_EQ(ThisCallDrift(client_, 11, {3, 4}), 0);
  EXPECT_EQ(LastCall(), "AddTraffic(3, 4)");
  EXPECT_EQ(ThisCallDrift(client_, 30, {1, 2, 200, 3, 0, 1, Word("abc")}), 0);
  EXPECT_EQ(LastCall(), "Search(1, 2, 200, 3, 0, 1, \"abc\")");
  EXPECT_EQ(ThisCallDrift(client_, 52, {100, 20261207, 1}), 0);
  EXPECT_EQ(LastCall(), "ReportTraffic(100, 20261207, 1)");
#else
  GTEST_SKIP() << "x86_64 has one calling convention; the caller always pops";
#endif
}

#if defined(__i386__)
int32_t __cdecl CallerCleaned(int32_t a, int32_t b) { return a + b; }
int32_t __stdcall CalleeCleaned(int32_t a, int32_t b) { return a + b; }
#endif

// The stack measure sees what a callee leaves behind.
TEST(StackDrift, ShowsTheArgumentsACallerCleanedFunctionLeaves) {
#if defined(__i386__)
  EXPECT_EQ(slot_call::StackDrift(reinterpret_cast<void*>(&CallerCleaned), nullptr, {1, 2}), -8);
  EXPECT_EQ(slot_call::StackDrift(reinterpret_cast<void*>(&CalleeCleaned), nullptr, {1, 2}), 0);
  EXPECT_EQ(slot_call::StackDrift(reinterpret_cast<void*>(&CalleeCleaned), nullptr, {1, 2, 3}), -4);
#else
  GTEST_SKIP() << "x86_64 has one calling convention; the caller always pops";
#endif
}

}  // namespace
