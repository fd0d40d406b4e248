#pragma once

#include <string>

// The categories of the share document and their numbers. Labels are
// compared as whole strings.
namespace ShareCategories {

constexpr int kDefaultCount = 8;
// The default top-level labels, in document order.
constexpr const char* kLabels[kDefaultCount] = {"音乐", "图片", "视频", "图书", "资料", "软件", "游戏", "珍藏"};
constexpr const char* kCollection = "珍藏";
// A new sub-category, until the user renames it.
constexpr const char* kNewSubCategory = "新建子类别";

// Label codes, used with the host and by the tree.
constexpr int kOtherCode = 8;
constexpr int kCollectionCode = 9;
// The hashing queue and finished downloads number the collection 8.
constexpr int kCollectionQueueCode = 8;

// 音乐 1 ... 游戏 7, 珍藏 9, any other label 8.
int LabelCode(const std::string& label);
// 1 to 7 as LabelCode, 珍藏 8, any other label 0.
int QueueCode(const std::string& label);
// The label a queue code (1 to 8) stands for; null for any other code.
const char* LabelOfQueueCode(int code);

}  // namespace ShareCategories
