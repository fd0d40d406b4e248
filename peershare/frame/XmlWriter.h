#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "win/ReplacingFile.h"

class XmlElement;

// The tree's text form, produced element by element into a buffer that goes
// to a string or, piece by piece, to a file. Walks the tree with a list of
// open elements, never by recursion.
class XmlWriter {
 public:
  // Appends to `out`.
  explicit XmlWriter(std::string& out);
  // Writes to `file`; with `ampersands`, every "?" of the elements becomes
  // "&" (how a saved document stands for the "&" read as "?").
  XmlWriter(win::ReplacingFile& file, bool ampersands);
  XmlWriter(const XmlWriter&) = delete;
  XmlWriter& operator=(const XmlWriter&) = delete;

  // Text written as it is (the declaration).
  void Raw(const char* text, size_t size);
  // `root` and its subtree: "<name a="v">" CR LF, the text, the children,
  // "</name>" CR LF. Nothing is escaped and empty elements are never short.
  void Element(const XmlElement& root);
  // Puts out what is buffered; false when anything could not be written.
  bool Finish();

 private:
  void Put(const char* data, size_t size);
  // Element content: names, values and texts, where "?" may become "&".
  void PutContent(const char* data, size_t size);
  void OpenTag(const XmlElement& element);
  void CloseTag(const XmlElement& element);
  void Flush();

  std::string* out_ = nullptr;
  win::ReplacingFile* file_ = nullptr;
  bool ampersands_ = false;
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  size_t used_ = 0;
  bool failed_ = false;
};
