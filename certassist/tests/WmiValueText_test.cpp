// WMI property values as report text, built by hand in the types WMI hands
// out (a uint32 arrives in a signed VARIANT, a uint64 as decimal text).
#include <gtest/gtest.h>

#include "TestText.h"

#include "WmiValueText.h"

namespace {

using certassist::WmiValueText;

CString Text(VARIANT value, CIMTYPE type) {
  CString text = L"(unchanged)";
  EXPECT_TRUE(WmiValueText(value, type, text));
  return text;
}

TEST(WmiValueText, ScalarsTakeOneFormEach) {
  VARIANT value;
  value.vt = VT_I4;
  value.lVal = -1;
  EXPECT_EQ(CString(L"4294967295"), Text(value, CIM_UINT32));
  EXPECT_EQ(CString(L"-1"), Text(value, CIM_SINT32));
  value.vt = VT_I2;
  value.iVal = -300;
  EXPECT_EQ(CString(L"-300"), Text(value, CIM_SINT16));
  value.vt = VT_UI1;
  value.bVal = 200;
  EXPECT_EQ(CString(L"200"), Text(value, CIM_UINT8));
  value.vt = VT_BOOL;
  value.boolVal = VARIANT_TRUE;
  EXPECT_EQ(CString(L"TRUE"), Text(value, CIM_BOOLEAN));
  value.boolVal = VARIANT_FALSE;
  EXPECT_EQ(CString(L"FALSE"), Text(value, CIM_BOOLEAN));
  // A decimal point whatever the user's locale says.
  value.vt = VT_R8;
  value.dblVal = 2.5;
  EXPECT_EQ(CString(L"2.5"), Text(value, CIM_REAL64));
  value.vt = VT_NULL;
  EXPECT_EQ(CString(), Text(value, CIM_DATETIME));
  value.vt = VT_EMPTY;
  EXPECT_EQ(CString(), Text(value, CIM_STRING));
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(L"20240229120000.000000+480");
  EXPECT_EQ(CString(L"20240229120000.000000+480"), Text(value, CIM_DATETIME));
  VariantClear(&value);
}

TEST(WmiValueText, ArraysJoinTheirElements) {
  SAFEARRAY* names = SafeArrayCreateVector(VT_BSTR, 0, 3);
  const wchar_t* texts[] = {L"zh-CN", L"", L"en-US"};
  for (LONG i = 0; i < 3; ++i) {
    BSTR text = SysAllocString(texts[i]);
    SafeArrayPutElement(names, &i, text);
    SysFreeString(text);
  }
  VARIANT value;
  value.vt = VT_ARRAY | VT_BSTR;
  value.parray = names;
  EXPECT_EQ(CString(L"zh-CN,,en-US"), Text(value, CIM_STRING | CIM_FLAG_ARRAY));
  VariantClear(&value);

  SAFEARRAY* numbers = SafeArrayCreateVector(VT_I4, 0, 2);
  LONG first = 0, second = 1, big = -2, small = 42;
  SafeArrayPutElement(numbers, &first, &big);
  SafeArrayPutElement(numbers, &second, &small);
  value.vt = VT_ARRAY | VT_I4;
  value.parray = numbers;
  EXPECT_EQ(CString(L"4294967294,42"), Text(value, CIM_UINT32 | CIM_FLAG_ARRAY));
  VariantClear(&value);
}

TEST(WmiValueText, EmbeddedObjectsAreNoText) {
  VARIANT value;
  value.vt = VT_UNKNOWN;
  value.punkVal = nullptr;
  CString text = L"kept";
  EXPECT_FALSE(WmiValueText(value, CIM_OBJECT, text));
  EXPECT_EQ(CString(L"kept"), text);
}

}  // namespace
