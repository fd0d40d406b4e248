#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Texts of the transfer records: code page 936, where a byte from 0x81 to 0xFE
// starts a two-byte character, so every cut and every character test moves
// by whole characters.
namespace FieldText {

// The longest start of `text` that fits `maxBytes` without splitting a
// character.
std::string Cut(std::string_view text, size_t maxBytes);
// 32 hexadecimal digits.
bool IsHash(std::string_view text);
// The hash in lower case (the form the share library keeps).
std::string LowerHash(std::string_view hash);
// A name that stays one file inside its folder: separators, drive colons,
// wildcards, quotes, pipes and control characters become "_", and a name
// made only of dots gets an underscore in front.
std::string SafeFileName(std::string_view name);

}  // namespace FieldText
