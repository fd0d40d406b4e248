#include "share/ShareDocument.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "share/CodePageText.h"
#include "share/FileBytes.h"
#include "share/Md5.h"
#include "share/ShareCategories.h"
#include "win/Handles.h"

namespace {

constexpr const char* kRoot = "ShareFile";
constexpr const char* kType = "Type";
constexpr const char* kFile = "file";
constexpr const char* kFilePath = "filePath";
constexpr int kCurrentVersion = 2;

constexpr const char* kDefaultDocument =
    "<?xml version='1.0' encoding='gb2312'?>\r\n"
    "<ShareFile version=\"2\">\r\n"
    "<Type name=\"音乐\" style=\"0\">\r\n</Type>\r\n"
    "<Type name=\"图片\" style=\"0\">\r\n</Type>\r\n"
    "<Type name=\"视频\" style=\"0\">\r\n</Type>\r\n"
    "<Type name=\"图书\" style=\"0\">\r\n</Type>\r\n"
    "<Type name=\"资料\" style=\"0\">\r\n</Type>\r\n"
    "<Type name=\"软件\" style=\"0\">\r\n</Type>\r\n"
    "<Type name=\"游戏\" style=\"0\">\r\n</Type>\r\n"
    "<Type name=\"珍藏\" style=\"0\">\r\n</Type>\r\n"
    "</ShareFile>\r\n";

long Number(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

bool IsType(const XmlElement* element) { return element != nullptr && element->Name() == kType; }

bool OwnStyleShown(const XmlElement& type) {
  std::string style = AttributeOf(type, "style");
  return style.empty() || style == "0";
}

// A file that exists but cannot be opened (held by another program) must
// not be replaced by the default document.
bool ExistsButUnreadable(const std::string& path) {
  if (!FileBytes::Exists(path)) return false;
  win::UniqueFile file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  return !file;
}

void AssignDirsBelow(XmlElement& parent) {
  for (size_t i = 0; i < parent.ChildCount(); ++i) {
    XmlElement& child = *parent.Child(i);
    if (!IsType(&child) || !OwnStyleShown(child)) continue;
    if (Number(AttributeOf(child, "dir")) <= 0)
      child.SetAttribute("dir", std::to_string(ShareDocument::LargestDir(parent) + 1));
    AssignDirsBelow(child);
  }
}

}  // namespace

std::string AttributeOf(const XmlElement& element, const char* name) {
  std::string value;
  element.GetAttribute(name, value);
  return value;
}

ShareDocument::ShareDocument() = default;

const char* ShareDocument::DefaultText() { return kDefaultDocument; }

XmlElement* ShareDocument::Root() const { return document_.FindFirst(false, kRoot); }

void ShareDocument::LoadDefault(const std::string& path) {
  document_.Parse(kDefaultDocument);
  loadedFromFile_ = false;
  mayOverwrite_ = !ExistsButUnreadable(path);
  // An unreadable file is tried again by the next Open.
  path_ = mayOverwrite_ ? path : std::string();
}

void ShareDocument::Open(const ShareFileNames& names, const HashConverter& convert) {
  const std::string path = names.Document();
  if (path == path_) {
    if (conversionPending_ && convert) ConvertOldVersion(names, convert);
    return;
  }
  conversionPending_ = false;
  if (!document_.Load(path) || Root() == nullptr) {
    LoadDefault(path);
  } else {
    loadedFromFile_ = true;
    mayOverwrite_ = true;
    path_ = path;
    ConvertOldVersion(names, convert);
  }
  AssignDirs();
}

void ShareDocument::ConvertOldVersion(const ShareFileNames& names, const HashConverter& convert) {
  XmlElement* root = Root();
  std::string version = AttributeOf(*root, "version");
  conversionPending_ = false;
  if (!version.empty() && Number(version) >= kCurrentVersion) return;
  // Without the hash plug-in the pending downloads cannot be converted; they
  // are kept, and the conversion runs once a converter is at hand.
  if (!convert) {
    conversionPending_ = true;
    return;
  }
  XmlElement::List files;
  root->FindAll(files, true, kFile);
  // Every file is hashed again with the current digest form.
  for (XmlElement* file : files) file->SetAttribute("time", "0");
  ConvertTransferDigests(names.TransferDocument(), convert);
  root->SetAttribute("version", std::to_string(kCurrentVersion));
}

bool ConvertTransferDigests(const std::string& path, const ShareDocument::HashConverter& convert) {
  XmlDocument transfer;
  if (!transfer.Load(path)) return false;
  XmlElement* root = transfer.FindFirst(false, "Transmit");
  if (root == nullptr) return false;
  XmlElement::List items;
  root->FindAll(items, false, "DownloadItem");
  for (XmlElement* item : items) {
    std::string converted;
    if (convert(AttributeOf(*item, "MD5"), converted) && converted.size() == Md5::kHexLength) {
      item->SetAttribute("MD5", converted);
    } else {
      root->RemoveChild(item);
    }
  }
  return transfer.Save(path);
}

bool ShareDocument::Save() const { return !path_.empty() && mayOverwrite_ && document_.Save(path_); }

int ShareDocument::HashedFileCount() const {
  XmlElement::List files;
  if (XmlElement* root = Root()) root->FindAll(files, true, kFile, "MD5", Md5::kPlaceholder, false);
  return static_cast<int>(files.size());
}

bool ShareDocument::Lookup(const std::string& hash, SharedFileInfo& found) const {
  XmlElement* root = Root();
  if (hash.empty() || root == nullptr) return false;
  XmlElement* file = root->FindFirst(true, kFile, "MD5", hash.c_str());
  if (file == nullptr) return false;
  found.file = file;
  file->GetChildText(kFilePath, found.path);
  XmlElement* top = TopLevelCategory(*file);
  found.category = top != nullptr ? ShareCategories::LabelCode(AttributeOf(*top, "name")) : ShareCategories::kOtherCode;
  found.hidden = top != nullptr && !OwnStyleShown(*top);
  return true;
}

int32_t ShareDocument::GetTimeStamp(const SYSTEMTIME& now) {
  XmlElement* root = Root();
  if (root == nullptr) return 0;
  std::string stamp = AttributeOf(*root, "TimeStamp");
  if (stamp.empty()) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", now.wYear % 100, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    stamp = text;
    root->SetAttribute("TimeStamp", stamp);
  }
  // Twelve digits do not fit 32 bits; the identity has always used the rest.
  return static_cast<int32_t>(static_cast<uint32_t>(std::strtoull(stamp.c_str(), nullptr, 10)));
}

