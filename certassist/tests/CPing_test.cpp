// The ping through the ICMP library of the tests' own (fake_icmp.dll, beside
// this program) and through the system's, with the library names pointed
// elsewhere for one test at a time.
#include <gtest/gtest.h>

#include <windows.h>
#include <ipexport.h>

#include <string>

#include "CCommonFun.h"
#include "CPing.h"

namespace {

using certassist::CPing;

std::wstring Variable(const wchar_t* name) {
  wchar_t value[256] = L"";
  GetEnvironmentVariableW(name, value, 256);
  return value;
}

class PingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = CPing::Libraries();
    SetEnvironmentVariableW(L"FAKE_ICMP_MODE", nullptr);
    SetEnvironmentVariableW(L"FAKE_ICMP_REQUEST", nullptr);
    SetEnvironmentVariableW(L"FAKE_ICMP_CLOSED", nullptr);
  }
  void TearDown() override { CPing::Libraries() = saved_; }
  void UseFake(const wchar_t* mode) {
    CPing::Libraries() = {L"fake_icmp.dll", nullptr};
    SetEnvironmentVariableW(L"FAKE_ICMP_MODE", mode);
  }

  CPing::LibraryNames saved_{};
  CCommonFun tools_;
};

TEST_F(PingTest, SendsOneRequestOfThirtyTwoEsWithTimeToLiveThirtyAndRoomForTheReply) {
  UseFake(L"echo");
  DWORD roundTrip = 0;
  EXPECT_EQ(1, tools_.CAPing(L"10.20.30.40", roundTrip));
  EXPECT_EQ(7u, roundTrip);
  // Room for the reply record, the data and an ICMP error, in this build's
  // record size.
  EXPECT_EQ(L"to=10.20.30.40 handle=1 ttl=30 tos=0 flags=0 size=32 first=45 last=45 timeout=5000 room=1",
            Variable(L"FAKE_ICMP_REQUEST"));
  EXPECT_EQ(L"1", Variable(L"FAKE_ICMP_CLOSED"));
}

TEST_F(PingTest, AReplyThatIsNotTheEchoFails) {
  DWORD roundTrip = 99;
  UseFake(L"other-data");
  EXPECT_EQ(0, tools_.CAPing(L"10.20.30.40", roundTrip));
  EXPECT_EQ(static_cast<DWORD>(ERROR_UNEXP_NET_ERR), GetLastError());
  UseFake(L"unreachable");
  EXPECT_EQ(0, tools_.CAPing(L"10.20.30.40", roundTrip));
  EXPECT_EQ(static_cast<DWORD>(ERROR_UNEXP_NET_ERR), GetLastError());
  UseFake(L"timeout");
  EXPECT_EQ(0, tools_.CAPing(L"10.20.30.40", roundTrip));
  EXPECT_EQ(static_cast<DWORD>(IP_REQ_TIMED_OUT), GetLastError());
  EXPECT_EQ(99u, roundTrip);
  EXPECT_EQ(L"3", Variable(L"FAKE_ICMP_CLOSED"));
}

TEST_F(PingTest, WithoutEitherLibraryNothingIsSent) {
  CPing::Libraries() = {L"no-such-icmp-a.dll", L"no-such-icmp-b.dll"};
  DWORD roundTrip = 99;
  EXPECT_EQ(0, tools_.CAPing(L"127.0.0.1", roundTrip));
  EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
  EXPECT_EQ(99u, roundTrip);
  EXPECT_FALSE(CPing().HasLibrary());
}

TEST_F(PingTest, ALibraryWithoutTheIcmpFunctionsGivesWayToTheSecond) {
  CPing::Libraries() = {L"kernel32.dll", L"fake_icmp.dll"};
  SetEnvironmentVariableW(L"FAKE_ICMP_MODE", L"echo");
  DWORD roundTrip = 0;
  EXPECT_EQ(1, tools_.CAPing(L"10.20.30.40", roundTrip));
  EXPECT_EQ(7u, roundTrip);
}

TEST_F(PingTest, OnlyTheHostPartOfAnAddressIsPinged) {
  UseFake(L"echo");
  DWORD roundTrip = 0;
  for (const wchar_t* address : {L"http://10.9.8.7:8080/ca/index.html", L"10.9.8.7:443", L"https://10.9.8.7"}) {
    SetEnvironmentVariableW(L"FAKE_ICMP_REQUEST", nullptr);
    EXPECT_EQ(1, tools_.CAPing(address, roundTrip)) << address;
    EXPECT_EQ(0u, Variable(L"FAKE_ICMP_REQUEST").find(L"to=10.9.8.7 ")) << address;
  }
}

TEST_F(PingTest, NamesThatResolveToNothingAreNotSent) {
  UseFake(L"echo");
  DWORD roundTrip = 0;
  for (std::wstring host : {std::wstring(), std::wstring(L"no-such-host.invalid"), std::wstring(300, L'a'),
                            std::wstring(L"http://") + std::wstring(300, L'9')}) {
    SetEnvironmentVariableW(L"FAKE_ICMP_REQUEST", nullptr);
    EXPECT_EQ(0, tools_.CAPing(host.c_str(), roundTrip)) << host.size();
    EXPECT_EQ(L"", Variable(L"FAKE_ICMP_REQUEST")) << host.size();
  }
}

}  // namespace
