#include <gtest/gtest.h>

#include "TestText.h"

#include <string>

#include "CRegister.h"
#include "win/Handles.h"

namespace {

// A key of its own below HKEY_CURRENT_USER, removed with everything in it.
class RegisterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = L"Software\\certassist-tests\\" + std::to_wstring(GetCurrentProcessId());
    win::UniqueRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, key.Put(), nullptr));
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\certassist-tests");
  }

  std::wstring path_;
  CRegister reg_;
};

TEST_F(RegisterTest, WritesAndReadsStringsAndNumbers) {
  ASSERT_EQ(ERROR_SUCCESS, reg_.OpenCurrentKey(path_.c_str()));
  EXPECT_EQ(ERROR_SUCCESS, reg_.SetValueString(L"name", L"岚川CA"));
  EXPECT_EQ(ERROR_SUCCESS, reg_.SetValueDword(L"zone", 2));
  EXPECT_EQ(ERROR_SUCCESS, reg_.SetValueInt(L"signed", -5));
  EXPECT_EQ(CString(L"岚川CA"), reg_.QueryValueString(L"name"));
  EXPECT_EQ(2u, reg_.QueryValueDword(L"zone"));
  int number = 0;
  EXPECT_EQ(1, reg_.QueryValueIntEX(L"signed", number));
  EXPECT_EQ(-5, number);
  DWORD dword = 0;
  EXPECT_EQ(1, reg_.QueryValueDwordEX(L"zone", dword));
  EXPECT_EQ(2u, dword);
  CString text;
  EXPECT_EQ(1, reg_.QueryValueStringEX(L"name", text));
  EXPECT_EQ(CString(L"岚川CA"), text);
  EXPECT_EQ(ERROR_SUCCESS, reg_.RegFlush());
}

TEST_F(RegisterTest, UnreadableValuesGiveTheFallbacks) {
  ASSERT_EQ(ERROR_SUCCESS, reg_.OpenCurrentKey(path_.c_str()));
  reg_.SetValueString(L"text", L"1234");
  EXPECT_EQ(100u, reg_.QueryValueDword(L"missing"));
  EXPECT_EQ(100u, reg_.QueryValueDword(L"text"));
  EXPECT_TRUE(reg_.QueryValueString(L"missing").IsEmpty());
  DWORD dword = 7;
  int number = 7;
  CString text(L"unchanged");
  EXPECT_EQ(0, reg_.QueryValueDwordEX(L"missing", dword));
  EXPECT_EQ(0, reg_.QueryValueIntEX(L"text", number));
  EXPECT_EQ(0, reg_.QueryValueStringEX(L"missing", text));
  EXPECT_EQ(7u, dword);
  EXPECT_EQ(7, number);
  EXPECT_EQ(CString(L"unchanged"), text);
}

TEST_F(RegisterTest, StringReadsStopAtTheirBufferSizes) {
  ASSERT_EQ(ERROR_SUCCESS, reg_.OpenCurrentKey(path_.c_str()));
  reg_.SetValueString(L"126", CString(L'a', 126));
  reg_.SetValueString(L"127", CString(L'b', 127));
  reg_.SetValueString(L"99", CString(L'c', 99));
  reg_.SetValueString(L"100", CString(L'd', 100));
  EXPECT_EQ(CString(L'a', 126), reg_.QueryValueString(L"126"));
  EXPECT_TRUE(reg_.QueryValueString(L"127").IsEmpty());
  CString text(L"unchanged");
  EXPECT_EQ(1, reg_.QueryValueStringEX(L"99", text));
  EXPECT_EQ(CString(L'c', 99), text);
  EXPECT_EQ(0, reg_.QueryValueStringEX(L"100", text));
  EXPECT_EQ(CString(L'c', 99), text);
  // A value stored without its terminating zero still reads as text.
  const wchar_t raw[] = {L'x', L'y', L'z'};
  win::UniqueRegKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_SET_VALUE, key.Put()));
  RegSetValueExW(key.Get(), L"raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), sizeof raw);
  EXPECT_EQ(CString(L"xyz"), reg_.QueryValueString(L"raw"));
}

