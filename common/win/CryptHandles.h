#pragma once

// Owners of crypt32 handles (link crypt32) and of the CryptoAPI provider and
// hash handles of advapi32.

#include <windows.h>
#include <wincrypt.h>

#include "win/UniqueResource.h"

namespace win {

namespace detail {
inline void CloseCertStore(HCERTSTORE store) noexcept { CertCloseStore(store, 0); }
inline void FreeCertificate(PCCERT_CONTEXT context) noexcept { CertFreeCertificateContext(context); }
inline void ReleaseProvider(HCRYPTPROV provider) noexcept { CryptReleaseContext(provider, 0); }
inline void DestroyKey(HCRYPTKEY key) noexcept { CryptDestroyKey(key); }
inline void DestroyHash(HCRYPTHASH hash) noexcept { CryptDestroyHash(hash); }
}  // namespace detail

using UniqueCertStore = UniqueResource<HCERTSTORE, &detail::CloseCertStore>;
using UniqueCertContext = UniqueResource<PCCERT_CONTEXT, &detail::FreeCertificate>;
using UniqueCryptProvider = UniqueResource<HCRYPTPROV, &detail::ReleaseProvider>;
using UniqueCryptKey = UniqueResource<HCRYPTKEY, &detail::DestroyKey>;
using UniqueCryptHash = UniqueResource<HCRYPTHASH, &detail::DestroyHash>;

}  // namespace win
