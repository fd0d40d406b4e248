#pragma once

#include <cstddef>
#include <string>

#include "frame/XmlElement.h"

// The root of a document: an element without a name whose children are the
// top-level elements. Read through Expat, written by the tree's own writer.
// Load, Parse and Save never throw: every failure, running out of memory
// included, is their false answer.
class XmlDocument : public XmlElement {
 public:
  XmlDocument() = default;

  XmlElement* Clone(bool deep) const override;
  void Write(std::string& buffer) const override;
  void SetAttribute(const std::string& name, const std::string& value) override;
  void GetAttribute(const std::string& name, std::string& out) const override;
  void Release() override;

  static XmlDocument* NewDocument();

  // Reads the file up to its first zero byte and parses it. False when the
  // file cannot be read or does not parse; the tree is then empty.
  bool Load(const std::string& path);
  // Parses code page text up to its first zero byte; the declaration is
  // skipped, so its encoding is never consulted. False (and an empty tree)
  // when it does not parse.
  bool Parse(const std::string& text);
  // Writes the document to a temporary file beside `path` (named after a
  // process-wide counter, "tovakTempFile%d.temp"), then puts it in place of
  // `path` in one rename. False, with `path` as it was, when any step fails.
  bool Save(const std::string& path) const;

  // A name or text that needs this many bytes or more in the code page does
  // not fit the reader's buffers.
  static constexpr size_t kMaxConverted = 2048;
  static constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n";

 private:
  bool ParseBytes(const char* text, size_t length);
};
