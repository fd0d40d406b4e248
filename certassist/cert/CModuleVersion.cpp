#include "CModuleVersion.h"

#include <cstring>
#include <memory>
#include <new>

#include "win/Handles.h"

namespace {

const DWORD kFixedSignature = 0xFEEF04BD;

// The whole version resource of a file, or an empty block.
std::unique_ptr<BYTE[]> ReadVersionBlock(const wchar_t* path, DWORD& size) {
  DWORD ignored = 0;
  size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return nullptr;
  std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size]);
  if (!block || !::GetFileVersionInfoW(path, 0, size, block.get())) {
    size = 0;
    return nullptr;
  }
  return block;
}

bool QueryFixed(const BYTE* block, VS_FIXEDFILEINFO& fixed) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block, L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return false;
  memcpy(&fixed, value, sizeof fixed);
  return true;
}

}  // namespace

CModuleVersion::CModuleVersion() : VS_FIXEDFILEINFO(), m_pVersionInfo(nullptr), m_translation{0, 1252},
                                   m_versionInfoSize(0) {}

CModuleVersion::CModuleVersion(const CModuleVersion& other) : CModuleVersion() { CopyFrom(other); }

CModuleVersion& CModuleVersion::operator=(const CModuleVersion& other) {
  if (this != &other) CopyFrom(other);
  return *this;
}

CModuleVersion::~CModuleVersion() { Release(); }

void CModuleVersion::Release() {
  delete[] m_pVersionInfo;
  m_pVersionInfo = nullptr;
  m_versionInfoSize = 0;
}

void CModuleVersion::CopyFrom(const CModuleVersion& other) {
  Release();
  static_cast<VS_FIXEDFILEINFO&>(*this) = other;
  m_translation = other.m_translation;
  if (other.m_pVersionInfo == nullptr) return;
  m_pVersionInfo = new (std::nothrow) BYTE[other.m_versionInfoSize];
  if (m_pVersionInfo == nullptr) return;
  memcpy(m_pVersionInfo, other.m_pVersionInfo, other.m_versionInfoSize);
  m_versionInfoSize = other.m_versionInfoSize;
}

BOOL CModuleVersion::GetFileVersionInfoW(const wchar_t* moduleName) {
  Release();
  static_cast<VS_FIXEDFILEINFO&>(*this) = VS_FIXEDFILEINFO();
  m_translation.langID = 0;
  m_translation.charset = 1252;

  HMODULE module = GetModuleHandleW(moduleName);
  if (module == nullptr) return FALSE;
  wchar_t path[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return FALSE;

  DWORD size = 0;
  std::unique_ptr<BYTE[]> block = ReadVersionBlock(path, size);
  if (!block || !QueryFixed(block.get(), *this)) return FALSE;

  void* translation = nullptr;
  UINT translationLength = 0;
  if (VerQueryValueW(block.get(), L"\\VarFileInfo\\Translation", &translation, &translationLength) &&
      translationLength >= sizeof m_translation)
    memcpy(&m_translation, translation, sizeof m_translation);
  m_pVersionInfo = block.release();
  m_versionInfoSize = size;
  return dwSignature == kFixedSignature;
}

CString CModuleVersion::GetValue(const wchar_t* key) {
  CString value;
  if (m_pVersionInfo == nullptr || key == nullptr) return value;
  CString query;
  query.Format(L"\\StringFileInfo\\%04x%04x\\%s", m_translation.langID, m_translation.charset, key);
  void* text = nullptr;
  UINT length = 0;
  if (VerQueryValueW(m_pVersionInfo, query, &text, &length) && text != nullptr && length > 0)
    value = CString(static_cast<const wchar_t*>(text), static_cast<int>(wcsnlen(static_cast<const wchar_t*>(text), length)));
  return value;
}

CString CModuleVersion::GetFileVersion(CString path) {
  CString version;
  DWORD size = 0;
  std::unique_ptr<BYTE[]> block = ReadVersionBlock(path, size);
  VS_FIXEDFILEINFO fixed{};
  if (!block || !QueryFixed(block.get(), fixed) || fixed.dwSignature != kFixedSignature) return version;
  version.Format(L"%d.%d.%d.%d", HIWORD(fixed.dwFileVersionMS), LOWORD(fixed.dwFileVersionMS),
                 HIWORD(fixed.dwFileVersionLS), LOWORD(fixed.dwFileVersionLS));
  return version;
}

BOOL CModuleVersion::DllGetVersion(const wchar_t* dllName, DLLVERSIONINFO& info) {
  win::UniqueModule library(dllName != nullptr ? LoadLibraryW(dllName) : nullptr);
  if (!library) return FALSE;
  auto entry = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "DllGetVersion")));
  if (entry == nullptr) return FALSE;
  ZeroMemory(&info, sizeof info);
  info.cbSize = 20;
  return SUCCEEDED(entry(&info)) ? TRUE : FALSE;
}
