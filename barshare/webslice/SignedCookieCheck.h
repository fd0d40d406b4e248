#pragma once

#include <cstddef>

// Decides whether a cookie text that page script hands to the web slice
// window was signed by the service: an ECDSA signature over the MD5 digest of
// cookie, NavigationKey and fixed text, on curve row 6 of the curve table,
// checked against the service's public key. Texts are in the ANSI code page.
// Every malformed input is simply false.
bool SignedCookieCheck(const char* signatureHex, int signatureHexLength, const char* cookie, const char* key,
                       const char* fixedText);

// The same check against another public key: 4 bytes big-endian whose lowest
// bit is the parity of y, then the 20-byte big-endian x.
constexpr size_t kCookiePublicKeySize = 24;
bool SignedCookieCheckWithKey(const char* signatureHex, int signatureHexLength, const char* cookie,
                              const char* key, const char* fixedText,
                              const unsigned char (&publicKey)[kCookiePublicKeySize]);

// Appended to every signed message.
constexpr const char kCookieFixedText[] = "{5C1E7B20-3D94-4a6e-9F21-08B6D4E3A715}";
// Limits of the signed message and of the signature's parts.
constexpr size_t kMaxCookieMessage = 2047;
constexpr size_t kMaxSignaturePart = 800;
constexpr size_t kMaxVerifiedPart = 64;

// Curve row 6 as hexadecimal texts: y^2 = x^3 + a*x + b over p, base point
// (Gx, Gy) of order n.
struct CurveParameters {
  const char* p;
  const char* a;
  const char* b;
  const char* n;
  const char* gx;
  const char* gy;
};
extern const CurveParameters kCookieCurve;
extern const unsigned char kCookieServiceKey[kCookiePublicKeySize];
