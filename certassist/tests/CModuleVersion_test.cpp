#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "CModuleVersion.h"
#include "TempFolder.h"
#include "TestText.h"

namespace {

CString CertassistPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(L"certassist.dll"), path, MAX_PATH);
  return path;
}

// The translation is copied byte for byte out of the version resource's
// \VarFileInfo\Translation entries: two 16-bit fields, 4 bytes in both builds.
struct TranslationLayout : CModuleVersion {
  static constexpr size_t kSize = sizeof(TRANSLATION);
  static constexpr size_t kLangIdOffset = offsetof(TRANSLATION, langID);
  static constexpr size_t kCharsetOffset = offsetof(TRANSLATION, charset);
};

TEST(CModuleVersion, TranslationRecordIsTwo16BitFields) {
  EXPECT_EQ(TranslationLayout::kSize, 4u);
  EXPECT_EQ(TranslationLayout::kLangIdOffset, 0u);
  EXPECT_EQ(TranslationLayout::kCharsetOffset, 2u);
}

TEST(CModuleVersion, ReadsTheVersionOfALoadedModule) {
  CModuleVersion version;
  ASSERT_TRUE(version.GetFileVersionInfoW(L"certassist.dll"));
  EXPECT_EQ(0xFEEF04BDu, version.dwSignature);
  EXPECT_EQ(0x00010000u, version.dwFileVersionMS);
  EXPECT_EQ(0x00000001u, version.dwFileVersionLS);
  EXPECT_EQ(CString(L"证书助手支持库"), version.GetValue(L"FileDescription"));
  EXPECT_EQ(CString(L"1.0.0.1"), version.GetValue(L"FileVersion"));
  EXPECT_TRUE(version.GetValue(L"NoSuchString").IsEmpty());
}

TEST(CModuleVersion, ModulesThatAreNotLoadedOrCarryNoVersionFail) {
  CModuleVersion version;
  ASSERT_TRUE(version.GetFileVersionInfoW(L"certassist.dll"));
  EXPECT_FALSE(version.GetFileVersionInfoW(L"not-loaded-module.dll"));
  EXPECT_TRUE(version.GetValue(L"FileDescription").IsEmpty());
  EXPECT_EQ(0u, version.dwSignature);
  // The test program itself has no version resource.
  EXPECT_FALSE(version.GetFileVersionInfoW(nullptr));
  EXPECT_TRUE(version.GetValue(L"FileVersion").IsEmpty());
}

TEST(CModuleVersion, CopiesKeepTheirOwnVersionData) {
  CModuleVersion* original = new CModuleVersion;
  ASSERT_TRUE(original->GetFileVersionInfoW(L"certassist.dll"));
  CModuleVersion copy(*original);
  CModuleVersion assigned;
  assigned = *original;
  delete original;
  EXPECT_EQ(CString(L"1.0.0.1"), copy.GetValue(L"FileVersion"));
  EXPECT_EQ(CString(L"1.0.0.1"), assigned.GetValue(L"ProductVersion"));
  EXPECT_EQ(0x00010000u, copy.dwFileVersionMS);
}

TEST(CModuleVersion, GetFileVersionFormatsTheFourParts) {
  CModuleVersion version;
  EXPECT_EQ(CString(L"1.0.0.1"), version.GetFileVersion(CertassistPath()));
  TempFolder folder;
  ASSERT_TRUE(WriteFileBytes(folder.File("plain.dll"), "not a program"));
  EXPECT_TRUE(version.GetFileVersion(Wide(folder.File("plain.dll")).c_str()).IsEmpty());
  EXPECT_TRUE(version.GetFileVersion(Wide(folder.File("missing.dll")).c_str()).IsEmpty());
  EXPECT_TRUE(version.GetFileVersion(L"").IsEmpty());
}

TEST(CModuleVersion, DllGetVersionCallsTheExport) {
  DLLVERSIONINFO info;
  memset(&info, 0xAB, sizeof info);
  ASSERT_TRUE(CModuleVersion::DllGetVersion(L"comctl32.dll", info));
  EXPECT_EQ(20u, info.cbSize);
  EXPECT_GE(info.dwMajorVersion, 5u);
  EXPECT_FALSE(CModuleVersion::DllGetVersion(L"kernel32.dll", info));
  EXPECT_FALSE(CModuleVersion::DllGetVersion(L"no-such-library.dll", info));
}

}  // namespace
