#include "share/PublishedCopy.h"

#include <cstring>

#include "share/Bzip2File.h"
#include "share/FileBytes.h"
#include "share/Md5.h"

namespace PublishedCopy {
namespace {

constexpr size_t kDigestBuffer = Md5::kHexLength + 1;

bool IsCompressedList(const std::string& bytes) { return bytes.compare(0, 3, "BZh") == 0; }

}  // namespace

bool Write(const std::string& peersText, const ShareFileNames& names, Sizes* sizes) {
  std::string compressed;
  if (!Bzip2File::Compress(peersText, compressed) || !FileBytes::Write(names.PublishedCopy(), compressed)) return false;
  if (sizes != nullptr) *sizes = Sizes{peersText.size(), compressed.size()};
  RefreshHandOut(names);
  return true;
}

bool RefreshHandOut(const ShareFileNames& names) {
  std::string bytes;
  return FileBytes::Read(names.PublishedCopy(), bytes, Bzip2File::kMaxDecompressed) && IsCompressedList(bytes) &&
         FileBytes::Write(names.HandOutCopy(), bytes);
}

int32_t HandOut(const ShareFileNames& names, uint32_t peer, char* digest, char* path, size_t pathSize) {
  if (path == nullptr || pathSize == 0 || digest == nullptr) return kNothingToHandOut;
  const std::string peerPath = names.PeerCopy(peer);
  path[0] = '\0';
  if (peerPath.size() >= pathSize) return kNothingToHandOut;
  std::memcpy(path, peerPath.c_str(), peerPath.size() + 1);

  // One read gives both the digest and the bytes copied, so a refresh of
  // temp1 in between cannot make them disagree.
  std::string bytes;
  if (!FileBytes::Read(names.HandOutCopy(), bytes, Bzip2File::kMaxDecompressed) || bytes.empty()) {
    return kNothingToHandOut;
  }
  const std::string current = Md5::OfText(bytes);
  if (current.empty()) return kNothingToHandOut;
  if (std::string(digest, strnlen(digest, kDigestBuffer)) == current) return kPeerIsCurrent;
  if (!FileBytes::Write(peerPath, bytes)) return kNothingToHandOut;
  std::memcpy(digest, current.c_str(), kDigestBuffer);
  return kHandedOut;
}

XmlDocumentPtr Receive(const std::string& path) {
  std::string text;
  if (!Bzip2File::DecompressToText(path, text)) return nullptr;
  XmlDocumentPtr document(XmlDocument::NewDocument());
  if (!document->Parse(text) || document->FindFirst(false, "ShareFile") == nullptr) return nullptr;
  return document;
}

}  // namespace PublishedCopy
