#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "share/FolderListing.h"

class ShareDocument;
class XmlElement;

// A folder dropped on a category. Its sub-category is in the document from
// the drop on; the worker lists the folder, and the window thread adds what
// it holds below the sub-category a batch at a time, so that a folder of
// any size never holds the window up. Everything but the listing itself
// happens under the share library's lock.
class DroppedFolder {
 public:
  // `levels`: how deep below the folder its folders are entered.
  DroppedFolder(XmlElement& category, std::string path, int levels)
      : category_(&category), path_(std::move(path)), levels_(levels) {}

  const std::string& Path() const { return path_; }
  int Levels() const { return levels_; }
  // The sub-category, or null once it left the document.
  XmlElement* Category() const { return category_; }

  // Whether the worker still has to list it; Take() says it does so now.
  bool Waiting() const { return !taken_ && !listed_ && category_ != nullptr; }
  void Take() { taken_ = true; }
  bool Listed() const { return listed_; }
  void SetListing(FolderListing listing);

  // Adds the next `count` entries of the listing; true once all are in.
  bool AddNext(ShareDocument& document, size_t count);
  // `removed` is about to leave the document: nothing more goes into it or
  // below it.
  void Forget(const XmlElement& removed);
  void Cancel();

 private:
  XmlElement* category_;
  std::string path_;
  int levels_;
  bool taken_ = false, listed_ = false;
  FolderListing listing_;
  size_t next_ = 0;
  // The sub-category made of each folder entry added so far.
  std::vector<XmlElement*> made_;
};
