#pragma once

#include <cstddef>
#include <string>

// Conversions between the system code page, in which the tree keeps its
// texts, and the UTF-16 that Expat reads and reports; and the rule that keeps
// a stored text writable. Runs of ASCII are handled here, the rest by the
// system's conversion.
namespace XmlCodePage {

// Converts `length` UTF-16 units into `out`, which holds `capacity` bytes;
// -1 when the result needs `capacity` bytes or more (one stays for the
// terminator the reader's buffers always kept). `unwritable`, when given,
// tells whether the result holds a character that MakeStorable replaces.
int FromUtf16(const wchar_t* text, size_t length, char* out, size_t capacity, bool* unwritable = nullptr);
// The same for an element or attribute name: also -1 when a character has no
// form of its own in the code page.
int NameFromUtf16(const wchar_t* text, size_t length, char* out, size_t capacity);
// FromUtf16 for a zero-terminated text.
int FromUtf16(const wchar_t* text, char* out, size_t capacity, bool* unwritable = nullptr);

// Converts `length` code page bytes into `out` (room for `length` units, the
// most a code page text can need) with every "&" read as "?"; the number of
// units written.
size_t ToUtf16ReadingAmpersands(const char* text, size_t length, wchar_t* out);

// The writer puts texts between quotes and tags as they are. A "<", ">" or
// '"' would end them early and make the document unreadable, so a stored
// text carries the full-width forms instead; control characters, which no
// document may hold, become blanks, and so does a lead byte without its
// second byte, which would swallow the character after it. A "?" of a text
// (saved as "&") becomes full-width too, and a text loses the blanks it
// begins with, as the reader skips them: what is stored reads back the same.
// An "&" of an attribute value is kept and reads back as "?", as in every
// file the reader has ever read.
enum class StoredAs { Text, AttributeValue };
void MakeStorable(std::string& text, StoredAs kind);
// The same for bytes that came out of FromUtf16 (always well formed): the
// result goes to `out`, which has room for twice `length` bytes; its length.
size_t StorableFromConverted(const char* text, size_t length, char* out);

// The first `byte` in `length` bytes, or null: the C runtime's memchr
// here goes byte by byte, this looks at eight bytes at a time.
const char* FindByte(const char* text, size_t length, char byte);

}  // namespace XmlCodePage
