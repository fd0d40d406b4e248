#pragma once

#include <string>

// Test double of the service that signs cookies for page script. It holds the
// private key that matches the public key built into barshare and signs with
// libgcrypt's own ECDSA, independently of the component's verification.
namespace CookieSigner {

// The signature text for cookie + key + fixed text: hexadecimal of a 16-bit
// big-endian length of r, r, then s. Upper-case digits; empty on failure.
std::string Sign(const std::string& cookie, const std::string& key, const std::string& fixedText);

// Verifies with libgcrypt's gcry_pk_verify on the same curve and key.
bool LibraryVerify(const std::string& signatureHex, const std::string& cookie, const std::string& key,
                   const std::string& fixedText);

}  // namespace CookieSigner
