#pragma once

#include <string>
#include <string_view>

// What may be shared and how a shared file is named to the host. Paths are
// code page 936 text: only ASCII letters change case, and cuts fall between
// characters.
namespace SharePaths {

// Display names keep at most this many bytes of the base name.
constexpr size_t kDisplayBaseLimit = 58;

// Lower-cases `path` in place, then refuses the drive roots "c:\" to "j:\"
// (either separator), any path holding "windows", "winnt" or "program
// files", and, for label codes 1 (music) and 3 (video), the extensions
// ".exe" and ".bat". Everything else may be shared.
bool CanShare(std::string& path, int labelCode);

// ASCII letters in lower case; double-byte characters are left whole.
std::string LowerAscii(std::string_view text);
// The extension of a file name or path, from its last "." after the last
// separator, with the ".", or empty.
std::string ExtensionOf(std::string_view path);
// The name the host shows for a file: its base name, cut to 58 bytes (57
// where the 58th byte would split a double-byte character) when longer than
// 57, followed by its extension.
std::string DisplayName(std::string_view path);

}  // namespace SharePaths
