#include "share/PeerPasswords.h"

void PeerPasswords::Receive(uint32_t peer, const std::string& password) {
  auto found = entries_.find(peer);
  if (found == entries_.end()) {
    entries_[peer] = Entry{password, password.empty()};
    return;
  }
  Entry& entry = found->second;
  if (password.empty())
    entry.verified = true;
  else if (password != entry.password)
    entry.verified = false;
  entry.password = password;
}

bool PeerPasswords::NeedsPassword(uint32_t peer) const {
  auto found = entries_.find(peer);
  return found != entries_.end() && !found->second.password.empty() && !found->second.verified;
}

bool PeerPasswords::Verify(uint32_t peer, const std::string& entry) {
  auto found = entries_.find(peer);
  if (found == entries_.end() || found->second.password.empty() || entry != found->second.password) return false;
  found->second.verified = true;
  return true;
}
