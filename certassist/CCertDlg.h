#pragma once

#include <windows.h>
#include <wincrypt.h>
#include <prsht.h>
#include <cryptuiapi.h>

#include <vector>

#include "CDialog.h"
#include "CImageList.h"
#include "CListCtrl.h"
#include "tagCertInfo.h"

// Lists the signing certificates that LCCA_CA issued from the current user's
// "MY" store and lets the user pick one. The list is built by the constructor,
// which throws the constant wide string "枚举系统证书失败" when the store
// cannot be read. The dialog owns every certificate context it hands out.
class CERTASSIST_API CCertDlg : public CDialog {
 public:
  enum { IDD = 101 };

  // mode non-zero: the user picks the certificate to extend.
  explicit CCertDlg(int mode = 0, CWnd* parent = nullptr)
      : CDialog(IDD, parent), m_mode(mode), m_selected(-1), m_viewCertificate(nullptr), m_cryptui(nullptr) {
    // Thrown here, in the caller's own code: the 32-bit runtime, linked
    // statically into each module, cannot carry an exception out of the DLL.
    if (LoadAndEnumerate() != 0) throw L"枚举系统证书失败";
  }
  virtual ~CCertDlg();

  int GetCertCount();
  // With exactly one certificate listed, these select it first. The context
  // stays owned by the dialog.
  const CERT_CONTEXT* GetCert();
  long GetSelectedIndex();
  CString GetCertSubject();

 protected:
  void DoDataExchange() override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnOK() override;
  void OnCancel() override;
  void OnShowWindow(BOOL show, UINT status);
  void OnDblclkCertlist(NMHDR* notify, LRESULT* result);
  void OnInfo();
  void OnClickCertlist(NMHDR* notify, LRESULT* result);

 private:
  typedef BOOL(WINAPI* ViewCertificateProc)(PCCRYPTUI_VIEWCERTIFICATE_STRUCTW, BOOL*);

  // Loads the viewer and builds the lists; on failure nothing is left held.
  unsigned long LoadAndEnumerate();
  unsigned long GetCertInfo(const CERT_CONTEXT* cert, int which, CString& out);
  CString FindString(CString name);
  unsigned long EnumCerts();
  void PutCert(const CERT_CONTEXT* cert);
  void AddCertInfo(tagCertInfo info);
  bool IsValidRow(long index) const;
  long SelectFirstSelectedRow();
  void SelectSingleEntry();
  void FillList();
  void ReleaseCerts();

  std::vector<tagCertInfo> m_certInfos;
  CImageList m_imageList;
  int m_mode;
  std::vector<const CERT_CONTEXT*> m_certs;
  long m_selected;
  CButton m_viewButton;
  CListCtrl m_list;
  ViewCertificateProc m_viewCertificate;
  HMODULE m_cryptui;
};
