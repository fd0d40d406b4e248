#include "transfer/TransferDocument.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "transfer/FieldText.h"

namespace {

constexpr const char* kRoot = "Transmit";
constexpr const char* kDownloadPath = "DownloadPath";
constexpr const char* kDownloadItem = "DownloadItem";
constexpr const char* kGreenTunnel = "GreenTunnel";
constexpr const char* kOtherPercent = "OtherPercent";

const char* ColumnElement(OptionalColumn column) {
  switch (column) {
    case OptionalColumn::UpSpeed: return "UpSpeed";
    case OptionalColumn::TimeUsed: return "TimeUsed";
    case OptionalColumn::DownloadNum: return "DownloadNum";
    case OptionalColumn::UploadNum: return "UploadNum";
    case OptionalColumn::Comment: return "Comment";
  }
  return "";
}

const char* TunnelName(TransferDocument::Tunnel tunnel) {
  return tunnel == TransferDocument::Tunnel::Max ? "MaxTunnel" : "VIPTunnel";
}

std::string Attribute(const XmlElement& element, const char* name) {
  std::string value;
  element.GetAttribute(name, value);
  return value;
}

// The tree holds every "&" of the file as "?", which no path or name can
// contain; the record gets the text as the file has it.
std::string TextAttribute(const XmlElement& element, const char* name, size_t maxBytes) {
  std::string value = Attribute(element, name);
  std::replace(value.begin(), value.end(), '?', '&');
  return FieldText::Cut(value, maxBytes);
}

std::string Decimal(int64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
  return text;
}

XmlElement* NewChild(XmlElement& parent, const char* name) {
  XmlElement* child = XmlElement::NewElement(name);
  parent.AddChild(child);
  return child;
}

}  // namespace

const char TransferDocument::kDefaultText[] =
    "<?xml version='1.0' encoding='gb2312'?>\t\t\t<Transmit>"
    "\t\t\t\t\t   <DownloadPath>c:\\TvDownLoad</DownloadPath>"
    "\t\t\t\t\t   <MaxTunnel num = '10'></MaxTunnel>"
    "\t\t\t\t\t   <VIPTunnel num = '5'></VIPTunnel>"
    "\t\t\t</Transmit>";

TransferDocument::TransferDocument() : tree_(XmlDocument::NewDocument()) {}

std::string TransferDocument::PathFor(const std::string& dataFolder, uint32_t user) {
  char name[32];
  std::snprintf(name, sizeof name, "/config/transmit%u.xml", static_cast<unsigned>(user));
  return dataFolder + name;
}

bool TransferDocument::Load(const std::string& path) {
  path_ = path;
  bool read = tree_->Load(path) && Root() != nullptr;
  if (read) {
    // Documents of older versions may lack the tunnel counts.
    if (RootChild(TunnelName(Tunnel::Max)) == nullptr) NewChild(*Root(), TunnelName(Tunnel::Max))->SetAttribute("num", "5");
    if (RootChild(TunnelName(Tunnel::Member)) == nullptr)
      NewChild(*Root(), TunnelName(Tunnel::Member))->SetAttribute("num", "2");
  } else {
    tree_->Parse(kDefaultText);
  }
  std::string folder;
  if (XmlElement* element = RootChild(kDownloadPath)) folder = element->Text();
  folder_ = folder.empty() ? kFolderWhenEmpty : FieldText::Cut(folder, kNameMax);
  XmlElement* element = RootChild(kDownloadPath);
  askForFolder_ = element != nullptr && std::atoi(Attribute(*element, "selectDir").c_str()) != 0;
  return read;
}

bool TransferDocument::Save(const std::vector<DownloadItemRecord>& items) {
  XmlElement* root = Root();
  if (root == nullptr) return false;
  root->SetChildText(kDownloadPath, folder_);
  RootChild(kDownloadPath)->SetAttribute("selectDir", askForFolder_ ? "1" : "0");
  root->RemoveChildrenNamed(kDownloadItem);
  for (const DownloadItemRecord& item : items) {
    XmlElement* element = NewChild(*root, kDownloadItem);
    element->SetAttribute("fileName", item.fileName);
    element->SetAttribute("fromMobile", Decimal(item.fromMobile));
    element->SetAttribute("MD5", item.md5);
    element->SetAttribute("fileType", Decimal(item.fileType));
    element->SetAttribute("fileSize", Decimal(item.fileSize));
    element->SetAttribute("comment", item.comment);
    element->SetAttribute("localFileName", item.localFileName);
  }
  return tree_->Save(path_);
}

