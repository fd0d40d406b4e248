#pragma once

#include <cstdint>
#include <string>

// The per-user files of the share library, in the config folder below the
// client data folder. Numbers are written as signed decimals, as the files
// of earlier versions are named.
class ShareFileNames {
 public:
  ShareFileNames(std::string dataFolder, uint32_t user);

  uint32_t User() const { return user_; }
  // "share%d.xml": the share document.
  std::string Document() const;
  // "temp0share%d.xml": the compressed copy without local folders.
  std::string PublishedCopy() const;
  // "temp1share%d.xml": the copy handed to peers.
  std::string HandOutCopy() const;
  // "temp1share%d_%d.xml": the copy handed to one peer.
  std::string PeerCopy(uint32_t peer) const;
  // "Hash%d.dat": named for the host, never read or written here.
  std::string HashData() const;
  // "transmit%d.xml": the transfer document, converted with the share document.
  std::string TransferDocument() const;

 private:
  std::string Name(const char* format, uint32_t first, uint32_t second = 0) const;

  std::string dataFolder_;
  uint32_t user_;
};
