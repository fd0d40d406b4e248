#pragma once

#include <unknwn.h>

#include <cstddef>
#include <cstdint>

namespace win {

// One row of an object's interface table: the interface id and the offset of
// that interface's table pointer inside the object. The table ends with a
// row whose iid is null. The same shape as shlwapi's QITAB.
struct QiEntry {
  const IID* iid;
  std::ptrdiff_t offset;
};

// Offset of base interface `Interface` inside `Class`, for a QiEntry.
template <typename Interface, typename Class>
std::ptrdiff_t QiOffset() noexcept {
  // Any non-null address works; 8 keeps the cast away from null.
  Class* object = reinterpret_cast<Class*>(std::uintptr_t{8});
  return reinterpret_cast<std::uintptr_t>(static_cast<Interface*>(object)) - std::uintptr_t{8};
}

// QueryInterface through a table: IUnknown answers with the first row's
// interface; an unknown iid clears *out and answers E_NOINTERFACE.
inline HRESULT QiSearch(void* object, const QiEntry* table, REFIID iid, void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (table == nullptr || table[0].iid == nullptr) return E_NOINTERFACE;
  const QiEntry* match = IsEqualIID(iid, IID_IUnknown) ? table : nullptr;
  for (const QiEntry* row = table; match == nullptr && row->iid != nullptr; ++row) {
    if (IsEqualIID(iid, *row->iid)) match = row;
  }
  if (match == nullptr) return E_NOINTERFACE;
  auto* found = reinterpret_cast<IUnknown*>(static_cast<char*>(object) + match->offset);
  found->AddRef();
  *out = found;
  return S_OK;
}

}  // namespace win
