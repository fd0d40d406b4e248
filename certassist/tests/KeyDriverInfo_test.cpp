#include <gtest/gtest.h>

#include "TestText.h"

#include <string>
#include <vector>

#include "CCommonFun.h"
#include "TempFolder.h"

namespace {

std::vector<CString> Items(const CStringList& list) {
  std::vector<CString> items;
  for (POSITION at = list.GetHeadPosition(); at != nullptr;) items.push_back(list.GetNext(at));
  return items;
}

void Fill(TAG_KEY_DRV_INFO& info) {
  info.first = L"stale";
  info.third = L"stale";
  info.list.AddTail(L"stale");
}

void ExpectCleared(const TAG_KEY_DRV_INFO& info) {
  EXPECT_TRUE(info.first.IsEmpty());
  EXPECT_TRUE(info.third.IsEmpty());
  EXPECT_TRUE(info.list.IsEmpty());
}

class KeyDriverInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lines_.AddTail(L"HT,haitai#vid_5448&pid_0003,http://lcca.example/ht.exe");
    lines_.AddTail(L"ePass3003 vid_096e&pid_0702 only one, comma");
    lines_.AddTail(L"VID_096E&PID_0702,upper#case,ignored");
    lines_.AddTail(L"FT,ePass3003#vid_096e&pid_0702#3.0.1,setup\\FT.exe,with,commas");
    lines_.AddTail(L"FT,second,match");
    lines_.AddTail(L"FTP,,vid_096e&pid_0305");
  }

  CStringList lines_;
  CCommonFun tools_;
};

TEST_F(KeyDriverInfoTest, TakesTheFirstLineWithTheIdAndTwoCommas) {
  TAG_KEY_DRV_INFO info;
  Fill(info);
  ASSERT_EQ(1, tools_.GetKeyDrvInfo(2, lines_, info));
  EXPECT_EQ(CString(L"FT"), info.first);
  EXPECT_EQ(CString(L"setup\\FT.exe,with,commas"), info.third);
  EXPECT_EQ((std::vector<CString>{L"3.0.1", L"vid_096e&pid_0702", L"ePass3003"}), Items(info.list));

  ASSERT_EQ(1, tools_.GetKeyDrvInfo(1, lines_, info));
  EXPECT_EQ(CString(L"HT"), info.first);
  EXPECT_EQ(CString(L"http://lcca.example/ht.exe"), info.third);
  EXPECT_EQ((std::vector<CString>{L"vid_5448&pid_0003", L"haitai"}), Items(info.list));

  // The id may sit in any field; an empty second field is one empty piece.
  ASSERT_EQ(1, tools_.GetKeyDrvInfo(6, lines_, info));
  EXPECT_EQ(CString(L"FTP"), info.first);
  EXPECT_EQ(CString(L"vid_096e&pid_0305"), info.third);
  EXPECT_EQ((std::vector<CString>{L""}), Items(info.list));
}

TEST_F(KeyDriverInfoTest, TypesWithoutAnIdOrALineAnswerZeroAndClearTheRecord) {
  for (int type : {5, 7, 0, -1, 8}) {
    TAG_KEY_DRV_INFO info;
    Fill(info);
    EXPECT_EQ(0, tools_.GetKeyDrvInfo(type, lines_, info)) << "type " << type;
    ExpectCleared(info);
  }
  TAG_KEY_DRV_INFO info;
  Fill(info);
  EXPECT_EQ(0, tools_.GetKeyDrvInfo(3, lines_, info));  // no dmwz line
  ExpectCleared(info);
  CStringList none;
  EXPECT_EQ(0, tools_.GetKeyDrvInfo(2, none, info));
}

TEST(ChangeDriverVersionTest, WritesTheVersionUnderTheTypesCode) {
  TempFolder folder;
  CString ini(folder.File("drivers.ini").c_str());
  CCommonFun tools;
  const wchar_t* codes[] = {L"HT", L"FT", L"DM", L"ZC", nullptr, L"FTP", L"ZCO"};
  for (int type = 1; type <= 7; ++type) {
    CString version;
    version.Format(L"%d.0.%d", type, type * 11);
    tools.ChangeDriverVersion(type, version, ini);
    if (codes[type - 1] == nullptr) continue;
    wchar_t read[64] = {};
    GetPrivateProfileStringW(L"version", codes[type - 1], L"", read, 64, ini);
    EXPECT_EQ(version, CString(read)) << "type " << type;
  }
  tools.ChangeDriverVersion(5, L"5.5", ini);
  tools.ChangeDriverVersion(0, L"0.0", ini);
  wchar_t keys[512] = {};
  DWORD length = GetPrivateProfileStringW(L"version", nullptr, L"", keys, 512, ini);
  int count = 0;
  for (const wchar_t* key = keys; key < keys + length && *key != L'\0'; key += wcslen(key) + 1) ++count;
  EXPECT_EQ(6, count);
  // Without a file name nothing is written anywhere (win.ini stays untouched).
  tools.ChangeDriverVersion(1, L"9.9.9.9", L"");
  wchar_t winIni[64] = {};
  GetProfileStringW(L"version", L"HT", L"", winIni, 64);
  EXPECT_STREQ(L"", winIni);
}

TEST(SearchDeviceTest, AppendsPresentUsbDevicesWithoutClearingTheList) {
  std::vector<std::wstring> paths{L"kept from before"};
  EXPECT_EQ(0, CCommonFun().SearchDevice(paths));
  ASSERT_FALSE(paths.empty());
  EXPECT_EQ(L"kept from before", paths.front());
  for (size_t i = 1; i < paths.size(); ++i) {
    std::wstring lower = paths[i];
    for (wchar_t& ch : lower) ch = towlower(ch);
    EXPECT_NE(std::wstring::npos, lower.find(L"usb#")) << std::string(lower.begin(), lower.end());
  }
}

}  // namespace
