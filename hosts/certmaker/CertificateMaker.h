#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

#include "win/CryptHandles.h"
#include "win/Handles.h"

// Certificates made for a test or a demonstration and put into the current
// user's "MY" store; they are removed again when the object goes. All are
// signed by one key made for the purpose (the picker never checks signatures),
// whatever issuer they name. Programs using it may run side by side: a named
// mutex keeps their use of the store apart.
class CertificateMaker {
 public:
  static constexpr int kNoKeyUsage = -1;

  CertificateMaker() {
    lock_.Reset(CreateMutexW(nullptr, FALSE, L"certassist-certificate-maker"));
    WaitForSingleObject(lock_.Get(), 60000);
    store_.Reset(CertOpenSystemStoreW(0, L"MY"));
    RemoveLeftovers();
    if (CryptAcquireContextW(provider_.Put(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
        CryptGenKey(provider_.Get(), AT_SIGNATURE, 1024u << 16, key_.Put())) {
      DWORD size = 0;
      CryptExportPublicKeyInfo(provider_.Get(), AT_SIGNATURE, X509_ASN_ENCODING, nullptr, &size);
      publicKey_.resize(size);
      CryptExportPublicKeyInfo(provider_.Get(), AT_SIGNATURE, X509_ASN_ENCODING,
                               reinterpret_cast<CERT_PUBLIC_KEY_INFO*>(publicKey_.data()), &size);
    }
  }

  ~CertificateMaker() {
    for (PCCERT_CONTEXT cert : added_) CertDeleteCertificateFromStore(cert);  // frees the context too
    Commit();
    // Closed while the mutex still keeps the other programs out of the store.
    key_.Reset();
    provider_.Reset();
    store_.Reset();
    ReleaseMutex(lock_.Get());
  }

  CertificateMaker(const CertificateMaker&) = delete;
  CertificateMaker& operator=(const CertificateMaker&) = delete;

  bool Ready() const { return store_ && !publicKey_.empty(); }

  // keyUsage: first byte of the key-usage bits, or kNoKeyUsage for none.
  PCCERT_CONTEXT Add(const wchar_t* subject, const wchar_t* issuer, int keyUsage, const FILETIME& notAfter) {
    std::vector<BYTE> subjectName = EncodeName(subject), issuerName = EncodeName(issuer);
    return AddRaw(subjectName, issuerName, keyUsage, notAfter);
  }

  PCCERT_CONTEXT AddRaw(std::vector<BYTE> subject, std::vector<BYTE> issuer, int keyUsage, const FILETIME& notAfter) {
    // Least significant byte first; the marker finds leftovers of a crashed run.
    BYTE serial[8] = {static_cast<BYTE>(added_.size()), 1, 'C', 'A', 'T', 'E', 'S', 'T'};
    CERT_INFO info{};
    info.dwVersion = CERT_V3;
    info.SerialNumber = {sizeof serial, serial};
    info.SignatureAlgorithm.pszObjId = const_cast<char*>(szOID_RSA_SHA1RSA);
    info.Issuer = {static_cast<DWORD>(issuer.size()), issuer.data()};
    info.Subject = {static_cast<DWORD>(subject.size()), subject.data()};
    info.NotBefore = Days(-30);
    info.NotAfter = notAfter;
    info.SubjectPublicKeyInfo = *reinterpret_cast<CERT_PUBLIC_KEY_INFO*>(publicKey_.data());
    BYTE usageBits = static_cast<BYTE>(keyUsage);
    CRYPT_BIT_BLOB usage{1, &usageBits, 0};
    std::vector<BYTE> usageEncoded = Encode(X509_KEY_USAGE, &usage);
    CERT_EXTENSION extension{const_cast<char*>(szOID_KEY_USAGE), TRUE,
                             {static_cast<DWORD>(usageEncoded.size()), usageEncoded.data()}};
    if (keyUsage != kNoKeyUsage) {
      info.cExtension = 1;
      info.rgExtension = &extension;
    }
    CRYPT_ALGORITHM_IDENTIFIER algorithm{const_cast<char*>(szOID_RSA_SHA1RSA), {}};
    DWORD size = 0;
    if (!CryptSignAndEncodeCertificate(provider_.Get(), AT_SIGNATURE, X509_ASN_ENCODING, X509_CERT_TO_BE_SIGNED, &info,
                                       &algorithm, nullptr, nullptr, &size))
      return nullptr;
    std::vector<BYTE> encoded(size);
    if (!CryptSignAndEncodeCertificate(provider_.Get(), AT_SIGNATURE, X509_ASN_ENCODING, X509_CERT_TO_BE_SIGNED, &info,
                                       &algorithm, nullptr, encoded.data(), &size))
      return nullptr;
    PCCERT_CONTEXT cert = nullptr;
    if (!CertAddEncodedCertificateToStore(store_.Get(), X509_ASN_ENCODING, encoded.data(), size, CERT_STORE_ADD_NEW, &cert))
      return nullptr;
    added_.push_back(cert);
    Commit();
    return cert;
  }

  // Now moved by whole days.
  static FILETIME Days(int days) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return Shift(now, static_cast<LONGLONG>(days) * 24 * 3600);
  }

  // Today, local time, at hour:minute, as a UTC file time.
  static FILETIME TodayAt(int hour, int minute) {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    local.wSecond = local.wMilliseconds = 0;
    FILETIME localTime{}, utc{};
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, &utc);
    return utc;
  }

