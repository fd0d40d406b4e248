#include "transfer/TrafficLog.h"

#include <unordered_set>

#include "transfer/FieldText.h"

const char TrafficLog::kDefaultText[] = "<?xml version='1.0' encoding='gb2312'?>\t\t\t\t<Transmit>\t\t\t\t</Transmit>";

namespace {

constexpr const char* kRoot = "Transmit";
constexpr const char* kRecord = "HasUpload";

std::string AttributeText(const XmlElement& element, const char* name) {
  std::string value;
  element.GetAttribute(name, value);
  return value;
}

}  // namespace

TrafficLog::TrafficLog() : tree_(XmlDocument::NewDocument()) {}

std::string TrafficLog::PathFor(const std::string& dataFolder, uint32_t user) {
  return dataFolder + "/config/transmitout" + std::to_string(user) + ".xml";
}

bool TrafficLog::Load(const std::string& path) {
  path_ = path;
  tree_.reset(XmlDocument::NewDocument());
  if (tree_->Load(path) && Root() != nullptr) return true;
  tree_.reset(XmlDocument::NewDocument());
  tree_->Parse(kDefaultText);
  return false;
}

bool TrafficLog::Save() const { return !path_.empty() && tree_->Save(path_); }

XmlElement* TrafficLog::Root() const { return tree_->FindFirst(false, kRoot); }

TrafficLog::Selection TrafficLog::RecordsBefore(int64_t midnight) const {
  Selection selection;
  XmlElement* root = Root();
  if (root == nullptr) return selection;
  XmlElement::List elements;
  root->FindAll(elements, false, kRecord);
  selection.records.reserve(elements.size());
  for (XmlElement* element : elements) {
    uint64_t timestamp = 0, friendId = 0, uploadNum = 0;
    if (!FieldText::ReadDecimal(AttributeText(*element, "timestamp"), INT64_MAX, timestamp)) {
      ++selection.skipped;
      continue;
    }
    if (static_cast<int64_t>(timestamp) >= midnight) continue;
    if (!FieldText::ReadDecimal(AttributeText(*element, "friendid"), UINT32_MAX, friendId) ||
        !FieldText::ReadDecimal(AttributeText(*element, "uploadnum"), INT64_MAX, uploadNum)) {
      ++selection.skipped;
      continue;
    }
    TrafficRecord record;
    record.element = element;
    record.timestamp = static_cast<int64_t>(timestamp);
    record.friendId = static_cast<uint32_t>(friendId);
    record.realIp = AttributeText(*element, "realIP");
    record.uploadNum = uploadNum;
    selection.records.push_back(std::move(record));
  }
  return selection;
}

void TrafficLog::Remove(const std::vector<TrafficRecord>& records) {
  XmlElement* root = Root();
  if (root == nullptr || records.empty()) return;
  std::unordered_set<const XmlElement*> gone;
  gone.reserve(records.size());
  for (const TrafficRecord& record : records) gone.insert(record.element);
  root->RemoveChildrenIf([&gone](const XmlElement& child) { return gone.count(&child) != 0; });
}
