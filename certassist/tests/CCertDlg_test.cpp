#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "CCertDlg.h"
#include "CertificateMaker.h"
#include "OwnWindows.h"
#include "TestText.h"
#include "win/CryptHandles.h"
#include "win/Handles.h"

namespace {

const int kDigitalSignature = CERT_DIGITAL_SIGNATURE_KEY_USAGE;
const int kKeyEncipherment = CERT_KEY_ENCIPHERMENT_KEY_USAGE;

CString DateText(const FILETIME& utc) {
  FILETIME local{};
  SYSTEMTIME date{};
  FileTimeToLocalFileTime(&utc, &local);
  FileTimeToSystemTime(&local, &date);
  CString text;
  text.Format(L"%04d年%02d月%02d日", date.wYear, date.wMonth, date.wDay);
  return text;
}

struct Expected {
  PCCERT_CONTEXT cert;
  CString issuedTo;
  CString expiry;
  int image;
};

class CertDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(certs_.Ready()); }

  // issuedTo: the common name as the platform writes it in X.500 text.
  void AddMatching(const wchar_t* subject, const wchar_t* issuer, const wchar_t* commonName, FILETIME notAfter,
                   int image) {
    CString issuedTo = CertificateMaker::CommonNameText(commonName).c_str();
    PCCERT_CONTEXT cert = certs_.Add(subject, issuer, kDigitalSignature, notAfter);
    ASSERT_NE(nullptr, cert);
    expected_.push_back({cert, issuedTo, DateText(notAfter), image});
  }

  void AddFilteredOut() {
    FILETIME nextYear = CertificateMaker::Days(365);
    ASSERT_NE(nullptr, certs_.Add(L"CN=王五, O=certassist-test", L"CN=LCCA_CAX", kDigitalSignature, nextYear));
    ASSERT_NE(nullptr, certs_.Add(L"CN=王五, O=certassist-test", L"O=LCCA_CA", kDigitalSignature, nextYear));
    ASSERT_NE(nullptr, certs_.Add(L"CN=王五, O=certassist-test", L"CN=LCCA_CA", kKeyEncipherment, nextYear));
    ASSERT_NE(nullptr, certs_.Add(L"CN=王五, O=certassist-test", L"CN=LCCA_CA", CertificateMaker::kNoKeyUsage,
                                  nextYear));
    ASSERT_NE(nullptr, certs_.Add(L"O=certassist-test", L"CN=LCCA_CA", kDigitalSignature, nextYear));
  }

  // The expected certificates in the order a fresh handle of the store enumerates them.
  std::vector<Expected> InStoreOrder() const {
    std::vector<Expected> ordered;
    win::UniqueCertStore store(CertOpenSystemStoreW(0, L"MY"));
    PCCERT_CONTEXT cert = nullptr;
    while ((cert = CertEnumCertificatesInStore(store.Get(), cert)) != nullptr) {
      for (const Expected& e : expected_) {
        if (CertCompareCertificate(X509_ASN_ENCODING, cert->pCertInfo, e.cert->pCertInfo)) ordered.push_back(e);
      }
    }
    return ordered;
  }

  CertificateMaker certs_;
  std::vector<Expected> expected_;
};

TEST_F(CertDlgTest, TakesTheOnlyMatchingCertificateWithoutShowing) {
  AddFilteredOut();
  AddMatching(L"CN=张三, O=certassist-test", L"CN=LCCA_CA, O=LCCA", L"张三", CertificateMaker::Days(365), 0);
  CCertDlg dialog(0, nullptr);
  ASSERT_EQ(1, dialog.GetCertCount());
  EXPECT_EQ(-1, dialog.GetSelectedIndex());
  const CERT_CONTEXT* cert = dialog.GetCert();
  ASSERT_NE(nullptr, cert);
  EXPECT_TRUE(CertCompareCertificate(X509_ASN_ENCODING, cert->pCertInfo, expected_[0].cert->pCertInfo));
  EXPECT_EQ(0, dialog.GetSelectedIndex());
  EXPECT_EQ(expected_[0].issuedTo, dialog.GetCertSubject());
}

