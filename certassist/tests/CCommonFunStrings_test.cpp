#include <gtest/gtest.h>

#include "TestText.h"

#include "CCommonFun.h"

namespace {

TEST(CompareCStringTest, ComparesVersionsCharacterByCharacter) {
  CCommonFun tools;
  EXPECT_EQ(1, tools.CompareCString(L"4.2.8.107", L"4.2.10.1"));  // '8' > '1' at the fifth character
  EXPECT_EQ(-1, tools.CompareCString(L"4.2.8.107", L"4.2.9.0"));
  EXPECT_EQ(0, tools.CompareCString(L"4.2.8.107", L"4.2.8.107"));
  EXPECT_EQ(0, tools.CompareCString(L"4.2.8.107", L""));
  EXPECT_EQ(0, tools.CompareCString(L"", L"4.2.8.107"));
  // Only the first argument's length counts; a shorter second one that
  // agrees as far as it goes leaves the first the greater.
  EXPECT_EQ(1, tools.CompareCString(L"4.2.8.107", L"4.2.8.1"));
  EXPECT_EQ(0, tools.CompareCString(L"4.2", L"4.2.8.107"));
  EXPECT_EQ(-1, tools.CompareCString(L"A", L"a"));
}

TEST(CharacterTestsTest, TellChineseEnglishAndTelephoneText) {
  CCommonFun tools;
  EXPECT_EQ(1, tools.IfChineseCh(L"abc岚"));
  EXPECT_EQ(1, tools.IfChineseCh(CString(L'\x100')));
  EXPECT_EQ(0, tools.IfChineseCh(CString(L'\xFF')));
  EXPECT_EQ(0, tools.IfChineseCh(L""));
  EXPECT_EQ(1, tools.IfEnglishCh(L"123z"));
  EXPECT_EQ(1, tools.IfEnglishCh(L"岚A"));
  EXPECT_EQ(0, tools.IfEnglishCh(L"123-@[`{"));
  EXPECT_EQ(0, tools.IfEnglishCh(L"ａ"));  // full-width letters are not ASCII
  EXPECT_EQ(1, tools.IfTelNumber(L"010-12345678"));
  EXPECT_EQ(1, tools.IfTelNumber(L""));
  EXPECT_EQ(0, tools.IfTelNumber(L"010 12345678"));
  EXPECT_EQ(0, tools.IfTelNumber(L"+8610"));
  EXPECT_EQ(0, tools.IfTelNumber(L"０１０"));
}

TEST(GetIndexStringValueTest, AnswersEmptyOutsideTheList) {
  CCommonFun tools;
  CStringList list;
  list.AddTail(L"first");
  list.AddTail(L"second");
  EXPECT_EQ(CString(L"first"), tools.GetIndexStringValue(0, list));
  EXPECT_EQ(CString(L"second"), tools.GetIndexStringValue(1, list));
  EXPECT_TRUE(tools.GetIndexStringValue(2, list).IsEmpty());
  EXPECT_TRUE(tools.GetIndexStringValue(-1, list).IsEmpty());
}

TEST(PathPartsTest, SplitsFoldersNamesAndExtensions) {
  CCommonFun tools;
  EXPECT_EQ(CString(L"C:\\Program Files\\LCCA_RTE\\"), tools.GetFilePathFromFileName(L"C:\\Program Files\\LCCA_RTE\\CertMgr.exe"));
  EXPECT_EQ(CString(L"http://host/dir\\"), tools.GetFilePathFromFileName(L"http://host/dir/file.txt"));
  EXPECT_EQ(CString(L"\\"), tools.GetFilePathFromFileName(L"CertMgr.exe"));

  EXPECT_EQ(CString(L"CertMgr.exe"), tools.GetFileTitleFromFileName(L"C:\\LCCA_RTE\\CertMgr.exe", 1));
  EXPECT_EQ(CString(L"CertMgr"), tools.GetFileTitleFromFileName(L"C:\\LCCA_RTE\\CertMgr.exe", 0));
  EXPECT_EQ(CString(L"archive.tar"), tools.GetFileTitleFromFileName(L"/tmp/archive.tar.gz", 0));
  EXPECT_EQ(CString(L"README"), tools.GetFileTitleFromFileName(L"README", 0));
  EXPECT_EQ(CString(L""), tools.GetFileTitleFromFileName(L"C:\\folder\\", 1));

  EXPECT_EQ(CString(L"lCCA_RTE"), tools.GetDirName(L"C:\\Program Files\\dmwz\\lCCA_RTE"));
  EXPECT_EQ(CString(L""), tools.GetDirName(L"C:\\Program Files\\dmwz\\"));
  EXPECT_EQ(CString(L"no-separator"), tools.GetDirName(L"no-separator"));
}

}  // namespace
