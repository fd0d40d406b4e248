#pragma once

#include <deque>

#include "share/ShareDocument.h"

// The files of the share document that need hashing, in ten lists indexed by
// the hashing queue code of their top-level category: 1 to 7 the media
// categories, 8 the collection; 0 and 9 stay empty. Worker thread only; it
// holds element pointers, so it is built again whenever the document's set
// of files or categories changed.
class HashQueue {
 public:
  static constexpr int kCodes = 10;

  // Every file below a top-level category of codes 1 to 8 (at any depth)
  // whose reShare is "1" (set back to "0" here), whose MD5 is empty, which
  // is missing, or whose modification time differs from its time.
  void Build(ShareDocument& document);
  // The first file of the lowest non-empty code, taken off the queue; null
  // when all are empty.
  XmlElement* TakeFirst(int& code);
  bool Empty() const;

  // Whether a file needs hashing (reShare is not consulted).
  static bool NeedsHashing(const XmlElement& file);
  // Seconds since 1970 of a file's last modification; false when the file
  // cannot be examined.
  static bool ModificationTime(const std::string& path, long long& seconds, unsigned long long* size = nullptr);
  static long long SecondsSince1970(const FILETIME& time);

 private:
  std::deque<XmlElement*> lists_[kCodes];
};
