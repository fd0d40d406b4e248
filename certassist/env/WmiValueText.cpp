#include "WmiValueText.h"

#include <string>

namespace certassist {

namespace {

bool ScalarText(const VARIANT& value, CIMTYPE type, CString& text) {
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL: text.Empty(); return true;
    case VT_BSTR: text = CString(value.bstrVal, static_cast<int>(SysStringLen(value.bstrVal))); return true;
    case VT_BOOL: text = value.boolVal != VARIANT_FALSE ? L"TRUE" : L"FALSE"; return true;
    case VT_I4:
      if (type == CIM_UINT32) {
        text = std::to_wstring(static_cast<ULONG>(value.lVal)).c_str();
        return true;
      }
      break;
    case VT_UNKNOWN:
    case VT_DISPATCH: return false;
    default: break;
  }
  // Numbers in the invariant locale: a decimal point whatever the user's.
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeTypeEx(&converted, const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0, VT_BSTR))) return false;
  text = CString(converted.bstrVal, static_cast<int>(SysStringLen(converted.bstrVal)));
  VariantClear(&converted);
  return true;
}

bool ArrayText(const VARIANT& value, CIMTYPE type, CString& text) {
  SAFEARRAY* array = value.parray;
  VARTYPE elementType = static_cast<VARTYPE>(value.vt & VT_TYPEMASK);
  LONG lower = 0, upper = -1;
  if (array == nullptr || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper)))
    return false;
  CString joined;
  for (LONG index = lower; index <= upper; ++index) {
    VARIANT element;
    VariantInit(&element);
    // Every member of the VARIANT's value union starts at the same place.
    void* slot = elementType == VT_VARIANT ? static_cast<void*>(&element) : static_cast<void*>(&element.llVal);
    if (FAILED(SafeArrayGetElement(array, &index, slot))) return false;
    if (elementType != VT_VARIANT) element.vt = elementType;
    CString piece;
    bool converted = ScalarText(element, type & ~CIM_FLAG_ARRAY, piece);
    VariantClear(&element);
    if (!converted) return false;
    if (index > lower) joined += L",";
    joined += piece;
  }
  text = joined;
  return true;
}

}  // namespace

bool WmiValueText(const VARIANT& value, CIMTYPE type, CString& text) {
  return (value.vt & VT_ARRAY) != 0 ? ArrayText(value, type, text) : ScalarText(value, type, text);
}

}  // namespace certassist
