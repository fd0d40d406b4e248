// Files joining the share on the window thread: added to a category,
// dropped from the shell, finished downloads; and the questions the
// download list asks by digest.
#include "share/ShareLibrary.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>

#include "frame/HostClient.h"
#include "share/CodePageText.h"
#include "share/ShareCategories.h"
#include "share/SharePaths.h"
#include "win/ComPtr.h"
#include "win/ShellHandles.h"

namespace {

// Folders below a dropped folder are added this deep at most.
constexpr int kDeepestFolder = 64;

uint32_t SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

int LabelCodeOfTop(const ShareDocument& document, const XmlElement& element) {
  const XmlElement* top = document.TopLevelCategory(element);
  return top != nullptr ? ShareCategories::LabelCode(AttributeOf(*top, "name")) : ShareCategories::kOtherCode;
}

// Whether an id list of `bytes` bytes starting at `offset` ends inside them.
bool IdListFits(const BYTE* base, size_t bytes, size_t offset) {
  while (offset + sizeof(USHORT) <= bytes) {
    USHORT size = *reinterpret_cast<const USHORT*>(base + offset);
    if (size == 0) return true;
    offset += size;
  }
  return false;
}

DroppedItem ItemOfIdList(const ITEMIDLIST* item) {
  DroppedItem dropped;
  SHFILEINFOA info = {};
  info.dwAttributes = SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
  SHGetFileInfoA(reinterpret_cast<const char*>(item), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED);
  char path[MAX_PATH] = "";
  // Some virtual folders call themselves part of the file system and give a
  // "::{class id}" path: only a path that names something on a disk counts.
  dropped.fileSystem = (info.dwAttributes & SFGAO_FILESYSTEM) != 0 && SHGetPathFromIDListA(item, path) &&
                       GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
  dropped.path = path;
  dropped.displayName = info.szDisplayName;
  // A folder of the file system: zip archives are folders to the shell too.
  dropped.folder = (info.dwAttributes & SFGAO_FOLDER) && (info.dwAttributes & SFGAO_FILESYSANCESTOR);
  return dropped;
}

std::string NameOf(IShellFolder& folder, const ITEMIDLIST* child, SHGDNF form) {
  STRRET text = {};
  char name[MAX_PATH] = "";
  if (SUCCEEDED(folder.GetDisplayNameOf(child, form, &text))) StrRetToBufA(&text, child, name, sizeof name);
  return name;
}

// The same for an item directly in `folder`, asked of the folder bound
// once: the shell's questions about a whole id list bind its folder anew
// each time, which takes milliseconds in a folder of thousands.
DroppedItem ItemInFolder(IShellFolder& folder, const ITEMIDLIST* child) {
  DroppedItem dropped;
  SFGAOF attributes = SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
  if (FAILED(folder.GetAttributesOf(1, &child, &attributes))) attributes = 0;
  dropped.path = NameOf(folder, child, SHGDN_FORPARSING);
  dropped.fileSystem = (attributes & SFGAO_FILESYSTEM) != 0 && !dropped.path.empty() &&
                       GetFileAttributesA(dropped.path.c_str()) != INVALID_FILE_ATTRIBUTES;
  dropped.folder = (attributes & SFGAO_FOLDER) && (attributes & SFGAO_FILESYSANCESTOR);
  // Only a folder's category shows the name.
  if (dropped.folder) dropped.displayName = NameOf(folder, child, SHGDN_INFOLDER);
  if (!dropped.fileSystem) dropped.path.clear();
  return dropped;
}

bool IsSingleItem(const ITEMIDLIST* list) {
  return list->mkid.cb != 0 && ILIsEmpty(ILNext(list));
}

}  // namespace

// --- records for the host ----------------------------------------------------

Publication ShareLibrary::RecordOf(const XmlElement& file, int code, const std::string& hash) {
  Publication record;
  record.code = code;
  record.hash = hash;
  file.GetChildText("filePath", record.path);
  file.GetChildText("comment", record.comment);
  record.size = static_cast<uint32_t>(std::strtoul(AttributeOf(file, "fileSize").c_str(), nullptr, 10));
  if (const XmlElement* category = file.Parent()) record.categoryPath = ShareDocument::CategoryPath(*category);
  return record;
}

Publication ShareLibrary::Withdrawal(const XmlElement& file, int code, const std::string& hash) {
  Publication record = RecordOf(file, code, hash);
  record.publish = false;
  return record;
}

