#include "share/ShareCategories.h"

namespace ShareCategories {

int LabelCode(const std::string& label) {
  for (int index = 0; index < kDefaultCount - 1; ++index)
    if (label == kLabels[index]) return index + 1;
  return label == kCollection ? kCollectionCode : kOtherCode;
}

int QueueCode(const std::string& label) {
  int code = LabelCode(label);
  if (code == kCollectionCode) return kCollectionQueueCode;
  return code == kOtherCode ? 0 : code;
}

const char* LabelOfQueueCode(int code) {
  return code >= 1 && code <= kDefaultCount ? kLabels[code - 1] : nullptr;
}

}  // namespace ShareCategories
