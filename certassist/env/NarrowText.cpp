#include "NarrowText.h"

#include <cstring>
#include <memory>
#include <new>

#include "CConfigFile.h"

namespace certassist {

DWORD NarrowToWide(const char* bytes, size_t limit, CString& out) {
  size_t length = bytes != nullptr ? strnlen(bytes, limit) : 0;
  if (length == 0) {
    out.Empty();
    return CONFIG_OK;
  }
  if (length > static_cast<size_t>(INT_MAX)) return CONFIG_CONVERSION_FAILED;
  int narrow = static_cast<int>(length);
  int needed = MultiByteToWideChar(CP_ACP, 0, bytes, narrow, nullptr, 0);
  if (needed <= 0) return CONFIG_CONVERSION_FAILED;
  std::unique_ptr<wchar_t[]> converted(new (std::nothrow) wchar_t[needed]);
  if (!converted) return CONFIG_NO_MEMORY;
  if (MultiByteToWideChar(CP_ACP, 0, bytes, narrow, converted.get(), needed) != needed)
    return CONFIG_CONVERSION_FAILED;
  out = CString(converted.get(), needed);
  return CONFIG_OK;
}

DWORD BufferBytesToWide(CString& text) {
  // The string's own terminator bounds the search for the zero byte.
  size_t limit = (static_cast<size_t>(text.GetLength()) + 1) * sizeof(wchar_t);
  return NarrowToWide(reinterpret_cast<const char*>(text.GetString()), limit, text);
}

}  // namespace certassist