void ShareLibrary::QueuePublication(Publication record) {
  if (publications_.Append(std::move(record))) WakeWindow();
}

void ShareLibrary::QueuePublicationQuietly(Publication record) { publications_.AppendQuietly(std::move(record)); }

void ShareLibrary::WakeWindowForQueued() {
  if (publications_.Rewake()) WakeWindow();
}

// --- adding files ------------------------------------------------------------

XmlElement* ShareLibrary::AddFileToCategory(XmlElement& category, const std::string& path, const std::string& md5,
                                            uint32_t size, const std::string& comment) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  XmlElement* file = document_.AddFile(category, path, md5, size);
  if (!comment.empty()) file->SetChildText("comment", comment);
  changed_ = true;
  if (!md5.empty()) PublishAtOnce(*file);
  return file;
}

void ShareLibrary::PublishAtOnce(const XmlElement& file) {
  int code = LabelCodeOfTop(document_, file);
  if (code != ShareCategories::kCollectionCode) publisher_.Handle(RecordOf(file, code, AttributeOf(file, "MD5")));
}

void ShareLibrary::MoveFiles(XmlElement& target, const std::vector<XmlElement*>& files) {
  std::vector<XmlElement*> moved;
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (XmlElement* file : files) {
      if (file == nullptr || file->Parent() == &target) continue;
      XmlElement* copy = file->Clone(true);
      target.AddChild(copy);
      if (!AttributeOf(*copy, "MD5").empty()) PublishAtOnce(*copy);
      moved.push_back(file);
    }
    changed_ = true;
  }
  if (!moved.empty()) RemoveFiles(moved);
}

XmlElement* ShareLibrary::CopyCategory(XmlElement& target, const XmlElement& category) {
  XmlElement* copy = nullptr;
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (const XmlElement* up = &target; up != nullptr; up = up->Parent())
      if (up == &category) return nullptr;
    copy = category.Clone(true);
    // The copy takes a dir of its own among its new siblings: two equal
    // category paths would name each other's files to the host.
    copy->SetAttribute("dir", "");
    target.AddChild(copy);
    document_.AssignDirs();
    changed_ = true;
  }
  if (host_ != nullptr) host_->NotifyShareChanged();
  worker_.Post(ShareWorker::kRunHashPass);
  return copy;
}

int ShareLibrary::AddDroppedItems(XmlElement& category, const std::vector<DroppedItem>& items) {
  int added = 0;
  bool folders = false;
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    // Sub-categories follow the rules of the category they belong to.
    const int code = LabelCodeOfTop(document_, category);
    for (const DroppedItem& item : items) {
      std::string checked = item.path;
      if (!unfiltered_ && !SharePaths::CanShare(checked, code)) continue;
      if (!item.fileSystem || item.path.empty()) continue;
      if (item.folder) {
        AddFolder(category, item);
        folders = true;
      } else {
        AddFileToCategory(category, item.path, "", SizeOf(item.path));
      }
      ++added;
    }
  }
  if (folders && !worker_.Post(ShareWorker::kListFolders)) FinishDrops(true);
  worker_.Post(ShareWorker::kRunHashPass);
  return added;
}

bool ShareLibrary::DropsPending() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return !drops_.empty();
}

// A folder becomes a sub-category named by its display name; what it holds
// follows without CanShare, as deep as the document allows.
void ShareLibrary::AddFolder(XmlElement& parent, const DroppedItem& folder) {
  const std::string name = folder.displayName.empty() ? CodePageText::FileNameOf(folder.path) : folder.displayName;
  XmlElement* category = document_.AddCategory(parent, name);
  changed_ = true;
  int depth = 0;
  for (const XmlElement* up = &parent; up != nullptr; up = up->Parent()) ++depth;
  drops_.push_back(std::make_shared<DroppedFolder>(*category, folder.path, kDeepestFolder - depth));
}

void ShareLibrary::ListDroppedFolders() {
  for (;;) {
    std::shared_ptr<DroppedFolder> drop;
    {
      std::lock_guard<std::recursive_mutex> guard(lock_);
      for (const auto& waiting : drops_)
        if (waiting->Waiting()) {
          drop = waiting;
          break;
        }
      if (!drop) return;
      drop->Take();
    }
    FolderListing listing = FolderListing::Of(drop->Path(), drop->Levels(), worker_.StopEvent());
    // A listing cut short by the stop is made again when the library stops.
    if (!listing.Complete()) return;
    {
      std::lock_guard<std::recursive_mutex> guard(lock_);
      if (drop->Category() == nullptr) continue;
      drop->SetListing(std::move(listing));
    }
    PostMessageA(window_.Get(), kFolderListed, 0, 0);
  }
}

