#include "share/ShareFileNames.h"

#include <cstdio>
#include <utility>

ShareFileNames::ShareFileNames(std::string dataFolder, uint32_t user)
    : dataFolder_(std::move(dataFolder)), user_(user) {}

std::string ShareFileNames::Name(const char* format, uint32_t first, uint32_t second) const {
  char name[64];
  std::snprintf(name, sizeof name, format, static_cast<int>(first), static_cast<int>(second));
  return dataFolder_ + "/config/" + name;
}

std::string ShareFileNames::Document() const { return Name("share%d.xml", user_); }
std::string ShareFileNames::PublishedCopy() const { return Name("temp0share%d.xml", user_); }
std::string ShareFileNames::HandOutCopy() const { return Name("temp1share%d.xml", user_); }
std::string ShareFileNames::PeerCopy(uint32_t peer) const { return Name("temp1share%d_%d.xml", user_, peer); }
std::string ShareFileNames::HashData() const { return Name("Hash%d.dat", user_); }
std::string ShareFileNames::TransferDocument() const { return Name("transmit%d.xml", user_); }
