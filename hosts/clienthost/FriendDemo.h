#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class PluginInterface;

// The friend panel's part of the client host's run: a peer's share document
// published as the share library publishes it (bzip2, folders cut off),
// handed to the plug-in as the client hands a received list, then the
// peer's subtree and the rows of the category the panel selected.
namespace FriendDemo {

constexpr uint32_t kPeer = 20002;

// Runs after Start, with the peer in the friend tree; prints its report lines
// as UTF-8 and leaves the friend panel shown. False when a check failed.
bool Drive(PluginInterface& plugin, HWND main, const std::string& work);

}  // namespace FriendDemo
