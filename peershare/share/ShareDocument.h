#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "frame/XmlDocument.h"
#include "share/ShareFileNames.h"

// Releases a tree of its own (a received document) through its Release().
struct XmlReleaser {
  void operator()(XmlElement* element) const { element->Release(); }
};
using XmlDocumentPtr = std::unique_ptr<XmlDocument, XmlReleaser>;

// The value of an element's attribute, empty when it has none.
std::string AttributeOf(const XmlElement& element, const char* name);

// What a lookup by digest finds.
struct SharedFileInfo {
  XmlElement* file = nullptr;
  std::string path;   // its filePath text
  int category = 0;   // label code of its top-level category
  bool hidden = false;  // the top-level category is not shown
};

// The user's share document: the root ShareFile, the Type categories nested
// to any depth and the file elements inside them. Not locked by itself: the
// share library guards every call with its lock.
class ShareDocument {
 public:
  // Converts an old-format digest into the current form; false when it cannot.
  using HashConverter = std::function<bool(const std::string& oldHash, std::string& newHash)>;

  ShareDocument();
  ShareDocument(const ShareDocument&) = delete;
  ShareDocument& operator=(const ShareDocument&) = delete;

  // Opens the user's document unless it is the open one. A file that cannot
  // be read or has no ShareFile root gives the built-in default, which
  // replaces the file at the next save (a file that exists but cannot be
  // opened is never overwritten). A document older than version 2 is
  // converted with `convert`; without one the conversion waits for a later
  // Open with a converter.
  void Open(const ShareFileNames& names, const HashConverter& convert);
  // False when the document was never opened, must not overwrite its file,
  // or could not be written.
  bool Save() const;
  const std::string& Path() const { return path_; }
  bool LoadedFromFile() const { return loadedFromFile_; }
  bool ConversionPending() const { return conversionPending_; }

  XmlDocument& Document() { return document_; }
  // The ShareFile element; never null once opened.
  XmlElement* Root() const;

  // file elements whose MD5 attribute is present and not the placeholder.
  int HashedFileCount() const;
  // The first file anywhere whose MD5 equals `hash`; an empty hash finds none.
  bool Lookup(const std::string& hash, SharedFileInfo& found) const;
  // TimeStamp as a decimal number kept modulo 2^32; set from `now` first
  // when the document has none.
  int32_t GetTimeStamp(const SYSTEMTIME& now);
  // passWord of the first top-level category whose label contains 珍藏.
  bool SetCollectionPassword(const std::string& password);
  // reShare "1" on every file when `rehash`, else "0".
  void MarkAllForRehash(bool rehash);
  // The document's text with every filePath cut to file name and extension:
  // what peers may see. The document is the same afterwards.
  std::string PeersText();
  // The text that saving a document writes.
  static std::string TextOf(const XmlDocument& document);

  // A category and everything below it are shown unless a style on the way
  // is neither empty nor "0".
  static bool IsShown(const XmlElement& type);
  // "/dir" of the category, after the paths of its ancestor categories.
  static std::string CategoryPath(const XmlElement& type);
  // The top-level Type that holds an element (or is it); null outside any.
  XmlElement* TopLevelCategory(const XmlElement& element) const;
  // The top-level category of a queue code (1 to 7, 8 for 珍藏).
  XmlElement* CategoryOfQueueCode(int code) const;
  // Gives every shown category without a dir the largest dir of its
  // siblings plus 1.
  void AssignDirs();
  // Appends a shown category named `name` with a dir of its own.
  XmlElement* AddCategory(XmlElement& parent, const std::string& name);
  // The same with a dir the caller chose among the siblings.
  XmlElement* AddCategory(XmlElement& parent, const std::string& name, long dir);
  // The largest dir among the categories directly in `parent`; 0 when none.
  static long LargestDir(const XmlElement& parent);
  // Appends a file element to a category.
  XmlElement* AddFile(XmlElement& category, const std::string& path, const std::string& md5, uint32_t size);

  static const char* DefaultText();

 private:
  void LoadDefault(const std::string& path);
  void ConvertOldVersion(const ShareFileNames& names, const HashConverter& convert);

  XmlDocument document_;
  std::string path_;
  bool loadedFromFile_ = false;
  bool mayOverwrite_ = false;
  bool conversionPending_ = false;
};

// Converts the DownloadItem digests of a transfer document; items whose
// digest cannot be converted are removed. False when the document cannot be
// read (it is then left alone).
bool ConvertTransferDigests(const std::string& path, const ShareDocument::HashConverter& convert);
