#include "frame/XmlDocument.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>

#include "frame/XmlCodePage.h"
#include "frame/XmlTreeBuilder.h"
#include "frame/XmlWriter.h"
#include "win/Handles.h"
#include "win/ReplacingFile.h"

namespace {

std::atomic<int> tempFileCounter{0};

// Saves from several threads each take their own counter value; a name left
// behind by an earlier process is passed over.
bool OpenTemporaryBeside(win::ReplacingFile& file, const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "tovakTempFile%d.temp", tempFileCounter.fetch_add(1));
    if (file.OpenWithTemporary(path, folder + name)) return true;
    if (GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

// The whole file, or false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content) {
  win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart >= 0x40000000) return false;
  content.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < content.size()) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), &content[done], static_cast<DWORD>(content.size() - done), &got, nullptr) || got == 0) {
      return false;
    }
    done += got;
  }
  return true;
}

}  // namespace

XmlDocument* XmlDocument::NewDocument() { return new XmlDocument(); }

XmlElement* XmlDocument::Clone(bool deep) const {
  XmlDocument* clone = nullptr;
  try {
    clone = new XmlDocument();
    if (deep) CloneChildrenInto(*clone);
  } catch (...) {
    delete clone;
    return nullptr;
  }
  return clone;
}

void XmlDocument::Write(std::string& buffer) const {
  XmlWriter writer(buffer);
  writer.Raw(kDeclaration, std::strlen(kDeclaration));
  for (size_t i = 0; i < ChildCount(); ++i) writer.Element(*Child(i));
  writer.Finish();
}

void XmlDocument::SetAttribute(const std::string&, const std::string&) {}

void XmlDocument::GetAttribute(const std::string&, std::string& out) const { out.clear(); }

void XmlDocument::Release() {
  DeleteChildren();
  delete this;
}

bool XmlDocument::Load(const std::string& path) {
  try {
    std::string text;
    if (ReadWholeFile(path, text)) {
      const char* zero = XmlCodePage::FindByte(text.data(), text.size(), '\0');
      return ParseBytes(text.data(), zero != nullptr ? zero - text.data() : text.size());
    }
  } catch (...) {
  }
  DeleteChildren();
  return false;
}

bool XmlDocument::Parse(const std::string& text) {
  // The text ends at its first zero, as it does for a loaded file.
  const char* zero = XmlCodePage::FindByte(text.data(), text.size(), '\0');
  return ParseBytes(text.data(), zero != nullptr ? zero - text.data() : text.size());
}

bool XmlDocument::ParseBytes(const char* text, size_t length) {
  DeleteChildren();
  size_t start = 0;
  for (const char* question = text; (question = XmlCodePage::FindByte(question, text + length - question, '?'));) {
    if (++question < text + length && *question == '>') {
      start = question + 1 - text;
      break;
    }
  }
  bool parsed = false;
  try {
    parsed = XmlTreeBuilder::Build(*this, text + start, length - start);
  } catch (...) {
  }
  if (!parsed) DeleteChildren();
  return parsed;
}

bool XmlDocument::Save(const std::string& path) const {
  try {
    win::ReplacingFile file;
    if (!OpenTemporaryBeside(file, path)) return false;
    // In the file, every "?" after the declaration stands for the "&" that
    // the reader turned into "?".
    XmlWriter writer(file, true);
    writer.Raw(kDeclaration, std::strlen(kDeclaration));
    for (size_t i = 0; i < ChildCount(); ++i) writer.Element(*Child(i));
    return writer.Finish() && file.Commit();
  } catch (...) {
    return false;
  }
}