TEST_F(RegisterTest, EnumeratesNamesAndAdvancesOnEveryCall) {
  ASSERT_EQ(ERROR_SUCCESS, reg_.OpenCurrentKey(path_.c_str()));
  std::wstring longest(1024, L'n'), tooLong(1025, L'x');
  reg_.SetValueDword(longest.c_str(), 1);
  reg_.SetValueDword(tooLong.c_str(), 2);
  reg_.SetValueDword(L"short", 3);
  int found = 0, tooLongSeen = 0;
  CString name;
  for (int call = 0; call < 3; ++call) {
    name = L"before";
    LONG result = reg_.EnumValue(name);
    if (result == ERROR_MORE_DATA) {
      ++tooLongSeen;
      EXPECT_EQ(CString(L"before"), name);
    } else {
      ASSERT_EQ(ERROR_SUCCESS, result);
      found += name == CString(longest.c_str()) || name == CString(L"short");
    }
  }
  EXPECT_EQ(2, found);
  EXPECT_EQ(1, tooLongSeen);
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, reg_.EnumValue(name));
}

TEST_F(RegisterTest, CreateKeyMovesDownAndKeepsTheOldKeyOnFailure) {
  ASSERT_EQ(ERROR_SUCCESS, reg_.OpenCurrentKey(path_.c_str()));
  EXPECT_EQ(0u, reg_.QuerySubKeyNum());
  EXPECT_EQ(0, reg_.CreateKey(std::wstring(1024, L'k').c_str()));
  EXPECT_EQ(ERROR_SUCCESS, reg_.SetValueDword(L"still", 1));
  EXPECT_EQ(1, reg_.CreateKey(L"child"));
  EXPECT_EQ(ERROR_SUCCESS, reg_.SetValueDword(L"inside", 4));
  EXPECT_EQ(100u, reg_.QueryValueDword(L"still"));

  ASSERT_EQ(ERROR_SUCCESS, reg_.OpenCurrentKey(path_.c_str()));
  EXPECT_EQ(1u, reg_.QueryValueDword(L"still"));
  EXPECT_EQ(1u, reg_.QuerySubKeyNum());
  CString name;
  EXPECT_EQ(ERROR_SUCCESS, reg_.EnumKey(name));
  EXPECT_EQ(CString(L"child"), name);
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, reg_.EnumKey(name));
}

TEST_F(RegisterTest, DeletesValuesButNeverKeys) {
  ASSERT_EQ(ERROR_SUCCESS, reg_.OpenCurrentKey(path_.c_str()));
  ASSERT_EQ(1, reg_.CreateKey(L"same"));
  ASSERT_EQ(ERROR_SUCCESS, reg_.OpenCurrentKey(path_.c_str()));
  reg_.SetValueDword(L"same", 1);
  reg_.SetValueDword(L"other", 2);
  win::UniqueRegKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, key.Put()));
  EXPECT_EQ(1, reg_.DeleteKey(key.Get(), L"same"));
  EXPECT_EQ(0, reg_.DeleteKey(key.Get(), L"same"));
  EXPECT_EQ(1u, reg_.QuerySubKeyNum());
  EXPECT_EQ(1, reg_.DeleteSubKeyValue(L"other"));
  EXPECT_EQ(0, reg_.DeleteSubKeyValue(L"other"));
  EXPECT_EQ(100u, reg_.QueryValueDword(L"other"));
}

TEST_F(RegisterTest, EveryOpenClosesThePreviousKey) {
  ASSERT_EQ(ERROR_SUCCESS, reg_.OpenCurrentKey(path_.c_str()));
  reg_.SetValueDword(L"v", 1);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg_.OpenCurrentKey((path_ + L"\\missing").c_str()));
  EXPECT_EQ(100u, reg_.QueryValueDword(L"v"));
  EXPECT_EQ(0xFFFFFFFFu, reg_.QuerySubKeyNum());
  EXPECT_EQ(0, reg_.CreateKey(L"child"));
  EXPECT_NE(ERROR_SUCCESS, reg_.SetValueDword(L"v", 2));
  ASSERT_EQ(ERROR_SUCCESS, reg_.OpenCurrentKey(path_.c_str()));
  reg_.RegClose();
  EXPECT_EQ(100u, reg_.QueryValueDword(L"v"));
  EXPECT_EQ(ERROR_SUCCESS, reg_.OpenLocalMachineKey(L"Software"));
  EXPECT_EQ(ERROR_SUCCESS, reg_.OpenClassRootKey(L"CLSID"));
}

}  // namespace
