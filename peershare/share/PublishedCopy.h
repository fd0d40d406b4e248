#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "share/ShareDocument.h"
#include "share/ShareFileNames.h"

// The copies of the share document that peers receive: temp0 holds the
// compressed document without local folders, temp1 is what is handed out.
// Every file is replaced through a temporary file beside it, so a peer never
// gets an empty or half-written list.
namespace PublishedCopy {

struct Sizes {
  size_t text = 0;        // the document's text form
  size_t compressed = 0;  // temp0
};

// GetShareListFile's answers.
enum HandOutAnswer : int32_t { kHandedOut = 0, kPeerIsCurrent = 1, kNothingToHandOut = 2 };

// Compresses the peers' text (ShareDocument::PeersText) into temp0 and then
// refreshes temp1. False when temp0 could not be replaced.
bool Write(const std::string& peersText, const ShareFileNames& names, Sizes* sizes = nullptr);

// Copies temp0 over temp1. False, with temp1 untouched, when temp0 is missing
// or is not a compressed list.
bool RefreshHandOut(const ShareFileNames& names);

// Hands temp1 to one peer: `path` (pathSize bytes) receives the peer's copy
// name; when temp1's digest differs from the 32 digits in `digest` (a buffer
// of at least 33 bytes), temp1 is copied there and `digest` updated.
int32_t HandOut(const ShareFileNames& names, uint32_t peer, char* digest, char* path, size_t pathSize);

// A peer's copy as a share document; null when the file is not one complete
// bzip2 stream of at most 64 MB or its text is not a share document.
XmlDocumentPtr Receive(const std::string& path);

}  // namespace PublishedCopy
