#include "frame/XmlWriter.h"

#include <cstring>
#include <vector>

#include "frame/XmlElement.h"

namespace {
constexpr size_t kStringBuffer = 16 * 1024;
constexpr size_t kFileBuffer = 256 * 1024;
}  // namespace

XmlWriter::XmlWriter(std::string& out)
    : out_(&out), buffer_(new char[kStringBuffer]), capacity_(kStringBuffer) {}

XmlWriter::XmlWriter(win::ReplacingFile& file, bool ampersands)
    : file_(&file), ampersands_(ampersands), buffer_(new char[kFileBuffer]), capacity_(kFileBuffer) {}

void XmlWriter::Flush() {
  if (used_ == 0) return;
  if (out_ != nullptr) {
    out_->append(buffer_.get(), used_);
  } else if (!file_->Write(buffer_.get(), used_)) {
    failed_ = true;
  }
  used_ = 0;
}

void XmlWriter::Put(const char* data, size_t size) {
  while (size > capacity_ - used_) {
    size_t part = capacity_ - used_;
    std::memcpy(buffer_.get() + used_, data, part);
    used_ += part;
    data += part;
    size -= part;
    Flush();
  }
  std::memcpy(buffer_.get() + used_, data, size);
  used_ += size;
}

void XmlWriter::PutContent(const char* data, size_t size) {
  if (!ampersands_) return Put(data, size);
  while (size > 0) {
    const char* question = static_cast<const char*>(std::memchr(data, '?', size));
    size_t plain = question != nullptr ? static_cast<size_t>(question - data) : size;
    Put(data, plain);
    if (question == nullptr) return;
    Put("&", 1);
    data += plain + 1;
    size -= plain + 1;
  }
}

void XmlWriter::Raw(const char* text, size_t size) { Put(text, size); }

namespace {

// Short pieces are the rule here (names, numbers, digests): copied inline.
inline char* Copy(char* to, const char* from, size_t size) {
  if (size > 32) {
    std::memcpy(to, from, size);
    return to + size;
  }
  for (size_t i = 0; i < size; ++i) to[i] = from[i];
  return to + size;
}

inline char* CopyContent(char* to, const char* from, size_t size, bool ampersands) {
  if (!ampersands) return Copy(to, from, size);
  for (size_t i = 0; i < size; ++i) to[i] = from[i] == '?' ? '&' : from[i];
  return to + size;
}

}  // namespace

void XmlWriter::OpenTag(const XmlElement& element) {
  const std::string& name = element.Name();
  const XmlElement::AttributeSlot* slots = element.AttributeSlots();
  const uint32_t count = element.AttributeCount();
  const XmlElement::Bytes text = element.TextBytes();
  size_t size = 1 + name.size() + 3 + text.Length();
  for (uint32_t i = 0; i < count; ++i) size += 4 + slots[i].name.Length() + slots[i].value.Length();
  if (size > capacity_ - used_) {
    Flush();
    if (size > capacity_) {
      // A tag larger than the buffer goes out piece by piece.
      Put("<", 1);
      PutContent(name.data(), name.size());
      for (uint32_t i = 0; i < count; ++i) {
        Put(" ", 1);
        PutContent(slots[i].name.data, slots[i].name.Length());
        Put("=\"", 2);
        PutContent(slots[i].value.data, slots[i].value.Length());
        Put("\"", 1);
      }
      Put(">\r\n", 3);
      PutContent(text.data, text.Length());
      return;
    }
  }
  char* at = buffer_.get() + used_;
  *at++ = '<';
  at = CopyContent(at, name.data(), name.size(), ampersands_);
  for (uint32_t i = 0; i < count; ++i) {
    *at++ = ' ';
    at = CopyContent(at, slots[i].name.data, slots[i].name.Length(), ampersands_);
    *at++ = '=';
    *at++ = '"';
    at = CopyContent(at, slots[i].value.data, slots[i].value.Length(), ampersands_);
    *at++ = '"';
  }
  *at++ = '>';
  *at++ = '\r';
  *at++ = '\n';
  at = CopyContent(at, text.data, text.Length(), ampersands_);
  used_ = at - buffer_.get();
}

void XmlWriter::CloseTag(const XmlElement& element) {
  const std::string& name = element.Name();
  size_t size = 2 + name.size() + 3;
  if (size > capacity_ - used_) {
    Flush();
    if (size > capacity_) {
      Put("</", 2);
      PutContent(name.data(), name.size());
      Put(">\r\n", 3);
      return;
    }
  }
  char* at = buffer_.get() + used_;
  *at++ = '<';
  *at++ = '/';
  at = CopyContent(at, name.data(), name.size(), ampersands_);
  *at++ = '>';
  *at++ = '\r';
  *at++ = '\n';
  used_ = at - buffer_.get();
}

void XmlWriter::Element(const XmlElement& root) {
  struct Open {
    const XmlElement* element;
    uint32_t next;
  };
  std::vector<Open> path;
  OpenTag(root);
  path.push_back({&root, 0});
  while (!path.empty()) {
    Open& top = path.back();
    if (top.next == top.element->childCount_) {
      CloseTag(*top.element);
      path.pop_back();
      continue;
    }
    const XmlElement* child = top.element->children_[top.next++];
    OpenTag(*child);
    path.push_back({child, 0});
  }
}

bool XmlWriter::Finish() {
  Flush();
  return !failed_;
}