TEST_F(CertDlgTest, ListsNothingWhenNoCertificatePassesTheFilter) {
  AddFilteredOut();
  CCertDlg dialog(0, nullptr);
  EXPECT_EQ(0, dialog.GetCertCount());
  EXPECT_EQ(nullptr, dialog.GetCert());
  EXPECT_TRUE(dialog.GetCertSubject().IsEmpty());
  EXPECT_EQ(-1, dialog.GetSelectedIndex());
}

TEST_F(CertDlgTest, SelectionNeedsARowWhenSeveralAreListed) {
  AddMatching(L"CN=张三, O=certassist-test", L"CN=LCCA_CA", L"张三", CertificateMaker::Days(365), 0);
  AddMatching(L"O=certassist-test, CN=李四", L"CN=lcca_ca", L"李四", CertificateMaker::Days(365), 0);
  CCertDlg dialog(0, nullptr);
  EXPECT_EQ(2, dialog.GetCertCount());
  EXPECT_EQ(nullptr, dialog.GetCert());
  EXPECT_EQ(-1, dialog.GetSelectedIndex());
}

TEST_F(CertDlgTest, ANameThatDoesNotDecodeStopsTheEnumeration) {
  // A SEQUENCE holding an INTEGER where the issuer's set of names belongs.
  std::vector<BYTE> notAName = {0x30, 0x03, 0x02, 0x01, 0x05};
  ASSERT_NE(nullptr, certs_.AddRaw(CertificateMaker::EncodeName(L"CN=张三, O=certassist-test"), notAName,
                                   kDigitalSignature, CertificateMaker::Days(365)));
  const wchar_t* message = nullptr;
  try {
    CCertDlg dialog(0, nullptr);
  } catch (const wchar_t* thrown) {
    message = thrown;
  }
  ASSERT_NE(nullptr, message);
  EXPECT_STREQ(L"枚举系统证书失败", message);
}

// Drives a shown dialog from a second thread, as a user would.
class DialogDriver : public OwnWindows {
 public:
  explicit DialogDriver(std::function<void(HWND)> script)
      : thread_([this, script] {
          HWND dialog = WaitFor([] { return FindOwnWindow(L"选择证书", nullptr); });
          found_ = dialog != nullptr;
          if (dialog != nullptr) script(dialog);
        }) {}
  ~DialogDriver() { thread_.join(); }
  bool Found() const { return found_; }

  static HWND FindOtherWindow(HWND except) {
    for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == GetCurrentProcessId() && IsWindowVisible(window) && window != except) return window;
    }
    return nullptr;
  }

  static CString ItemText(HWND list, int item, int subItem) {
    wchar_t buffer[256] = {};
    LVITEMW info{};
    info.iSubItem = subItem;
    info.pszText = buffer;
    info.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&info));
    return buffer;
  }

  static int ItemImage(HWND list, int item) {
    LVITEMW info{};
    info.mask = LVIF_IMAGE;
    info.iItem = item;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
    return info.iImage;
  }

  static void Select(HWND list, int item) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = item >= 0 ? state.stateMask : 0;
    SendMessageW(list, LVM_SETITEMSTATE, item >= 0 ? item : static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&state));
  }

  static void Notify(HWND dialog, UINT code) {
    NMITEMACTIVATE notify{};
    notify.hdr.hwndFrom = GetDlgItem(dialog, 1001);
    notify.hdr.idFrom = 1001;
    notify.hdr.code = code;
    notify.iItem = -1;
    SendMessageW(dialog, WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&notify));
  }

 private:
  std::atomic<bool> found_{false};
  std::thread thread_;
};

// The pixels of an icon drawn over a plain background.
std::vector<DWORD> Pixels(const std::function<void(HDC)>& draw) {
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  win::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  win::UniqueBitmap bitmap(CreateDIBSection(dc.Get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  HGDIOBJ old = SelectObject(dc.Get(), bitmap.Get());
  for (int i = 0; i < 256; ++i) static_cast<DWORD*>(bits)[i] = 0x00FF00FF;
  draw(dc.Get());
  GdiFlush();
  std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 256);
  SelectObject(dc.Get(), old);
  return pixels;
}

std::vector<DWORD> ResourceIconPixels(int id) {
  win::UniqueIcon icon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(L"certassist.dll"), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0)));
  return Pixels([&icon](HDC dc) { DrawIconEx(dc, 0, 0, icon.Get(), 16, 16, 0, nullptr, DI_NORMAL); });
}