void ShareLibrary::AddListedBatch() {
  XmlElement* finished = nullptr;
  bool more = false;
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    auto listed = std::find_if(drops_.begin(), drops_.end(), [](const auto& drop) { return drop->Listed(); });
    if (listed != drops_.end()) {
      changed_ = true;
      if ((*listed)->AddNext(document_, kDropBatch)) {
        finished = (*listed)->Category();
        drops_.erase(listed);
      }
    }
    more = std::any_of(drops_.begin(), drops_.end(), [](const auto& drop) { return drop->Listed(); });
  }
  if (!more) KillTimer(window_.Get(), kDropTimer);
  if (finished == nullptr) return;
  worker_.Post(ShareWorker::kRunHashPass);
  if (onFolderAdded) onFolderAdded(*finished);
}

void ShareLibrary::FinishDrops(bool mayList) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  for (const auto& drop : drops_) {
    if (drop->Category() == nullptr) continue;
    if (!drop->Listed() && mayList) drop->SetListing(FolderListing::Of(drop->Path(), drop->Levels()));
    if (drop->Listed()) drop->AddNext(document_, static_cast<size_t>(-1));
    changed_ = true;
  }
  drops_.clear();
}

std::vector<DroppedItem> ShareLibrary::ItemsOfPaths(const std::vector<std::string>& paths) {
  std::vector<DroppedItem> items;
  for (std::string path : paths) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    DWORD attributes = GetFileAttributesA(path.c_str());
    DroppedItem item;
    item.path = path;
    item.fileSystem = attributes != INVALID_FILE_ATTRIBUTES;
    item.folder = item.fileSystem && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    item.displayName = CodePageText::FileNameOf(path);
    items.push_back(item);
  }
  return items;
}

std::vector<DroppedItem> ShareLibrary::ItemsOfShellIdList(const CIDA* idList, size_t bytes) {
  std::vector<DroppedItem> items;
  const auto* base = reinterpret_cast<const BYTE*>(idList);
  if (idList == nullptr || bytes < sizeof(CIDA)) return items;
  const size_t count = idList->cidl;
  // The table of offsets: the folder first, then one per item.
  if (count > bytes / sizeof(UINT) - 2 || !IdListFits(base, bytes, idList->aoffset[0])) return items;
  const auto* folder = reinterpret_cast<const ITEMIDLIST*>(base + idList->aoffset[0]);
  win::ComPtr<IShellFolder> desktop, shell;
  if (SUCCEEDED(SHGetDesktopFolder(desktop.Put()))) {
    if (ILIsEmpty(folder)) {
      shell = desktop;
    } else {
      desktop->BindToObject(folder, nullptr, IID_IShellFolder, shell.PutVoid());
    }
  }
  for (size_t i = 1; i <= count; ++i) {
    if (!IdListFits(base, bytes, idList->aoffset[i])) continue;
    const auto* child = reinterpret_cast<const ITEMIDLIST*>(base + idList->aoffset[i]);
    if (shell && IsSingleItem(child)) {
      items.push_back(ItemInFolder(*shell.Get(), child));
      continue;
    }
    win::UniqueIdList item(ILCombine(folder, child));
    if (item) items.push_back(ItemOfIdList(item.Get()));
  }
  return items;
}

bool ShareLibrary::AddFinishedDownload(int32_t categoryCode, const std::string& path, const std::string& md5,
                                       uint32_t size, const std::string& comment) {
  if (path.empty()) return false;
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    XmlElement* category = document_.CategoryOfQueueCode(categoryCode);
    if (category == nullptr) return false;
    if (XmlElement* known = document_.Root()->FindByText(true, "filePath", path)) {
      known->Parent()->SetAttribute("reShare", "1");
    } else {
      AddFileToCategory(*category, path, md5, size, comment);
    }
  }
  worker_.Post(ShareWorker::kRunHashPass);
  return true;
}

bool ShareLibrary::FindByMd5(const std::string& md5, SharedFileInfo* found) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  SharedFileInfo info;
  if (!document_.Lookup(md5, info)) return false;
  info.file = nullptr;
  if (found != nullptr) *found = info;
  return true;
}