std::vector<DownloadItemRecord> TransferDocument::DownloadItems() const {
  std::vector<DownloadItemRecord> items;
  XmlElement* root = Root();
  if (root == nullptr) return items;
  for (size_t i = 0; i < root->ChildCount(); ++i) {
    const XmlElement& element = *root->Child(i);
    if (element.Name() != kDownloadItem) continue;
    std::string md5 = Attribute(element, "MD5");
    if (!FieldText::IsHash(md5)) continue;
    DownloadItemRecord item;
    item.fileName = TextAttribute(element, "fileName", kNameMax);
    item.fromMobile = std::atoi(Attribute(element, "fromMobile").c_str());
    item.md5 = FieldText::LowerHash(md5);
    item.fileType = std::atoi(Attribute(element, "fileType").c_str());
    item.fileSize = static_cast<uint32_t>(std::strtoull(Attribute(element, "fileSize").c_str(), nullptr, 10));
    item.comment = TextAttribute(element, "comment", kCommentMax);
    item.localFileName = TextAttribute(element, "localFileName", kNameMax);
    items.push_back(std::move(item));
  }
  return items;
}

XmlElement* TransferDocument::Root() const { return tree_->FindFirst(false, kRoot); }

XmlElement* TransferDocument::RootChild(const char* name) const {
  XmlElement* root = Root();
  return root != nullptr ? root->FindFirst(false, name) : nullptr;
}

XmlElement& TransferDocument::TunnelElement(Tunnel tunnel) {
  if (XmlElement* element = RootChild(TunnelName(tunnel))) return *element;
  return *NewChild(*Root(), TunnelName(tunnel));
}

int32_t TransferDocument::TunnelCount(Tunnel tunnel) {
  XmlElement* element = RootChild(TunnelName(tunnel));
  if (element == nullptr) return 10;
  int32_t count = std::atoi(Attribute(*element, "num").c_str());
  if (count > 4) return count;
  element->SetAttribute("num", "5");
  return 5;
}

void TransferDocument::SetTunnelCount(Tunnel tunnel, int32_t count) {
  if (Root() != nullptr) TunnelElement(tunnel).SetAttribute("num", Decimal(count));
}

bool TransferDocument::HasColumn(OptionalColumn column) const { return RootChild(ColumnElement(column)) != nullptr; }

void TransferDocument::ShowColumn(OptionalColumn column, bool show) {
  XmlElement* root = Root();
  if (root == nullptr || HasColumn(column) == show) return;
  if (show) {
    NewChild(*root, ColumnElement(column));
  } else {
    root->RemoveChildrenNamed(ColumnElement(column));
  }
}

bool TransferDocument::OtherPercent() const { return RootChild(kOtherPercent) != nullptr; }

void TransferDocument::SetOtherPercent(bool on) {
  XmlElement* root = Root();
  if (root == nullptr || OtherPercent() == on) return;
  if (on) {
    NewChild(*root, kOtherPercent);
  } else {
    root->RemoveChildrenNamed(kOtherPercent);
  }
}

std::vector<uint32_t> TransferDocument::GreenChannel() const {
  std::vector<uint32_t> numbers;
  XmlElement::List elements;
  if (XmlElement* root = Root()) root->FindAll(elements, false, kGreenTunnel);
  for (XmlElement* element : elements)
    numbers.push_back(static_cast<uint32_t>(std::strtoul(element->Text().c_str(), nullptr, 10)));
  return numbers;
}

bool TransferDocument::AddGreenChannel(const std::string& number) {
  XmlElement* root = Root();
  if (root == nullptr || root->FindByText(false, kGreenTunnel, number) != nullptr) return false;
  NewChild(*root, kGreenTunnel)->SetText(number);
  return true;
}

void TransferDocument::RemoveGreenChannel(const std::string& number) {
  XmlElement* root = Root();
  if (root == nullptr) return;
  while (XmlElement* element = root->FindByText(false, kGreenTunnel, number)) root->RemoveChild(element);
}

XmlElement* TransferDocument::AppendHasDownload(int32_t fileType, uint32_t fileSize, const std::string& localPath,
                                                const std::string& comment, int64_t time) {
  XmlElement* root = Root();
  if (root == nullptr) return nullptr;
  XmlElement* element = NewChild(*root, "HasDownload");
  element->SetAttribute("fileType", Decimal(fileType));
  element->SetAttribute("fileSize", Decimal(fileSize));
  element->SetAttribute("fileName", localPath);
  element->SetAttribute("comment", comment);
  element->SetAttribute("time", Decimal(time));
  return element;
}