TEST_F(CertDlgTest, ShowsTheListedCertificatesInStoreOrder) {
  AddFilteredOut();
  AddMatching(L"CN=张三, O=certassist-test", L"CN=LCCA_CA, O=LCCA", L"张三", CertificateMaker::Days(365), 0);
  AddMatching(L"O=certassist-test, CN=李四", L"CN=lcca_ca", L"李四", CertificateMaker::Days(-1), 1);
  AddMatching(L"CN=赵六, O=certassist-test", L"CN=LCCA_CA", L"赵六", CertificateMaker::TodayAt(23, 59), 0);
  AddMatching(L"O=certassist-test, CN=Qian Qi", L"CN=LCCA_CA", L"Qian Qi", CertificateMaker::TodayAt(0, 1), 0);
  std::vector<Expected> expected = InStoreOrder();
  ASSERT_EQ(4u, expected.size());

  CCertDlg dialog(0, nullptr);
  ASSERT_EQ(4, dialog.GetCertCount());
  std::vector<std::vector<CString>> rows;
  std::vector<int> images;
  CString prompt, headers;
  bool viewEnabled = true;
  std::vector<DWORD> listIcons[2];
  INT_PTR result;
  {
    DialogDriver driver([&](HWND window) {
      HWND list = GetDlgItem(window, 1001);
      int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
      for (int row = 0; row < count; ++row) {
        rows.push_back({});
        for (int column = 0; column < 4; ++column) rows.back().push_back(DialogDriver::ItemText(list, row, column));
        images.push_back(DialogDriver::ItemImage(list, row));
      }
      headers = DialogDriver::ChildTexts(list);
      wchar_t text[64] = {};
      GetDlgItemTextW(window, 8000, text, 64);
      prompt = text;
      viewEnabled = IsWindowEnabled(GetDlgItem(window, 1002));
      HIMAGELIST small = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
      for (int i = 0; i < 2 && small != nullptr && ImageList_GetImageCount(small) == 2; ++i)
        listIcons[i] = Pixels([&](HDC dc) { ImageList_Draw(small, i, dc, 0, 0, ILD_NORMAL); });
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    result = dialog.DoModal();
    ASSERT_TRUE(driver.Found());
  }
  EXPECT_EQ(IDCANCEL, result);
  EXPECT_EQ(-1, dialog.GetSelectedIndex());
  EXPECT_EQ(CString(L"请选择要使用的证书"), prompt);
  EXPECT_FALSE(viewEnabled);
  ASSERT_EQ(4u, rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(expected[i].issuedTo, rows[i][0]) << "row " << i;
    EXPECT_EQ(CString(L"LCCA_CA"), rows[i][1]) << "row " << i;
    EXPECT_EQ(CString(L"签名"), rows[i][2]) << "row " << i;
    EXPECT_EQ(expected[i].expiry, rows[i][3]) << "row " << i;
    EXPECT_EQ(expected[i].image, images[i]) << "row " << i;
  }
  EXPECT_EQ(ResourceIconPixels(1003), listIcons[0]);
  EXPECT_EQ(ResourceIconPixels(1004), listIcons[1]);
  EXPECT_NE(listIcons[0], listIcons[1]);
}

TEST_F(CertDlgTest, OkWithoutASelectionAsksForOneThenReturnsTheSelectedCertificate) {
  AddMatching(L"CN=张三, O=certassist-test", L"CN=LCCA_CA", L"张三", CertificateMaker::Days(365), 0);
  AddMatching(L"CN=李四, O=certassist-test", L"CN=LCCA_CA", L"李四", CertificateMaker::Days(30), 0);
  std::vector<Expected> expected = InStoreOrder();
  ASSERT_EQ(2u, expected.size());

  CCertDlg dialog(0, nullptr);
  CString message;
  bool stayedOpen = false, viewAfterClick = false, viewAfterEmptyClick = true;
  INT_PTR result;
  {
    DialogDriver driver([&](HWND window) {
      PostMessageW(window, WM_COMMAND, IDOK, 0);
      HWND box = DialogDriver::WaitFor([window] { return DialogDriver::FindOwnWindow(nullptr, window); });
      if (box != nullptr) {
        message = DialogDriver::ChildTexts(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        DialogDriver::WaitFor([box] { return IsWindow(box) ? nullptr : box; });
      }
      stayedOpen = IsWindow(window) && IsWindowVisible(window);
      HWND list = GetDlgItem(window, 1001);
      DialogDriver::Notify(window, NM_CLICK);
      viewAfterEmptyClick = IsWindowEnabled(GetDlgItem(window, 1002));
      DialogDriver::Select(list, 1);
      DialogDriver::Notify(window, NM_CLICK);
      viewAfterClick = IsWindowEnabled(GetDlgItem(window, 1002));
      PostMessageW(window, WM_COMMAND, IDOK, 0);
    });
    result = dialog.DoModal();
    ASSERT_TRUE(driver.Found());
  }
  EXPECT_NE(-1, message.Find(L"请先选择一个证书!")) << "message box texts: " << ::testing::PrintToString(message);
  EXPECT_TRUE(stayedOpen);
  EXPECT_FALSE(viewAfterEmptyClick);
  EXPECT_TRUE(viewAfterClick);
  EXPECT_EQ(IDOK, result);
  EXPECT_EQ(1, dialog.GetSelectedIndex());
  const CERT_CONTEXT* cert = dialog.GetCert();
  ASSERT_NE(nullptr, cert);
  EXPECT_TRUE(CertCompareCertificate(X509_ASN_ENCODING, cert->pCertInfo, expected[1].cert->pCertInfo));
  EXPECT_EQ(expected[1].issuedTo, dialog.GetCertSubject());
}

TEST_F(CertDlgTest, ExtendModeAsksForTheCertificateToExtendAndDoubleClickChooses) {
  AddMatching(L"CN=张三, O=certassist-test", L"CN=LCCA_CA", L"张三", CertificateMaker::Days(365), 0);
  AddMatching(L"CN=李四, O=certassist-test", L"CN=LCCA_CA", L"李四", CertificateMaker::Days(30), 0);
  CCertDlg dialog(1, nullptr);
  CString prompt;
  INT_PTR result;
  {
    DialogDriver driver([&](HWND window) {
      wchar_t text[64] = {};
      GetDlgItemTextW(window, 8000, text, 64);
      prompt = text;
      DialogDriver::Notify(window, NM_DBLCLK);  // no row: stays open
      DialogDriver::Select(GetDlgItem(window, 1001), 0);
      DialogDriver::Notify(window, NM_DBLCLK);
    });
    result = dialog.DoModal();
    ASSERT_TRUE(driver.Found());
  }
  EXPECT_EQ(CString(L"请选择要延期的证书"), prompt);
  EXPECT_EQ(IDOK, result);
  EXPECT_EQ(0, dialog.GetSelectedIndex());
}

}  // namespace

namespace {

TEST_F(CertDlgTest, ViewButtonOpensTheSystemViewerForTheSelectedRowOnly) {
  AddMatching(L"CN=张三, O=certassist-test", L"CN=LCCA_CA", L"张三", CertificateMaker::Days(365), 0);
  AddMatching(L"CN=李四, O=certassist-test", L"CN=LCCA_CA", L"李四", CertificateMaker::Days(30), 0);
  CCertDlg dialog(0, nullptr);
  bool viewerWithoutRow = true, viewerWithRow = false;
  INT_PTR result;
  {
    DialogDriver driver([&](HWND window) {
      // Wine's viewer has no owner: any other dialog window of this process is it.
      auto viewer = [window] { return DialogDriver::FindOtherWindow(window); };
      PostMessageW(window, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0);
      Sleep(300);
      viewerWithoutRow = viewer() != nullptr;
      DialogDriver::Select(GetDlgItem(window, 1001), 0);
      DialogDriver::Notify(window, NM_CLICK);
      PostMessageW(window, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0);
      HWND sheet = DialogDriver::WaitFor(viewer);
      viewerWithRow = sheet != nullptr;
      if (sheet != nullptr) {
        PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
        DialogDriver::WaitFor([sheet] { return IsWindow(sheet) ? nullptr : sheet; });
      }
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    result = dialog.DoModal();
    ASSERT_TRUE(driver.Found());
  }
  EXPECT_FALSE(viewerWithoutRow);
  EXPECT_TRUE(viewerWithRow);
  EXPECT_EQ(IDCANCEL, result);
  EXPECT_EQ(-1, dialog.GetSelectedIndex());
}

}  // namespace
