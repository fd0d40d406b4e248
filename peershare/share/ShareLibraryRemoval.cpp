// Taking files and categories out of the share: the host withdraws what it
// published before the elements go, in the order the host expects.
#include "share/ShareLibrary.h"

#include <algorithm>

#include "frame/HostClient.h"
#include "share/CodePageText.h"
#include "share/ShareCategories.h"

namespace {

int LabelCodeOf(const XmlElement* topLevel) {
  return topLevel != nullptr ? ShareCategories::LabelCode(AttributeOf(*topLevel, "name"))
                             : ShareCategories::kOtherCode;
}

}  // namespace

void ShareLibrary::WithdrawFile(XmlElement& file) {
  XmlElement* category = file.Parent();
  const int code = LabelCodeOf(document_.TopLevelCategory(file));
  const std::string hash = AttributeOf(file, "MD5");
  if (!hash.empty() && host_ != nullptr) {
    const std::string categoryPath = category != nullptr ? ShareDocument::CategoryPath(*category) : std::string();
    host_->UnpublishFile(code, hash.c_str(), categoryPath.c_str());
    if (appServer_ != 0) {
      std::string path;
      file.GetChildText("filePath", path);
      host_->ReportUnpublishedFile(CodePageText::FileNameOf(path).c_str(), hash.c_str());
    }
  }
  if (category != nullptr) category->RemoveChild(&file);
  changed_ = true;
}

void ShareLibrary::RemoveFiles(const std::vector<XmlElement*>& files) {
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (XmlElement* file : files)
      if (file != nullptr) WithdrawFile(*file);
  }
  if (host_ != nullptr) {
    host_->NotifyShareChanged();
    host_->NotifyUnpublishDone();
  }
  worker_.Post(ShareWorker::kRunHashPass);
}

bool ShareLibrary::RemoveCategory(XmlElement& category) {
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    XmlElement* topLevel = document_.TopLevelCategory(category);
    XmlElement* parent = category.Parent();
    if (topLevel == nullptr || topLevel == &category || parent == nullptr) return false;
    if (host_ != nullptr) {
      host_->NotifyShareChanged();
      host_->UnpublishDirectory(LabelCodeOf(topLevel), ShareDocument::CategoryPath(category).c_str());
    }
    // Nothing of a drop under way may go into what leaves.
    for (const auto& drop : drops_) drop->Forget(category);
    drops_.erase(std::remove_if(drops_.begin(), drops_.end(), [](const auto& drop) { return !drop->Category(); }),
                 drops_.end());
    parent->RemoveChild(&category);
    changed_ = true;
  }
  worker_.Post(ShareWorker::kRunHashPass);
  return true;
}
