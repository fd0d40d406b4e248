// The ping through the system's ICMP library (Wine's, which sends real echo
// requests on the loopback address).
#include <gtest/gtest.h>

#include "CCommonFun.h"

namespace {

TEST(CAPing, TheLoopbackAddressAnswersWhateverTheAddressAroundIt) {
  CCommonFun tools;
  for (const wchar_t* host : {L"127.0.0.1", L"http://127.0.0.1:8080/ca/", L"localhost"}) {
    DWORD roundTrip = 12345;
    EXPECT_EQ(1, tools.CAPing(host, roundTrip)) << host << ", error " << GetLastError();
    EXPECT_LT(roundTrip, 5000u) << host;
  }
}

TEST(CAPing, HostsThatDoNotResolveAreNotPinged) {
  CCommonFun tools;
  DWORD roundTrip = 12345;
  EXPECT_EQ(0, tools.CAPing(L"no-such-host.invalid", roundTrip));
  EXPECT_EQ(0, tools.CAPing(std::wstring(300, L'x').c_str(), roundTrip));
  EXPECT_EQ(0, tools.CAPing(L"", roundTrip));
  EXPECT_EQ(0, tools.CAPing(L"http://", roundTrip));
  EXPECT_EQ(12345u, roundTrip);
}

}  // namespace
