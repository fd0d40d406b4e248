#include "button/CreatorRecord.h"

#include <gtest/gtest.h>

#include <cstring>

#include "CreatorRecordReader.h"
#include "ToolbarTestSupport.h"
#include "button/ToolbarInterfaces.h"

namespace {

const wchar_t kPath[] = L"C:\\Program Files\\Sorvane\\barshare.dll";

TEST(CreatorRecord, InnerRecordHoldsSizePathAndFlags) {
  std::vector<BYTE> inner = CreatorRecord::Inner(kPath, 0);
  ASSERT_EQ(inner.size(), 528u);
  DWORD size = 0, flags = 1;
  std::memcpy(&size, inner.data(), 4);
  std::memcpy(&flags, inner.data() + 524, 4);
  EXPECT_EQ(size, 528u);
  EXPECT_EQ(flags, 0u);
  EXPECT_STREQ(reinterpret_cast<const wchar_t*>(inner.data() + 4), kPath);
  // NUL padding after the path.
  for (size_t i = 4 + sizeof kPath; i < 524; ++i) ASSERT_EQ(inner[i], 0) << i;

  // A caller's flags count only when their low byte is set.
  std::memcpy(&flags, CreatorRecord::Inner(kPath, 0x100).data() + 524, 4);
  EXPECT_EQ(flags, 0u);
  std::memcpy(&flags, CreatorRecord::Inner(kPath, 0x1A5).data() + 524, 4);
  EXPECT_EQ(flags, 0x1A5u);
}

TEST(CreatorRecord, LongPathsAreCutToTheRecord) {
  std::wstring longPath(400, L'x');
  std::vector<BYTE> inner = CreatorRecord::Inner(longPath.c_str(), 0);
  ASSERT_EQ(inner.size(), 528u);
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(inner.data() + 4)), std::wstring(259, L'x'));
}

TEST(CreatorRecord, KeyComesFromTheWindowsDirectoryOrTheFallback) {
  EXPECT_EQ(CreatorRecord::ScrambleKey(L"C:\\no-such-windows-folder", 0), 19980412u);
  EXPECT_EQ(CreatorRecord::ScrambleKey(L"C:\\no-such-windows-folder", 0xFF00FF), 19980412u ^ 0xFF00FFu);
  EXPECT_EQ(CreatorRecord::ScrambleKey(0), CreatorRecordReader::SystemKey());
  EXPECT_EQ(CreatorRecord::ScrambleKey(7), CreatorRecordReader::SystemKey() ^ 7u);
}

TEST(CreatorRecord, ScramblingShiftsTheKeyByBits) {
  // The digest area and the inner record use opposite shift orders.
  EXPECT_EQ(CreatorRecord::DigestMask(0x1F6, 0), 0xF6);
  EXPECT_EQ(CreatorRecord::DigestMask(0x1F6, 1), 0xFB);
  EXPECT_EQ(CreatorRecord::DigestMask(0x1F6, 3), 0x3E);
  EXPECT_EQ(CreatorRecord::DigestMask(0x1F6, 4), 0xF6);
  EXPECT_EQ(CreatorRecord::InnerMask(0x1F6, 0), 0x3E);
  EXPECT_EQ(CreatorRecord::InnerMask(0x1F6, 3), 0xF6);
}

TEST(CreatorRecord, FallbackKeyRecordDecodesOnlyWithThatKey) {
  const DWORD key = CreatorRecord::ScrambleKey(L"C:\\no-such-windows-folder", 0);
  std::vector<BYTE> stored = CreatorRecord::Encode(CreatorRecord::Inner(kPath, 0), key);
  ASSERT_EQ(stored.size(), 592u);
  CreatorEntry entry;
  ASSERT_TRUE(CreatorRecordReader::Decode(stored, 19980412, &entry));
  EXPECT_EQ(entry.path, kPath);
  EXPECT_FALSE(CreatorRecordReader::Decode(stored, 19980413, &entry));
  // The digest area is the scrambled text of 32 hexadecimal digits and a NUL.
  EXPECT_EQ(stored[32] ^ CreatorRecord::DigestMask(key, 32), 0);
}

TEST(CreatorRecord, RegisterRefusesAMissingDll) {
  ToolbarRegistryGuard registry;
  EXPECT_EQ(CreatorRecord::Register(CLSID_ButtonCreator, L"C:\\no-such-folder\\barshare.dll", 0, 0), E_INVALIDARG);
  EXPECT_EQ(CreatorRecord::Register(CLSID_ButtonCreator, nullptr, 0, 0), E_INVALIDARG);
  EXPECT_TRUE(CreatorRecordReader::ReadValue(CLSID_ButtonCreator).empty());
}

TEST(CreatorRecord, RegistryBaseFollowsTheSystemVersion) {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ASSERT_TRUE(GetVersionExW(&version));
#pragma GCC diagnostic pop
  const bool lowIntegrity = version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 5;
  EXPECT_STREQ(ToolbarRegistry::Base(), lowIntegrity ? L"SOFTWARE\\AppDataLow\\Sorvane\\ZWToolbar"
                                                     : L"SOFTWARE\\Sorvane\\ZWToolbar");
  EXPECT_EQ(ToolbarRegistry::CreatorsKey(), std::wstring(ToolbarRegistry::Base()) + L"\\Creators");
  EXPECT_EQ(ToolbarRegistry::AccountKey(-5, L"Share"), std::wstring(ToolbarRegistry::Base()) + L"\\Accounts\\-5\\Share");
  EXPECT_EQ(ToolbarRegistry::AccountKey(12, nullptr), std::wstring(ToolbarRegistry::Base()) + L"\\Accounts\\12");
}

}  // namespace
