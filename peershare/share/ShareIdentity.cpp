#include "share/ShareIdentity.h"

#include <windows.h>
#include <iphlpapi.h>

#include <cstdio>

#include "share/CodePageText.h"
#include "share/Md5.h"

namespace ShareIdentity {
namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string hex;
  char digits[3];
  for (uint8_t byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", byte);
    hex += digits;
  }
  return hex;
}

bool HasGateway(const NetworkAdapter& adapter) {
  return !adapter.gateway.empty() && adapter.gateway != "0.0.0.0";
}

}  // namespace

std::string AdapterAddress(const std::vector<NetworkAdapter>& adapters) {
  std::string address;
  bool ethernetSeen = false;
  for (const NetworkAdapter& adapter : adapters) {
    if (adapter.type == MIB_IF_TYPE_ETHERNET) {
      if (HasGateway(adapter)) return Hex(adapter.address);
      if (!ethernetSeen) address = Hex(adapter.address);
      ethernetSeen = true;
    } else if (adapter.type == MIB_IF_TYPE_PPP && !ethernetSeen) {
      address = Hex(adapter.address);
    }
  }
  return address;
}

std::vector<NetworkAdapter> ReadAdapters() {
  std::vector<NetworkAdapter> adapters;
  ULONG size = 0;
  if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return adapters;
  std::vector<unsigned char> buffer(size);
  auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  if (GetAdaptersInfo(first, &size) != ERROR_SUCCESS) return adapters;
  for (const IP_ADAPTER_INFO* info = first; info != nullptr; info = info->Next) {
    NetworkAdapter adapter;
    adapter.type = info->Type;
    UINT length = info->AddressLength < MAX_ADAPTER_ADDRESS_LENGTH ? info->AddressLength : MAX_ADAPTER_ADDRESS_LENGTH;
    adapter.address.assign(info->Address, info->Address + length);
    adapter.gateway = info->GatewayList.IpAddress.String;
    adapters.push_back(adapter);
  }
  return adapters;
}

std::string Compute(const std::string& address, uint32_t user, int32_t timeStamp,
                    const std::string& executableFolder) {
  std::string folder = executableFolder;
  // A separator at the end, not the trail byte of a character.
  while (!folder.empty() && CodePageText::FileNameOf(folder).empty()) folder.pop_back();
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, "%d%d", static_cast<int>(user), static_cast<int>(timeStamp));
  return Md5::OfText(address + numbers + CodePageText::Upper(folder));
}

}  // namespace ShareIdentity
