#include "frame/XmlDocument.h"

#include <windows.h>

#include <expat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

// Expat hands names and text over as UTF-16; the tree keeps the code page.
// Fails when the result would not fit the reader's fixed buffer.
bool ToCodePage(std::wstring_view wide, std::string& out) {
  out.clear();
  if (wide.empty()) return true;
  char buffer[XmlDocument::kMaxConverted];
  // One byte of the buffer stays for the terminator the original text carried.
  int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), buffer,
                                   sizeof buffer - 1, nullptr, nullptr);
  if (length <= 0) return false;
  out.assign(buffer, length);
  return true;
}

std::wstring CodePageToUtf16(std::string_view text) {
  std::wstring wide;
  if (text.empty()) return wide;
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  wide.resize(length);
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// Builds the tree from Expat's callbacks, the current element moving down
// and up with the start and end tags.
class TreeBuilder {
 public:
  TreeBuilder(XML_Parser parser, XmlElement& root) : parser_(parser), current_(&root) {
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &TreeBuilder::OnStart, &TreeBuilder::OnEnd);
    XML_SetCharacterDataHandler(parser, &TreeBuilder::OnText);
  }

 private:
  static void XMLCALL OnStart(void* self, const XML_Char* tag, const XML_Char** attributes) {
    static_cast<TreeBuilder*>(self)->Start(tag, attributes);
  }
  static void XMLCALL OnEnd(void* self, const XML_Char*) {
    auto* builder = static_cast<TreeBuilder*>(self);
    if (builder->current_->Parent() != nullptr) builder->current_ = builder->current_->Parent();
  }
  static void XMLCALL OnText(void* self, const XML_Char* text, int length) {
    static_cast<TreeBuilder*>(self)->Text(std::wstring_view(text, length));
  }

  void Start(const XML_Char* tag, const XML_Char** attributes) {
    std::string name;
    // A name or value too long for the reader's buffers makes the document unreadable.
    if (!ToCodePage(tag, name)) return Refuse();
    auto* element = XmlElement::NewElement(name);
    current_->AddChild(element);
    current_ = element;
    for (int i = 0; attributes[i] != nullptr; i += 2) {
      std::string attrName, attrValue;
      if (!ToCodePage(attributes[i], attrName) || !ToCodePage(attributes[i + 1], attrValue)) {
        return Refuse();
      }
      element->SetAttribute(attrName, attrValue);
    }
  }

  // Only the last chunk an element receives survives; a chunk too long for
  // the buffer reads as an empty text.
  void Text(std::wstring_view chunk) {
    std::string text;
    if (!ToCodePage(chunk, text)) text.clear();
    size_t start = text.find_first_not_of("\t\n\r ");
    text.erase(0, start == std::string::npos ? text.size() : start);
    std::replace(text.begin(), text.end(), '?', '&');
    current_->SetText(std::move(text));
  }

  void Refuse() { XML_StopParser(parser_, XML_FALSE); }

  XML_Parser parser_;
  XmlElement* current_;
};

std::atomic<int> tempFileCounter{0};

}  // namespace

XmlDocument* XmlDocument::NewDocument() { return new XmlDocument(); }

XmlElement* XmlDocument::Clone(bool deep) const {
  auto* clone = new XmlDocument();
  if (deep) CloneChildrenInto(*clone);
  return clone;
}

void XmlDocument::Write(std::string& buffer) const {
  buffer += kDeclaration;
  for (size_t i = 0; i < ChildCount(); ++i) Child(i)->Write(buffer);
}

void XmlDocument::SetAttribute(const std::string&, const std::string&) {}

void XmlDocument::GetAttribute(const std::string&, std::string& out) const { out.clear(); }

void XmlDocument::Release() {
  DeleteChildren();
  delete this;
}

bool XmlDocument::Load(const std::string& path) {
  std::string text;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    DeleteChildren();
    return false;
  }
  char chunk[16384];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
  std::fclose(file);
  // The text ends at its first zero, as the reader always saw it.
  text.resize(std::strlen(text.c_str()));
  return Parse(text);
}

bool XmlDocument::Parse(const std::string& source) {
  DeleteChildren();
  size_t declarationEnd = source.find("?>");
  std::string text = source.substr(declarationEnd == std::string::npos ? 0 : declarationEnd + 2);
  // References are never interpreted: '&' travels as '?' through the parser.
  std::replace(text.begin(), text.end(), '&', '?');
  // The byte-order mark tells Expat the byte order of its UTF-16 input.
  std::wstring wide = L"\xFEFF" + CodePageToUtf16(text);

  // Each parse has a parser and builder of its own, so threads never share one.
  XML_Parser parser = XML_ParserCreate(L"UTF-16");
  if (parser == nullptr) return false;
  TreeBuilder builder(parser, *this);
  bool parsed = XML_Parse(parser, reinterpret_cast<const char*>(wide.data()),
                          static_cast<int>(wide.size() * sizeof(wchar_t)), XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(parser);
  if (!parsed) DeleteChildren();
  return parsed;
}

bool XmlDocument::Save(const std::string& path) const {
  std::string buffer;
  Write(buffer);
  // The in-memory '&' of attribute values was read as '?'; the file has '&'.
  size_t declarationEnd = buffer.find("?>");
  if (declarationEnd != std::string::npos) {
    std::replace(buffer.begin() + declarationEnd + 2, buffer.end(), '?', '&');
  }

  char tempName[64];
  std::snprintf(tempName, sizeof tempName, "tovakTempFile%d.temp", tempFileCounter.fetch_add(1));
  FILE* temp = std::fopen(tempName, "wb");
  if (temp == nullptr) return false;
  bool written = std::fwrite(buffer.data(), 1, buffer.size(), temp) == buffer.size();
  written = std::fclose(temp) == 0 && written;
  // A short temporary file must never replace a good document.
  bool copied = written && CopyFileA(tempName, path.c_str(), FALSE) != FALSE;
  DeleteFileA(tempName);
  return copied;
}
