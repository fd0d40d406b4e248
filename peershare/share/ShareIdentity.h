#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One network adapter as the identity walk sees it.
struct NetworkAdapter {
  uint32_t type = 0;  // MIB_IF_TYPE_ETHERNET, MIB_IF_TYPE_PPP, ...
  std::vector<uint8_t> address;
  std::string gateway;  // default gateway; empty or "0.0.0.0" when none
};

// The account's share identity: the MD5 of a hardware address, the user
// number, the document's time stamp and the client's folder.
namespace ShareIdentity {

// The hardware address chosen from the adapters, as lower-case hex digits:
// an Ethernet adapter with a gateway ends the walk; before that the first
// Ethernet adapter is the candidate, and a PPP adapter is one only while no
// Ethernet adapter without a gateway has been seen. Empty without any.
std::string AdapterAddress(const std::vector<NetworkAdapter>& adapters);

// The machine's adapters in the system's order; empty when none can be read.
std::vector<NetworkAdapter> ReadAdapters();

// MD5 of "%s%d%d%s": address, user, time stamp, executable folder in upper
// case without a trailing separator.
std::string Compute(const std::string& address, uint32_t user, int32_t timeStamp, const std::string& executableFolder);

}  // namespace ShareIdentity
