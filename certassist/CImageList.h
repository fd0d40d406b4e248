#pragma once

#include <windows.h>
#include <commctrl.h>

#include "CertAssistApi.h"

// Owns an image list and destroys it with the object.
class CERTASSIST_API CImageList {
 public:
  CImageList();
  ~CImageList();
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
  int Add(HICON icon);
  int GetImageCount() const;
  BOOL DeleteImageList();
  HIMAGELIST GetSafeHandle() const;

  HIMAGELIST m_hImageList;
};
