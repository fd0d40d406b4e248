#pragma once

#include <expat.h>

#include <cstddef>
#include <string>

#include "frame/XmlArena.h"

class XmlElement;

// Reads code page text into a tree: the text goes to Expat as UTF-16 with
// every "&" read as "?", in one final call, and Expat's start, end and
// character data reports build the elements below a root, in an arena of
// the parse's own.
class XmlTreeBuilder {
 public:
  // Builds the elements of `text` (`length` bytes, without a declaration)
  // as children of `root`, which has none. False when the text does not
  // parse, when a name or attribute does not fit the reader's buffers, or
  // when memory runs out; `root` may then hold part of the tree.
  static bool Build(XmlElement& root, const char* text, size_t length);

 private:
  // The reader's buffers: names, values and texts that need this many bytes
  // or more in the code page do not fit.
  static constexpr size_t kBuffer = 2048;
  static constexpr size_t kCacheSize = 64;

  struct CachedName {
    std::wstring wide;
    const std::string* pooled = nullptr;
  };
  // Expat keeps one copy of each attribute name for the whole parse, so the
  // address of that copy stands for the name.
  struct CachedAttributeName {
    const XML_Char* expat = nullptr;
    const std::string* pooled = nullptr;
  };

  XmlTreeBuilder(XML_Parser parser, XmlElement& root);

  static void XMLCALL OnStart(void* self, const XML_Char* tag, const XML_Char** attributes);
  static void XMLCALL OnEnd(void* self, const XML_Char* tag);
  static void XMLCALL OnText(void* self, const XML_Char* text, int length);

  void Start(const XML_Char* tag, const XML_Char** attributes);
  void AddAttribute(XmlElement& element, const XML_Char* name, const XML_Char* value);
  void Text(const XML_Char* text, int length);
  // The pool's copy of an element name, found in a small cache by its
  // UTF-16 form when seen before; null when the pool takes no more names.
  const std::string* PooledElementName(const XML_Char* name, size_t& length);
  const std::string* PooledAttributeName(const XML_Char* name, size_t length);
  // Converts a name of `length` units into converted_; false when it does
  // not fit or has a character the code page lacks.
  bool ConvertName(const XML_Char* text, size_t& length);
  void Refuse();

  XML_Parser parser_;
  XmlElement* current_;
  XmlArena arena_;
  bool refused_ = false;
  CachedName elementNames_[kCacheSize];
  CachedAttributeName attributeNames_[kCacheSize];
  char converted_[kBuffer];
  char value_[kBuffer];
  char storable_[2 * kBuffer];
};
