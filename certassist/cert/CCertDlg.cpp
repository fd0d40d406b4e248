#include "CCertDlg.h"

#include <utility>

#include "win/CryptHandles.h"
#include "win/Handles.h"

namespace {

const DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
const DWORD kNameChars = 2048;
const int kListId = 1001;
const int kViewButtonId = 1002;
const int kPromptId = 8000;
const int kValidIcon = 1003;
const int kExpiredIcon = 1004;

// Moves `current` to the store's next certificate; the enumeration frees the
// one before. Whatever `current` holds when a walk ends early is freed by it.
bool NextCertificate(HCERTSTORE store, win::UniqueCertContext& current) {
  current.Reset(CertEnumCertificatesInStore(store, current.Release()));
  return current.IsValid();
}

bool HasDigitalSignatureUsage(PCCERT_CONTEXT cert) {
  BYTE usage[2] = {};
  return CertGetIntendedKeyUsage(kEncoding, cert->pCertInfo, usage, sizeof usage) &&
         (usage[0] & CERT_DIGITAL_SIGNATURE_KEY_USAGE) != 0;
}

SYSTEMTIME LocalDate(const FILETIME& utc) {
  FILETIME local{};
  SYSTEMTIME date{};
  FileTimeToLocalFileTime(&utc, &local);
  FileTimeToSystemTime(&local, &date);
  return date;
}

// Only the date counts: a certificate that expires later today is still valid.
int IsValidOn(const SYSTEMTIME& notAfter, const SYSTEMTIME& today) {
  if (notAfter.wYear != today.wYear) return notAfter.wYear > today.wYear;
  if (notAfter.wMonth != today.wMonth) return notAfter.wMonth > today.wMonth;
  return notAfter.wDay >= today.wDay;
}

HICON LoadSmallIcon(int id) {
  return static_cast<HICON>(LoadImageW(CertAssistInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
}

}  // namespace

// The destructor does not run for a constructor that throws, so nothing is
// handed to the members before the whole list was read: on failure the
// owners here and in EnumCerts() let go of everything.
unsigned long CCertDlg::LoadAndEnumerate() {
  win::UniqueModule cryptui(LoadLibraryW(L"Cryptui.dll"));
  if (unsigned long error = EnumCerts()) return error;
  if (cryptui) {
    m_viewCertificate = reinterpret_cast<ViewCertificateProc>(
        reinterpret_cast<void*>(GetProcAddress(cryptui.Get(), "CryptUIDlgViewCertificateW")));
  }
  m_cryptui = cryptui.Release();
  return 0;
}

CCertDlg::~CCertDlg() { ReleaseCerts(); }

// The exported layout keeps plain handles; they are freed through the owners
// all the same.
void CCertDlg::ReleaseCerts() {
  for (const CERT_CONTEXT* cert : m_certs) win::UniqueCertContext freed(cert);
  m_certs.clear();
  m_certInfos.clear();
  m_viewCertificate = nullptr;
  win::UniqueModule freed(std::exchange(m_cryptui, nullptr));
}

int CCertDlg::GetCertCount() { return static_cast<int>(m_certs.size()); }

void CCertDlg::SelectSingleEntry() {
  if (m_certs.size() == 1) m_selected = 0;
}

const CERT_CONTEXT* CCertDlg::GetCert() {
  SelectSingleEntry();
  return IsValidRow(m_selected) ? m_certs[m_selected] : nullptr;
}

long CCertDlg::GetSelectedIndex() { return m_selected; }

CString CCertDlg::GetCertSubject() {
  SelectSingleEntry();
  return IsValidRow(m_selected) ? m_certInfos[m_selected].issuedTo : CString();
}

bool CCertDlg::IsValidRow(long index) const { return index >= 0 && index < static_cast<long>(m_certs.size()); }

unsigned long CCertDlg::GetCertInfo(const CERT_CONTEXT* cert, int which, CString& out) {
  if (which != 0 && which != 1) return ERROR_INVALID_PARAMETER;
  CERT_NAME_BLOB* name = which == 0 ? &cert->pCertInfo->Subject : &cert->pCertInfo->Issuer;
  wchar_t buffer[kNameChars] = {};
  SetLastError(0);
  DWORD chars = CertNameToStrW(kEncoding, name, CERT_X500_NAME_STR, buffer, kNameChars);
  if (chars <= 1) {
    // An empty name converts to the terminating zero alone and no error.
    out.Empty();
    return GetLastError();
  }
  out = FindString(buffer);
  return 0;
}

CString CCertDlg::FindString(CString name) {
  int start = name.Find(L"CN=");
  if (start < 0) return CString();
  CString rest = name.Mid(start + 3);
  int comma = rest.Find(L',');
  return comma < 0 ? rest : rest.Left(comma);
}

unsigned long CCertDlg::EnumCerts() {
  win::UniqueCertStore store(CertOpenSystemStoreW(0, L"MY"));
  if (!store) return GetLastError();
  SYSTEMTIME today{};
  GetLocalTime(&today);
  std::vector<std::pair<win::UniqueCertContext, tagCertInfo>> found;
  win::UniqueCertContext current;
  while (NextCertificate(store.Get(), current)) {
    PCCERT_CONTEXT cert = current.Get();
    if (!HasDigitalSignatureUsage(cert)) continue;
    tagCertInfo info{};
    if (unsigned long error = GetCertInfo(cert, 0, info.issuedTo)) return error;
    if (info.issuedTo.IsEmpty()) continue;
    if (unsigned long error = GetCertInfo(cert, 1, info.issuer)) return error;
    info.issuer.MakeUpper();
    if (info.issuer.IsEmpty() || info.issuer != L"LCCA_CA") continue;
    info.usage = L"签名";
    SYSTEMTIME notAfter = LocalDate(cert->pCertInfo->NotAfter);
    info.expiry.Format(L"%04d年%02d月%02d日", notAfter.wYear, notAfter.wMonth, notAfter.wDay);
    info.valid = IsValidOn(notAfter, today);
    found.emplace_back(win::UniqueCertContext(CertDuplicateCertificateContext(cert)), info);
  }
  for (auto& [context, info] : found) {
    PutCert(context.Release());
    AddCertInfo(info);
  }
  return 0;
}

void CCertDlg::PutCert(const CERT_CONTEXT* cert) { m_certs.push_back(cert); }

void CCertDlg::AddCertInfo(tagCertInfo info) { m_certInfos.push_back(info); }

void CCertDlg::DoDataExchange() {
  m_viewButton.Attach(GetDlgItem(kViewButtonId));
  m_list.Attach(GetDlgItem(kListId));
}

BOOL CCertDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_SHOWWINDOW:
      OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
      return FALSE;  // the default handling continues
    case WM_NOTIFY: {
      NMHDR* notify = reinterpret_cast<NMHDR*>(lParam);
      if (notify->idFrom != kListId) return FALSE;
      if (notify->code == NM_DBLCLK) {
        OnDblclkCertlist(notify, result);
        return TRUE;
      }
      if (notify->code == NM_CLICK) {
        OnClickCertlist(notify, result);
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kViewButtonId && HIWORD(wParam) == BN_CLICKED) {
        OnInfo();
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      m_list.SetImageList(nullptr, LVSIL_SMALL);
      return FALSE;
    case WM_NCDESTROY:
      m_list.Detach();
      m_viewButton.Detach();
      return FALSE;
  }
  return FALSE;
}

void CCertDlg::OnShowWindow(BOOL show, UINT) {
  // Rows are built once, the first time the dialog is shown.
  if (!show || m_list.GetColumnCount() > 0) return;
  if (m_mode != 0) ::SetDlgItemTextW(m_hWnd, kPromptId, L"请选择要延期的证书");
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  m_list.InsertColumn(0, L"颁发给", LVCFMT_IMAGE, 232);
  m_list.InsertColumn(1, L"颁发者", LVCFMT_LEFT, 70);
  m_list.InsertColumn(2, L"用法", LVCFMT_LEFT, 45);
  m_list.InsertColumn(3, L"截止时间", LVCFMT_LEFT, 90);
  m_list.DeleteAllItems();
  m_imageList.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 1);
  for (int id : {kValidIcon, kExpiredIcon}) {
    win::UniqueIcon icon(LoadSmallIcon(id));
    m_imageList.Add(icon.Get());
  }
  m_list.SetImageList(&m_imageList, LVSIL_SMALL);
  FillList();
}

void CCertDlg::FillList() {
  for (size_t i = 0; i < m_certInfos.size(); ++i) {
    const tagCertInfo& info = m_certInfos[i];
    int row = static_cast<int>(i);
    m_list.InsertItem(row, info.issuedTo, info.valid ? 0 : 1);
    m_list.SetItemText(row, 1, info.issuer);
    m_list.SetItemText(row, 2, info.usage);
    m_list.SetItemText(row, 3, info.expiry);
  }
}

long CCertDlg::SelectFirstSelectedRow() {
  m_selected = m_list.GetFirstSelectedItem();
  return m_selected;
}

void CCertDlg::OnClickCertlist(NMHDR*, LRESULT* result) {
  bool viewable = IsValidRow(SelectFirstSelectedRow()) && m_viewCertificate != nullptr;
  m_viewButton.EnableWindow(viewable);
  *result = 0;
}

void CCertDlg::OnDblclkCertlist(NMHDR*, LRESULT* result) {
  if (IsValidRow(SelectFirstSelectedRow())) EndDialog(IDOK);
  *result = 0;
}

void CCertDlg::OnOK() {
  if (IsValidRow(SelectFirstSelectedRow())) {
    EndDialog(IDOK);
    return;
  }
  MessageBox(L"请先选择一个证书!", GetWindowText());
}

void CCertDlg::OnCancel() {
  m_selected = -1;
  EndDialog(IDCANCEL);
}

void CCertDlg::OnInfo() {
  if (!IsValidRow(m_selected) || m_viewCertificate == nullptr) return;
  CRYPTUI_VIEWCERTIFICATE_STRUCTW view{};
  view.dwSize = sizeof view;
  view.hwndParent = m_hWnd;
  view.dwFlags = CRYPTUI_DISABLE_ADDTOSTORE;
  view.pCertContext = m_certs[m_selected];
  BOOL changed = FALSE;
  m_viewCertificate(&view, &changed);
}
