#include <gtest/gtest.h>

#include "TestText.h"

#include "CString.h"
#include "CStringList.h"

namespace {

TEST(CString, ConvertsNarrowTextFromTheSystemCodePage) {
  const char gb2312[] = "\xD6\xA4\xCA\xE9 ok";  // "证书 ok" in code page 936
  CString text(gb2312);
  EXPECT_EQ(CString(L"证书 ok"), text);
  EXPECT_EQ(5, text.GetLength());
  EXPECT_TRUE(CString(static_cast<const char*>(nullptr)).IsEmpty());
}

TEST(CString, CutsAndSearchesWithinBounds) {
  CString text(L"CN=张三, O=LCCA");
  EXPECT_EQ(0, text.Find(L"CN="));
  EXPECT_EQ(5, text.Find(L','));
  EXPECT_EQ(-1, text.Find(L"CN=", 1));
  EXPECT_EQ(-1, text.Find(L'x', 100));
  EXPECT_EQ(CString(L"张三"), text.Mid(3, 2));
  EXPECT_EQ(CString(L"LCCA"), text.Right(4));
  EXPECT_EQ(CString(L"CN"), text.Left(2));
  EXPECT_EQ(text, text.Mid(-5, 1000));
  EXPECT_TRUE(text.Mid(100).IsEmpty());
  EXPECT_TRUE(text.Left(-1).IsEmpty());
  EXPECT_EQ(9, text.ReverseFind(L'L'));
}

TEST(CString, EditsInPlace) {
  CString text(L"a b  c=d e");
  EXPECT_EQ(4, text.Remove(L' '));
  EXPECT_EQ(CString(L"abc=de"), text);
  EXPECT_EQ(2, text.Replace(L"de", L"xyz") + text.Replace(L"a", L""));
  EXPECT_EQ(CString(L"bc=xyz"), text);
  EXPECT_EQ(0, text.Replace(L"", L"q"));
  EXPECT_EQ(CString(L"LCCA_CA"), CString(L"lcca_ca").MakeUpper());
  EXPECT_EQ(CString(L"lcca_ca"), CString(L"LCCA_CA").MakeLower());
  EXPECT_EQ(0, CString(L"Abc").CompareNoCase(L"aBC"));
  EXPECT_NE(CString(L"Abc"), CString(L"abc"));
}

TEST(CString, FormatsWithWideStringArguments) {
  CString text;
  text.Format(L"\\StringFileInfo\\%04x%04x\\%s", 0x804, 936, L"FileVersion");
  EXPECT_EQ(CString(L"\\StringFileInfo\\080403a8\\FileVersion"), text);
  text.Format(L"%d.%d", 1, 2);
  EXPECT_EQ(CString(L"1.2"), text);
  std::wstring wide(5000, L'x');
  text.Format(L"%s!", wide.c_str());
  EXPECT_EQ(5001, text.GetLength());
}

TEST(CString, BufferAccessKeepsLengthConsistent) {
  CString text;
  wchar_t* buffer = text.GetBuffer(10);
  wcscpy(buffer, L"abc");
  text.ReleaseBuffer();
  EXPECT_EQ(3, text.GetLength());
  text.GetBufferSetLength(2);
  text.ReleaseBuffer(50);
  EXPECT_EQ(CString(L"ab"), text);
}

TEST(CStringList, KeepsOrderAndFindsByIndex) {
  CStringList list;
  EXPECT_EQ(nullptr, list.FindIndex(0));
  list.AddTail(L"b");
  list.AddTail(L"c");
  list.AddHead(L"a");
  ASSERT_EQ(3, list.GetCount());
  EXPECT_EQ(CString(L"c"), list.GetAt(list.FindIndex(2)));
  EXPECT_EQ(nullptr, list.FindIndex(3));
  EXPECT_EQ(nullptr, list.FindIndex(-1));
  CString joined;
  for (POSITION at = list.GetHeadPosition(); at != nullptr;) joined += list.GetNext(at);
  EXPECT_EQ(CString(L"abc"), joined);
  list.RemoveAt(list.Find(L"b"));
  list.InsertBefore(list.GetTailPosition(), L"x");
  EXPECT_EQ(CString(L"x"), list.GetAt(list.FindIndex(1)));
  EXPECT_EQ(CString(L"c"), list.RemoveTail());
  EXPECT_EQ(CString(L"a"), list.RemoveHead());
  EXPECT_EQ(1, list.GetCount());
  list.RemoveAll();
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(nullptr, list.GetHeadPosition());
}

}  // namespace
