#include "webslice/SignedCookieCheck.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "webslice/GcryptOwners.h"

const CurveParameters kCookieCurve = {
    "FFFFFFFFFFFFFFFFFFFFFFFF000000000000007F",
    "0",
    "1D",
    "1000000000000000000018E8594A2F9066BD06119",
    "1",
    "BFA5A9C31ACCB1DE388F65A11ECBAE1E89E28F66",
};

// The signing service's public key: even y, then x.
const unsigned char kCookieServiceKey[kCookiePublicKeySize] = {
    0x00, 0x00, 0x00, 0x00, 0xED, 0xBD, 0x61, 0xB5, 0x24, 0x1C, 0x39, 0x0A,
    0xA9, 0xCE, 0x97, 0x5D, 0x0C, 0x22, 0xA3, 0x29, 0xA2, 0xDD, 0x0A, 0xB2,
};

namespace gcrypt {
namespace {

// The library's notes (about entropy sources, for instance) have no reader
// inside a browser process.
void DropLogMessage(void*, int, const char*, va_list) {}

}  // namespace

void EnsureInitialised() {
  static std::once_flag once;
  std::call_once(once, [] {
    gcry_set_log_handler(DropLogMessage, nullptr);
    gcry_check_version(nullptr);
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
  });
}

}  // namespace gcrypt

namespace {

using gcrypt::Mpi;
using Bytes = std::vector<unsigned char>;

int HexDigit(char c) {
  if (c >= 'a') return c - 'a' + 10;
  if (c >= 'A') return c - 'A' + 10;
  return c - '0';
}

Bytes HexDecode(const char* hex, int length) {
  Bytes bytes(length / 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<unsigned char>(HexDigit(hex[2 * i]) * 16 + HexDigit(hex[2 * i + 1]));
  }
  return bytes;
}

Mpi FromHex(const char* hex) {
  gcry_mpi_t value = nullptr;
  if (gcry_mpi_scan(&value, GCRYMPI_FMT_HEX, hex, 0, nullptr) != 0) return Mpi();
  return Mpi(value);
}

Mpi FromBytes(const unsigned char* bytes, size_t length) {
  if (length == 0) return gcrypt::NewMpi();
  gcry_mpi_t value = nullptr;
  if (gcry_mpi_scan(&value, GCRYMPI_FMT_USG, bytes, length, nullptr) != 0) return Mpi();
  return Mpi(value);
}

// Curve row 6, set up anew for every check.
struct Curve {
  Mpi p, a, b, n;
  gcrypt::Context context;
  gcrypt::Point g;

  bool SetUp() {
    p = FromHex(kCookieCurve.p);
    a = FromHex(kCookieCurve.a);
    b = FromHex(kCookieCurve.b);
    n = FromHex(kCookieCurve.n);
    Mpi gx = FromHex(kCookieCurve.gx), gy = FromHex(kCookieCurve.gy);
    if (!p || !a || !b || !n || !gx || !gy) return false;
    gcry_sexp_t parameters = nullptr;
    if (gcry_sexp_build(&parameters, nullptr, "(ecc (p %m)(a %m)(b %m)(n %m)(g.x %m)(g.y %m))", p.get(), a.get(),
                        b.get(), n.get(), gx.get(), gy.get()) != 0) {
      return false;
    }
    gcrypt::Sexp owner(parameters);
    gcry_ctx_t ctx = nullptr;
    if (gcry_mpi_ec_new(&ctx, parameters, nullptr) != 0) return false;
    context.reset(ctx);
    g.reset(gcry_mpi_ec_get_point("g", ctx, 1));
    return g != nullptr;
  }

  // The curve point with this x and y parity, or null when there is none.
  // p = 3 mod 4, so a square root of v is v^((p+1)/4).
  gcrypt::Point Decompress(const Mpi& x, bool oddY) const {
    if (!x || gcry_mpi_cmp(x.get(), p.get()) >= 0) return nullptr;
    Mpi rhs = gcrypt::NewMpi(), term = gcrypt::NewMpi(), three(gcry_mpi_set_ui(nullptr, 3));
    gcry_mpi_powm(rhs.get(), x.get(), three.get(), p.get());
    gcry_mpi_mulm(term.get(), a.get(), x.get(), p.get());
    gcry_mpi_addm(rhs.get(), rhs.get(), term.get(), p.get());
    gcry_mpi_addm(rhs.get(), rhs.get(), b.get(), p.get());

    Mpi exponent = gcrypt::NewMpi(), y = gcrypt::NewMpi(), check = gcrypt::NewMpi();
    gcry_mpi_add_ui(exponent.get(), p.get(), 1);
    gcry_mpi_rshift(exponent.get(), exponent.get(), 2);
    gcry_mpi_powm(y.get(), rhs.get(), exponent.get(), p.get());
    gcry_mpi_mulm(check.get(), y.get(), y.get(), p.get());
    if (gcry_mpi_cmp(check.get(), rhs.get()) != 0) return nullptr;
    if ((gcry_mpi_test_bit(y.get(), 0) != 0) != oddY) {
      if (gcry_mpi_cmp_ui(y.get(), 0) == 0) return nullptr;
      gcry_mpi_sub(y.get(), p.get(), y.get());
    }
    Mpi one(gcry_mpi_set_ui(nullptr, 1));
    return gcrypt::Point(gcry_mpi_point_set(nullptr, x.get(), y.get(), one.get()));
  }

