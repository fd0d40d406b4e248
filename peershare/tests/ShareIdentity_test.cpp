// The share identity's adapter walk over crafted adapter lists, and the text
// its digest is taken of.
#include "share/ShareIdentity.h"

#include <windows.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include "share/Md5.h"

namespace {

NetworkAdapter Adapter(uint32_t type, uint8_t last, const char* gateway = "") {
  NetworkAdapter adapter;
  adapter.type = type;
  adapter.address = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, last};
  adapter.gateway = gateway;
  return adapter;
}

constexpr uint32_t kEthernet = MIB_IF_TYPE_ETHERNET;
constexpr uint32_t kPpp = MIB_IF_TYPE_PPP;
constexpr uint32_t kLoopback = MIB_IF_TYPE_LOOPBACK;

TEST(ShareIdentity, AnEthernetAdapterWithAGatewayWinsWhereverItStands) {
  EXPECT_EQ(ShareIdentity::AdapterAddress({Adapter(kEthernet, 0x01), Adapter(kPpp, 0x02),
                                           Adapter(kEthernet, 0x03, "192.168.1.1"), Adapter(kEthernet, 0x04, "10.0.0.1")}),
            "001a2b3c4d03");
  EXPECT_EQ(ShareIdentity::AdapterAddress({Adapter(kEthernet, 0xFE, "192.168.1.1")}), "001a2b3c4dfe");
}

TEST(ShareIdentity, WithoutAGatewayTheFirstEthernetAdapterIsKept) {
  EXPECT_EQ(ShareIdentity::AdapterAddress({Adapter(kLoopback, 0x09), Adapter(kEthernet, 0x01, "0.0.0.0"),
                                           Adapter(kEthernet, 0x02), Adapter(kPpp, 0x03)}),
            "001a2b3c4d01");
}

TEST(ShareIdentity, APppAdapterCountsOnlyBeforeAnEthernetAdapterWithoutGateway) {
  // Dial-up first: its address stands until an Ethernet adapter appears.
  EXPECT_EQ(ShareIdentity::AdapterAddress({Adapter(kPpp, 0x05)}), "001a2b3c4d05");
  EXPECT_EQ(ShareIdentity::AdapterAddress({Adapter(kPpp, 0x05), Adapter(kEthernet, 0x06)}), "001a2b3c4d06");
  EXPECT_EQ(ShareIdentity::AdapterAddress({Adapter(kEthernet, 0x06), Adapter(kPpp, 0x05)}), "001a2b3c4d06");
  EXPECT_EQ(ShareIdentity::AdapterAddress({Adapter(kPpp, 0x05), Adapter(kPpp, 0x07)}), "001a2b3c4d07");
}

TEST(ShareIdentity, NoUsableAdapterGivesAnEmptyAddress) {
  EXPECT_EQ(ShareIdentity::AdapterAddress({}), "");
  EXPECT_EQ(ShareIdentity::AdapterAddress({Adapter(kLoopback, 0x01), Adapter(71 /* wireless */, 0x02)}), "");
}

TEST(ShareIdentity, TheDigestIsOfAddressNumbersAndTheUpperCaseFolder) {
  EXPECT_EQ(ShareIdentity::Compute("001a2b3c4d01", 10001, -784852056, "c:\\Program Files\\tovak\\bin\\"),
            Md5::OfText("001a2b3c4d0110001-784852056C:\\PROGRAM FILES\\TOVAK\\BIN"));
  // Chinese folder names keep their characters; an empty address still makes an identity.
  EXPECT_EQ(ShareIdentity::Compute("", 7, 12, "d:\\拓瓦\\bin"), Md5::OfText("712D:\\拓瓦\\BIN"));
  EXPECT_EQ(ShareIdentity::Compute("", 7, 12, "d:\\拓瓦\\bin").size(), 32u);
}

TEST(ShareIdentity, TheMachinesAdaptersAreRead) {
  // Wine reports the host's interfaces; whatever they are, each has its type and address.
  for (const NetworkAdapter& adapter : ShareIdentity::ReadAdapters()) {
    EXPECT_NE(adapter.type, 0u);
    EXPECT_LE(adapter.address.size(), static_cast<size_t>(MAX_ADAPTER_ADDRESS_LENGTH));
  }
}

}  // namespace
