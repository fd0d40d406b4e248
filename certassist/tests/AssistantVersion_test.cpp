// The assistant's version from its uninstall entry or from "ver.ini" beside
// the running program (this test program), which then becomes the entry.
#include <gtest/gtest.h>

#include "TestText.h"

#include <string>

#include "CCommonFun.h"
#include "TempFolder.h"
#include "win/Handles.h"

namespace {

const wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t kEntry[] = L"{E69A4C4B-D180-4D67-8418-9090B1CF134F}";

std::string BesideProgram(const char* name) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string program(path);
  return program.substr(0, program.rfind('\\') + 1) + name;
}

std::string TempFile(const char* name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

class AssistantVersionTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  void Clean() {
    DeleteFileA(BesideProgram("ver.ini").c_str());
    DeleteFileA(TempFile("temp43hgfhd.reg").c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kUninstall) + kEntry).c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (std::wstring(kUninstall) + kEntry).c_str());
  }
  bool Entry(const wchar_t* name, std::wstring& value) {
    wchar_t text[512] = {};
    DWORD bytes = sizeof text;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, (std::wstring(kUninstall) + kEntry).c_str(), name, RRF_RT_REG_SZ, nullptr,
                     text, &bytes) != ERROR_SUCCESS)
      return false;
    value = text;
    return true;
  }
  bool EntryExists() {
    win::UniqueRegKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kUninstall) + kEntry).c_str(), 0, KEY_READ, key.Put()) ==
           ERROR_SUCCESS;
  }

  CCommonFun tools_;
};

TEST_F(AssistantVersionTest, TheIniVersionBecomesTheUninstallEntry) {
  ASSERT_TRUE(WriteFileBytes(BesideProgram("ver.ini"), CodePage936(L"[version]\r\nCertButler=2.1.0 正式版\r\n")));
  EXPECT_EQ(CString(L"2.1.0 正式版"), tools_.GetAssistantVersion());
  EXPECT_EQ(CodePage936(L"Windows Registry Editor Version 5.00\r\n"
                        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                        L"{E69A4C4B-D180-4D67-8418-9090B1CF134F}]\r\n"
                        L"\"DisplayName\"=\"CA证书管家\"\r\n"
                        L"\"DisplayVersion\"=\"2.1.0 正式版\""),
            ReadFileBytes(TempFile("temp43hgfhd.reg")));
  std::wstring value;
  ASSERT_TRUE(Entry(L"DisplayVersion", value));
  EXPECT_EQ(L"2.1.0 正式版", value);
  ASSERT_TRUE(Entry(L"DisplayName", value));
  EXPECT_EQ(L"CA证书管家", value);

  // From now on the entry answers, whatever the file says.
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, (std::wstring(kUninstall) + kEntry).c_str(),
                                           L"DisplayVersion", REG_SZ, L"3.0", 8));
  EXPECT_EQ(CString(L"3.0"), tools_.GetAssistantVersion());
}

// Without a version nothing is recorded: an empty entry would hide any later
// "ver.ini" for good.
TEST_F(AssistantVersionTest, AMissingOrEmptyIniGivesNothingAndRecordsNothing) {
  EXPECT_TRUE(tools_.GetAssistantVersion().IsEmpty());
  EXPECT_FALSE(EntryExists());
  ASSERT_TRUE(WriteFileBytes(BesideProgram("ver.ini"), ""));
  EXPECT_TRUE(tools_.GetAssistantVersion().IsEmpty());
  ASSERT_TRUE(WriteFileBytes(BesideProgram("ver.ini"), "[version]\r\nCertButler=\r\n"));
  EXPECT_TRUE(tools_.GetAssistantVersion().IsEmpty());
  EXPECT_FALSE(EntryExists());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(TempFile("temp43hgfhd.reg").c_str()));
}

TEST_F(AssistantVersionTest, QuotesAndBackslashesReachTheEntryUnchanged) {
  ASSERT_TRUE(WriteFileBytes(BesideProgram("ver.ini"), "[version]\r\nCertButler=2.0 \"beta\" \\x\\\r\n"));
  CString version = tools_.GetAssistantVersion();
  std::wstring value;
  ASSERT_TRUE(Entry(L"DisplayVersion", value));
  EXPECT_EQ(std::wstring(version.GetString()), value);
  EXPECT_NE(std::wstring::npos, value.find(L"\\x\\"));
}

// A UTF-16 file is read as such; bytes that are no code page 936 text never
// record something other than what was read.
TEST_F(AssistantVersionTest, IniFilesInOtherEncodings) {
  std::wstring utf16 = L"\xFEFF[version]\r\nCertButler=2.2.0 测试\r\n";
  ASSERT_TRUE(WriteFileBytes(BesideProgram("ver.ini"),
                         std::string(reinterpret_cast<const char*>(utf16.data()), utf16.size() * sizeof(wchar_t))));
  EXPECT_EQ(CString(L"2.2.0 测试"), tools_.GetAssistantVersion());
  std::wstring value;
  ASSERT_TRUE(Entry(L"DisplayVersion", value));
  EXPECT_EQ(L"2.2.0 测试", value);
  Clean();

  ASSERT_TRUE(WriteFileBytes(BesideProgram("ver.ini"), "[version]\r\nCertButler=2.3\x80\xFF\xFE\x81\r\n"));
  CString read = tools_.GetAssistantVersion();
  EXPECT_EQ(CString(L"2.3"), read.Left(3));
  if (Entry(L"DisplayVersion", value)) {
    EXPECT_EQ(std::wstring(read.GetString()), value);
  }
}

TEST_F(AssistantVersionTest, OlderUninstallEntriesAreRemoved) {
  for (const wchar_t* name : {L"岚川CA证书管家_is1", L"CA证书管家_is1", L"证书管家2.0.1_is1"}) {
    std::wstring key = std::wstring(kUninstall) + name + L"\\sub";
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"x", REG_SZ, L"1", 4));
  }
  tools_.GetAssistantVersion();
  for (const wchar_t* name : {L"岚川CA证书管家_is1", L"CA证书管家_is1", L"证书管家2.0.1_is1"}) {
    win::UniqueRegKey key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kUninstall) + name).c_str(), 0,
                                           KEY_READ, key.Put()));
  }
}

}  // namespace
