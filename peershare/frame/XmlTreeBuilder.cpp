#include "frame/XmlTreeBuilder.h"

#include <cstring>
#include <memory>

#include "frame/XmlCodePage.h"
#include "frame/XmlElement.h"
#include "frame/XmlNamePool.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

size_t Hash(const XML_Char* name, size_t& length) {
  size_t hash = 2166136261u;
  for (length = 0; name[length] != 0; ++length) hash = (hash ^ static_cast<size_t>(name[length])) * 16777619u;
  return hash;
}

}  // namespace

XmlTreeBuilder::XmlTreeBuilder(XML_Parser parser, XmlElement& root) : parser_(parser), current_(&root) {
  XML_SetUserData(parser, this);
  XML_SetElementHandler(parser, &XmlTreeBuilder::OnStart, &XmlTreeBuilder::OnEnd);
  XML_SetCharacterDataHandler(parser, &XmlTreeBuilder::OnText);
}

bool XmlTreeBuilder::Build(XmlElement& root, const char* text, size_t length) {
  // Each UTF-16 unit comes from at least one byte; one more for the mark.
  if (length >= 0x3FFFFFFF) return false;
  struct ParserOwner {
    XML_Parser parser;
    ~ParserOwner() {
      if (parser != nullptr) XML_ParserFree(parser);
    }
  } owner{XML_ParserCreate(L"UTF-16")};
  if (owner.parser == nullptr) return false;
  std::unique_ptr<XmlTreeBuilder> builder(new XmlTreeBuilder(owner.parser, root));
  // The text is converted straight into Expat's buffer; the byte-order mark
  // tells Expat the byte order.
  auto* wide = static_cast<wchar_t*>(XML_GetBuffer(owner.parser, static_cast<int>((length + 1) * sizeof(wchar_t))));
  if (wide == nullptr) return false;
  wide[0] = L'\xFEFF';
  size_t units = 1 + XmlCodePage::ToUtf16ReadingAmpersands(text, length, wide + 1);
  bool parsed = XML_ParseBuffer(owner.parser, static_cast<int>(units * sizeof(wchar_t)), XML_TRUE) == XML_STATUS_OK;
  return parsed && !builder->refused_;
}

void XMLCALL XmlTreeBuilder::OnStart(void* self, const XML_Char* tag, const XML_Char** attributes) {
  auto* builder = static_cast<XmlTreeBuilder*>(self);
  // Nothing may unwind through Expat.
  try {
    builder->Start(tag, attributes);
  } catch (...) {
    builder->Refuse();
  }
}

void XMLCALL XmlTreeBuilder::OnEnd(void* self, const XML_Char*) {
  auto* builder = static_cast<XmlTreeBuilder*>(self);
  if (builder->current_->parent_ != nullptr) builder->current_ = builder->current_->parent_;
}

void XMLCALL XmlTreeBuilder::OnText(void* self, const XML_Char* text, int length) {
  auto* builder = static_cast<XmlTreeBuilder*>(self);
  try {
    builder->Text(text, length);
  } catch (...) {
    builder->Refuse();
  }
}

void XmlTreeBuilder::Refuse() {
  refused_ = true;
  XML_StopParser(parser_, XML_FALSE);
}

bool XmlTreeBuilder::ConvertName(const XML_Char* text, size_t& length) {
  int got = XmlCodePage::NameFromUtf16(text, length, converted_, kBuffer);
  if (got < 0) return false;
  length = static_cast<size_t>(got);
  return true;
}

const std::string* XmlTreeBuilder::PooledElementName(const XML_Char* name, size_t& length) {
  CachedName& slot = elementNames_[Hash(name, length) % kCacheSize];
  if (slot.pooled != nullptr && slot.wide.size() == length &&
      std::memcmp(slot.wide.data(), name, length * sizeof(XML_Char)) == 0) {
    return slot.pooled;
  }
  size_t convertedLength = length;
  if (!ConvertName(name, convertedLength)) return nullptr;
  const std::string* pooled = XmlNamePool::Find(converted_, convertedLength);
  if (pooled != nullptr) {
    slot.wide.assign(name, length);
    slot.pooled = pooled;
  }
  return pooled;
}

