#pragma once

// Telling a web address from other text, and escaping text for a URL fragment.

// True when text is something a browser could open: a URL, localhost, a
// dotted IPv4 form, a bare host name under a known top-level domain, or a
// name from the system's hosts file. Any text of any length is accepted.
bool LooksLikeUrl(const wchar_t* text);

// Writes text to out, converted to codePage (0: the system ANSI code page)
// and percent-escaped byte by byte so that only letters, digits, "-" and "_"
// remain as they are. out always ends with a NUL within outChars. False when
// the result had to be cut, or text or out is missing or outChars is below 2
// (out is then left as it was).
bool EscapeForUrl(const wchar_t* text, wchar_t* out, int outChars, unsigned codePage);

// The URL check of the platform (IsValidURL) where it has a real one, else an
// equivalent: a known scheme followed by ":".
bool PlatformSaysValidUrl(const wchar_t* text);
