#pragma once

#include <cstdint>
#include <map>
#include <string>

// Per peer: the collection password of the peer's last received share list
// and whether the user has entered it correctly since it last changed.
class PeerPasswords {
 public:
  // A list of the peer arrived whose collection carries `password`. A peer
  // seen first is verified when the password is empty; for a known peer an
  // empty password verifies, a changed one asks again.
  void Receive(uint32_t peer, const std::string& password);
  // The peer has a password the user has not entered yet.
  bool NeedsPassword(uint32_t peer) const;
  // True, and the peer verified, when `entry` is the peer's password.
  bool Verify(uint32_t peer, const std::string& entry);

 private:
  struct Entry {
    std::string password;
    bool verified = false;
  };
  std::map<uint32_t, Entry> entries_;
};