const std::string* XmlTreeBuilder::PooledAttributeName(const XML_Char* name, size_t length) {
  CachedAttributeName& slot = attributeNames_[(reinterpret_cast<uintptr_t>(name) / sizeof(void*)) % kCacheSize];
  if (slot.expat == name) return slot.pooled;
  size_t convertedLength = length;
  if (!ConvertName(name, convertedLength)) return nullptr;
  const std::string* pooled = XmlNamePool::Find(converted_, convertedLength);
  if (pooled != nullptr) slot = {name, pooled};
  return pooled;
}

void XmlTreeBuilder::Start(const XML_Char* tag, const XML_Char** attributes) {
  size_t length = 0;
  const std::string* name = PooledElementName(tag, length);
  std::unique_ptr<std::string> ownName;
  if (name == nullptr) {
    // A name or value too long for the reader's buffers makes the document unreadable.
    if (!ConvertName(tag, length)) return Refuse();
    ownName = std::make_unique<std::string>(converted_, length);
  }
  XmlElement* element = new (arena_) XmlElement(ownName ? ownName.get() : name, ownName != nullptr, nullptr);
  static_cast<void>(ownName.release());
  try {
    current_->AppendChild(element, &arena_);
  } catch (...) {
    delete element;
    throw;
  }
  current_ = element;

  // Only the attributes written in the tag: defaults that a document type
  // declaration would add to every element are not kept.
  int specified = XML_GetSpecifiedAttributeCount(parser_);
  if (specified <= 0) return;
  element->ReserveAttributes(static_cast<uint32_t>(specified / 2), &arena_);
  for (int i = 0; i + 1 < specified && !refused_; i += 2) AddAttribute(*element, attributes[i], attributes[i + 1]);
}

void XmlTreeBuilder::AddAttribute(XmlElement& element, const XML_Char* name, const XML_Char* value) {
  bool unwritable = false;
  int got = XmlCodePage::FromUtf16(value, value_, kBuffer, &unwritable);
  if (got < 0) return Refuse();
  const char* stored = value_;
  size_t storedLength = static_cast<size_t>(got);
  if (unwritable) {
    storedLength = XmlCodePage::StorableFromConverted(value_, storedLength, storable_);
    stored = storable_;
    // The stored form must fit the reader's buffer when the document is read again.
    if (storedLength >= kBuffer) return Refuse();
  }
  // Expat has already refused a name given twice in one tag.
  size_t nameLength = std::char_traits<XML_Char>::length(name);
  if (const std::string* pooled = PooledAttributeName(name, nameLength)) {
    element.AppendAttribute(pooled->data(), pooled->size(), stored, storedLength, &arena_, true);
    return;
  }
  if (!ConvertName(name, nameLength)) return Refuse();
  element.AppendAttribute(converted_, nameLength, stored, storedLength, &arena_, false);
}

// Only the last chunk an element receives survives; a chunk too long for the
// buffer reads as an empty text.
void XmlTreeBuilder::Text(const XML_Char* text, int length) {
  int blanks = 0;
  while (blanks < length && IsBlank(text[blanks])) ++blanks;
  if (blanks == length) return current_->SetTextBytes(nullptr, 0, &arena_);
  bool unwritable = false;
  int got = XmlCodePage::FromUtf16(text, static_cast<size_t>(length), converted_, kBuffer, &unwritable);
  if (got < 0) return current_->SetTextBytes(nullptr, 0, &arena_);
  // Leading blanks are single bytes in the code page too.
  char* start = converted_ + blanks;
  char* end = converted_ + got;
  for (char* at = start; at < end; ++at)
    if (*at == '?') *at = '&';
  if (!unwritable) return current_->SetTextBytes(start, end - start, &arena_);
  size_t size = XmlCodePage::StorableFromConverted(start, end - start, storable_);
  // Read again, a stored form this long would come back empty: it reads empty now.
  current_->SetTextBytes(storable_, size < kBuffer ? size : 0, &arena_);
}