  static std::vector<BYTE> EncodeName(const wchar_t* x500) {
    DWORD size = 0;
    CertStrToNameW(X509_ASN_ENCODING, x500, CERT_X500_NAME_STR, nullptr, nullptr, &size, nullptr);
    std::vector<BYTE> name(size);
    CertStrToNameW(X509_ASN_ENCODING, x500, CERT_X500_NAME_STR, nullptr, name.data(), &size, nullptr);
    name.resize(size);
    return name;
  }

  // Other handles of the store (the picker's own) see changes once committed.
  void Commit() { CertControlStore(store_.Get(), 0, CERT_STORE_CTRL_COMMIT, nullptr); }

  // How the platform writes a common name in X.500 text: quoted or not.
  static std::wstring CommonNameText(const wchar_t* commonName) {
    std::wstring x500 = std::wstring(L"CN=") + commonName;
    std::vector<BYTE> encoded = EncodeName(x500.c_str());
    CERT_NAME_BLOB name{static_cast<DWORD>(encoded.size()), encoded.data()};
    wchar_t text[256] = {};
    CertNameToStrW(X509_ASN_ENCODING, &name, CERT_X500_NAME_STR, text, 256);
    return text + 3;
  }

 private:
  static FILETIME Shift(FILETIME time, LONGLONG seconds) {
    ULARGE_INTEGER value{};
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    value.QuadPart += seconds * 10000000LL;
    return {value.LowPart, value.HighPart};
  }

  static std::vector<BYTE> Encode(LPCSTR type, const void* structure) {
    DWORD size = 0;
    CryptEncodeObject(X509_ASN_ENCODING, type, structure, nullptr, &size);
    std::vector<BYTE> encoded(size);
    CryptEncodeObject(X509_ASN_ENCODING, type, structure, encoded.data(), &size);
    encoded.resize(size);
    return encoded;
  }

  // Certificates a crashed run left behind carry the same serial prefix.
  void RemoveLeftovers() {
    if (!store_) return;
    std::vector<PCCERT_CONTEXT> stale;
    PCCERT_CONTEXT cert = nullptr;
    while ((cert = CertEnumCertificatesInStore(store_.Get(), cert)) != nullptr) {
      const CRYPT_INTEGER_BLOB& serial = cert->pCertInfo->SerialNumber;
      if (serial.cbData == 8 && memcmp(serial.pbData + 2, "CATEST", 6) == 0)
        stale.push_back(CertDuplicateCertificateContext(cert));
    }
    for (PCCERT_CONTEXT old : stale) CertDeleteCertificateFromStore(old);
    Commit();
  }

  win::UniqueMutex lock_;
  win::UniqueCertStore store_;
  win::UniqueCryptProvider provider_;
  win::UniqueCryptKey key_;
  std::vector<BYTE> publicKey_;
  std::vector<PCCERT_CONTEXT> added_;
};
