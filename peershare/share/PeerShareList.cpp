#include "share/PeerShareList.h"

#include <cstdlib>

#include "share/CodePageText.h"
#include "share/PublishedCopy.h"
#include "share/ShareCategories.h"

namespace {

constexpr const char* kMembersCollection = "珍藏(仅限会员)";
constexpr size_t kDigestLength = 32;

bool IsDigest(const std::string& md5) {
  if (md5.size() != kDigestLength) return false;
  for (char c : md5)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

}  // namespace

std::unique_ptr<PeerShareList> PeerShareList::Read(const std::string& path) {
  XmlDocumentPtr document = PublishedCopy::Receive(path);
  if (!document) return nullptr;
  return std::make_unique<PeerShareList>(std::move(document));
}

const XmlElement& PeerShareList::Root() const {
  const XmlElement* root = document_->FindFirst(false, "ShareFile");
  return root != nullptr ? *root : *document_;
}

bool PeerShareList::IsShown(const XmlElement& type) {
  const std::string style = AttributeOf(type, "style");
  return style.empty() || style == "0";
}

bool PeerShareList::IsCollectionLabel(const std::string& label) {
  return label == ShareCategories::kCollection || label == kMembersCollection;
}

// A collection shown without style "0" (an empty style) would otherwise be
// open to everyone: its password counts as well.
bool PeerShareList::CollectionPassword(std::string& password) const {
  const XmlElement& root = Root();
  for (size_t i = 0; i < root.ChildCount(); ++i) {
    const XmlElement& type = *root.Child(i);
    if (type.Name() != "Type" || !IsShown(type) || !IsCollectionLabel(AttributeOf(type, "name"))) continue;
    password = AttributeOf(type, "passWord");
    return true;
  }
  return false;
}

std::vector<PeerShareList::FileRow> PeerShareList::Files(const XmlElement& category, bool inCollection,
                                                         const FileFilter& hides) {
  std::vector<FileRow> rows;
  for (size_t i = 0; i < category.ChildCount(); ++i) {
    const XmlElement& file = *category.Child(i);
    if (file.Name() != "file") continue;
    FileRow row;
    row.md5 = AttributeOf(file, "MD5");
    file.GetChildText("filePath", row.path);
    // A file without a digest is not on the network yet: nothing could fetch it.
    if (!IsDigest(row.md5) || (hides && hides(row.path, row.md5, inCollection))) continue;
    row.name = CodePageText::FileNameOf(row.path);
    row.size = static_cast<uint32_t>(std::strtoul(AttributeOf(file, "fileSize").c_str(), nullptr, 10));
    file.GetChildText("comment", row.comment);
    rows.push_back(std::move(row));
  }
  return rows;
}
