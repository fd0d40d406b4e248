#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "share/ShareDocument.h"

// A share document received from a peer: its top-level categories, which of
// them the user may see, the collection's password and the files of one
// category. The document is untrusted: every walk is a loop.
class PeerShareList {
 public:
  // One file of a category as the friend panel lists it.
  struct FileRow {
    std::string name;  // file name and extension
    std::string path;  // the filePath text as the peer sent it
    uint32_t size = 0;
    std::string comment;
    std::string md5;
  };
  // Whether a file (its filePath text and MD5) stays out of the rows;
  // `inCollection` tells that it lies in the collection.
  using FileFilter = std::function<bool(const std::string& path, const std::string& md5, bool inCollection)>;

  explicit PeerShareList(XmlDocumentPtr document) : document_(std::move(document)) {}

  // The peer's copy at `path`: null when it is not one complete bzip2 stream
  // of at most 64 MB whose text is a share document.
  static std::unique_ptr<PeerShareList> Read(const std::string& path);

  // The ShareFile element.
  const XmlElement& Root() const;
  // A category is shown unless its style is neither empty nor "0".
  static bool IsShown(const XmlElement& type);
  // 珍藏 and "珍藏(仅限会员)" are the collection.
  static bool IsCollectionLabel(const std::string& label);
  // The password of the first shown top-level collection; false when the
  // peer shows none.
  bool CollectionPassword(std::string& password) const;
  // The files directly in `category` that `hides` lets through and that
  // carry a digest of 32 hexadecimal digits.
  static std::vector<FileRow> Files(const XmlElement& category, bool inCollection, const FileFilter& hides);

 private:
  XmlDocumentPtr document_;
};