  bool InOrderRange(const Mpi& value) const {
    return gcry_mpi_cmp_ui(value.get(), 0) > 0 && gcry_mpi_cmp(value.get(), n.get()) < 0;
  }
};

struct Signature {
  Bytes r, s;
};

// A 16-bit big-endian length L, L bytes of r, the rest s.
bool DecodeSignature(const Bytes& bytes, Signature& signature) {
  if (bytes.size() < 3) return false;
  size_t rLength = bytes[0] * 256u + bytes[1];
  if (rLength > kMaxSignaturePart || rLength > bytes.size() - 2) return false;
  signature.r.assign(bytes.begin() + 2, bytes.begin() + 2 + rLength);
  signature.s.assign(bytes.begin() + 2 + rLength, bytes.end());
  return signature.s.size() <= kMaxSignaturePart;
}

// ECDSA (SEC 1): X = (e/s)G + (r/s)Q must be finite with X.x = r mod n.
bool VerifyEcdsa(const Curve& curve, const gcrypt::Point& q, const Mpi& e, const Mpi& r, const Mpi& s) {
  if (!curve.InOrderRange(r) || !curve.InOrderRange(s)) return false;
  Mpi w = gcrypt::NewMpi(), u1 = gcrypt::NewMpi(), u2 = gcrypt::NewMpi();
  if (!gcry_mpi_invm(w.get(), s.get(), curve.n.get())) return false;
  gcry_mpi_mulm(u1.get(), e.get(), w.get(), curve.n.get());
  gcry_mpi_mulm(u2.get(), r.get(), w.get(), curve.n.get());

  gcrypt::Point first(gcry_mpi_point_new(0)), second(gcry_mpi_point_new(0)), sum(gcry_mpi_point_new(0));
  gcry_mpi_ec_mul(first.get(), u1.get(), curve.g.get(), curve.context.get());
  gcry_mpi_ec_mul(second.get(), u2.get(), q.get(), curve.context.get());
  gcry_mpi_ec_add(sum.get(), first.get(), second.get(), curve.context.get());
  Mpi x = gcrypt::NewMpi();
  if (gcry_mpi_ec_get_affine(x.get(), nullptr, sum.get(), curve.context.get()) != 0) return false;
  gcry_mpi_mod(x.get(), x.get(), curve.n.get());
  return gcry_mpi_cmp(x.get(), r.get()) == 0;
}

}  // namespace

bool SignedCookieCheckWithKey(const char* signatureHex, int signatureHexLength, const char* cookie,
                              const char* key, const char* fixedText,
                              const unsigned char (&publicKey)[kCookiePublicKeySize]) {
  if (signatureHex == nullptr || cookie == nullptr || key == nullptr || fixedText == nullptr) return false;
  if (signatureHexLength <= 0 || signatureHexLength % 2 != 0) return false;
  // The length must not reach past the text the caller handed over.
  if (strnlen(signatureHex, signatureHexLength) < static_cast<size_t>(signatureHexLength)) return false;
  std::string message = std::string(cookie) + key + fixedText;
  if (message.size() > kMaxCookieMessage) return false;

  Bytes bytes = HexDecode(signatureHex, signatureHexLength);
  gcrypt::EnsureInitialised();
  Curve curve;
  Signature signature;
  if (!curve.SetUp() || !DecodeSignature(bytes, signature)) return false;

  bool oddY = (publicKey[3] & 1) != 0;
  gcrypt::Point q = curve.Decompress(FromBytes(publicKey + 4, 20), oddY);
  if (!q) return false;

  unsigned char digest[16];
  gcry_md_hash_buffer(GCRY_MD_MD5, digest, message.data(), message.size());
  if (signature.r.size() > kMaxVerifiedPart || signature.s.size() > kMaxVerifiedPart) return false;
  Mpi e = FromBytes(digest, sizeof digest);
  Mpi r = FromBytes(signature.r.data(), signature.r.size());
  Mpi s = FromBytes(signature.s.data(), signature.s.size());
  return e && r && s && VerifyEcdsa(curve, q, e, r, s);
}

bool SignedCookieCheck(const char* signatureHex, int signatureHexLength, const char* cookie, const char* key,
                       const char* fixedText) {
  return SignedCookieCheckWithKey(signatureHex, signatureHexLength, cookie, key, fixedText, kCookieServiceKey);
}