bool ShareDocument::SetCollectionPassword(const std::string& password) {
  XmlElement* root = Root();
  if (root == nullptr) return false;
  for (size_t i = 0; i < root->ChildCount(); ++i) {
    XmlElement* type = root->Child(i);
    if (IsType(type) && CodePageText::Contains(AttributeOf(*type, "name"), ShareCategories::kCollection)) {
      type->SetAttribute("passWord", password);
      return true;
    }
  }
  return false;
}

void ShareDocument::MarkAllForRehash(bool rehash) {
  XmlElement::List files;
  if (XmlElement* root = Root()) root->FindAll(files, true, kFile);
  for (XmlElement* file : files) file->SetAttribute("reShare", rehash ? "1" : "0");
}

std::string ShareDocument::TextOf(const XmlDocument& document) {
  std::string text;
  document.Write(text);
  // As the document writer does: after the declaration every '?', which
  // stands for the '&' the reader met, is written as '&'.
  size_t declarationEnd = text.find("?>");
  if (declarationEnd != std::string::npos) std::replace(text.begin() + declarationEnd + 2, text.end(), '?', '&');
  return text;
}

// The paths are cut in place for the time of writing and put back: cheaper
// than a clone of every element, with the same text.
std::string ShareDocument::PeersText() {
  XmlElement::List paths;
  document_.FindAll(paths, true, kFilePath);
  std::vector<std::string> fullPaths;
  fullPaths.reserve(paths.size());
  for (XmlElement* path : paths) {
    fullPaths.push_back(path->Text());
    path->SetText(CodePageText::FileNameOf(fullPaths.back()));
  }
  std::string text = TextOf(document_);
  for (size_t i = 0; i < paths.size(); ++i) paths[i]->SetText(std::move(fullPaths[i]));
  return text;
}

bool ShareDocument::IsShown(const XmlElement& type) {
  for (const XmlElement* element = &type; IsType(element); element = element->Parent())
    if (!OwnStyleShown(*element)) return false;
  return true;
}

std::string ShareDocument::CategoryPath(const XmlElement& type) {
  std::string path;
  for (const XmlElement* element = &type; IsType(element); element = element->Parent())
    path = "/" + AttributeOf(*element, "dir") + path;
  return path;
}

XmlElement* ShareDocument::TopLevelCategory(const XmlElement& element) const {
  XmlElement* root = Root();
  const XmlElement* top = nullptr;
  for (const XmlElement* current = &element; current != nullptr && current != root; current = current->Parent())
    top = current;
  bool below = top != nullptr && top->Parent() == root && IsType(top);
  return below ? const_cast<XmlElement*>(top) : nullptr;
}

XmlElement* ShareDocument::CategoryOfQueueCode(int code) const {
  const char* label = ShareCategories::LabelOfQueueCode(code);
  XmlElement* root = Root();
  return label != nullptr && root != nullptr ? root->FindFirst(false, kType, "name", label) : nullptr;
}

void ShareDocument::AssignDirs() {
  if (XmlElement* root = Root()) AssignDirsBelow(*root);
}

long ShareDocument::LargestDir(const XmlElement& parent) {
  long largest = 0;
  for (size_t i = 0; i < parent.ChildCount(); ++i)
    if (IsType(parent.Child(i))) largest = std::max(largest, Number(AttributeOf(*parent.Child(i), "dir")));
  return largest;
}

XmlElement* ShareDocument::AddCategory(XmlElement& parent, const std::string& name) {
  return AddCategory(parent, name, LargestDir(parent) + 1);
}

XmlElement* ShareDocument::AddCategory(XmlElement& parent, const std::string& name, long dir) {
  XmlElement* category = XmlElement::NewElement(kType);
  category->SetAttribute("name", name);
  category->SetAttribute("style", "0");
  category->SetAttribute("dir", std::to_string(dir));
  parent.AddChild(category);
  return category;
}

XmlElement* ShareDocument::AddFile(XmlElement& category, const std::string& path, const std::string& md5,
                                   uint32_t size) {
  XmlElement* file = XmlElement::NewElement(kFile);
  file->SetAttribute("MD5", md5);
  file->SetAttribute("fileSize", std::to_string(size));
  file->SetAttribute("time", "0");
  file->SetAttribute("reShare", "0");
  file->SetChildText(kFilePath, path);
  category.AddChild(file);
  return file;
}
