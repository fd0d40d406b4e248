#pragma once

#include "CString.h"

// One row of the certificate picker.
struct tagCertInfo {
  CString issuedTo;  // common name of the subject
  CString issuer;    // common name of the issuer, upper-cased
  CString expiry;    // NotAfter in local time, "%Y年%m月%d日"
  CString usage;     // always "签名"
  int valid;         // 1 while the NotAfter date is today or later
};
