#include "CookieSigner.h"

#include <cstdio>
#include <vector>

#include "webslice/GcryptOwners.h"
#include "webslice/SignedCookieCheck.h"

namespace CookieSigner {
namespace {

// The signing service's private key; its public half is built into barshare.
constexpr const char* kPrivateKey = "0FF936D77F836FF24412BFF51DF18B1D553EBD1B";
constexpr const char* kPublicPoint =
    "04EDBD61B5241C390AA9CE975D0C22A329A2DD0AB2E68A32F1782BF7B687FE17D65CF1420803E5A186";

using Bytes = std::vector<unsigned char>;

gcrypt::Mpi Hex(const std::string& hex) {
  gcry_mpi_t value = nullptr;
  gcry_mpi_scan(&value, GCRYMPI_FMT_HEX, hex.c_str(), 0, nullptr);
  return gcrypt::Mpi(value);
}

std::string Pad(const char* hex) { return std::string(40 - std::string(hex).size(), '0') + hex; }

// The key as libgcrypt takes it: explicit curve parameters, no curve name.
gcrypt::Sexp Key(bool withPrivate) {
  auto p = Hex(kCookieCurve.p), a = Hex(kCookieCurve.a), b = Hex(kCookieCurve.b), n = Hex(kCookieCurve.n);
  auto g = Hex("04" + Pad(kCookieCurve.gx) + Pad(kCookieCurve.gy)), q = Hex(kPublicPoint), d = Hex(kPrivateKey);
  gcry_sexp_t key = nullptr;
  if (withPrivate) {
    gcry_sexp_build(&key, nullptr, "(private-key (ecc (p %m)(a %m)(b %m)(g %m)(n %m)(q %m)(d %m)))", p.get(),
                    a.get(), b.get(), g.get(), n.get(), q.get(), d.get());
  } else {
    gcry_sexp_build(&key, nullptr, "(public-key (ecc (p %m)(a %m)(b %m)(g %m)(n %m)(q %m)))", p.get(), a.get(),
                    b.get(), g.get(), n.get(), q.get());
  }
  return gcrypt::Sexp(key);
}

gcrypt::Sexp Digest(const std::string& cookie, const std::string& key, const std::string& fixedText) {
  std::string message = cookie + key + fixedText;
  unsigned char digest[16];
  gcry_md_hash_buffer(GCRY_MD_MD5, digest, message.data(), message.size());
  gcry_sexp_t data = nullptr;
  gcry_sexp_build(&data, nullptr, "(data (flags raw)(value %b))", static_cast<int>(sizeof digest), digest);
  return gcrypt::Sexp(data);
}

Bytes Unsigned(gcry_mpi_t value) {
  size_t length = 0;
  gcry_mpi_print(GCRYMPI_FMT_USG, nullptr, 0, &length, value);
  Bytes bytes(length);
  gcry_mpi_print(GCRYMPI_FMT_USG, bytes.data(), bytes.size(), &length, value);
  bytes.resize(length);
  return bytes;
}

std::string ToHex(const Bytes& bytes) {
  std::string hex;
  char pair[3];
  for (unsigned char byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", byte);
    hex += pair;
  }
  return hex;
}

}  // namespace

std::string Sign(const std::string& cookie, const std::string& key, const std::string& fixedText) {
  gcrypt::EnsureInitialised();
  gcry_sexp_t result = nullptr;
  if (gcry_pk_sign(&result, Digest(cookie, key, fixedText).get(), Key(true).get()) != 0) return std::string();
  gcrypt::Sexp signature(result);
  gcry_mpi_t r = nullptr, s = nullptr;
  if (gcry_sexp_extract_param(signature.get(), "sig-val!ecdsa", "rs", &r, &s, nullptr) != 0) return std::string();
  gcrypt::Mpi rOwner(r), sOwner(s);
  Bytes rBytes = Unsigned(r), sBytes = Unsigned(s);
  Bytes encoded = {static_cast<unsigned char>(rBytes.size() >> 8), static_cast<unsigned char>(rBytes.size())};
  encoded.insert(encoded.end(), rBytes.begin(), rBytes.end());
  encoded.insert(encoded.end(), sBytes.begin(), sBytes.end());
  return ToHex(encoded);
}

bool LibraryVerify(const std::string& signatureHex, const std::string& cookie, const std::string& key,
                   const std::string& fixedText) {
  gcrypt::EnsureInitialised();
  if (signatureHex.size() < 4) return false;
  size_t rDigits = 2 * std::stoul(signatureHex.substr(0, 4), nullptr, 16);
  if (signatureHex.size() < 4 + rDigits) return false;
  auto r = Hex(signatureHex.substr(4, rDigits)), s = Hex(signatureHex.substr(4 + rDigits));
  if (!r || !s) return false;
  gcry_sexp_t signature = nullptr;
  gcry_sexp_build(&signature, nullptr, "(sig-val (ecdsa (r %m)(s %m)))", r.get(), s.get());
  gcrypt::Sexp owner(signature);
  return gcry_pk_verify(signature, Digest(cookie, key, fixedText).get(), Key(false).get()) == 0;
}

}  // namespace CookieSigner
