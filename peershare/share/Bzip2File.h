#pragma once

#include <cstddef>
#include <string>

// The bzip2 steps of the share list: the published copy is compressed in
// place before peers get it, and a peer's list is decompressed to text.
namespace Bzip2File {

constexpr int kBlockSize = 9;
constexpr int kWorkFactor = 30;
constexpr size_t kBufferSize = 16 * 1024;
// A peer's list is untrusted input; no share list comes near this size.
constexpr size_t kMaxDecompressed = 256u * 1024 * 1024;

// Replaces the file's content by its bzip2 compression: the compressed bytes
// go to a new file beside it, which replaces it only once fully written. False,
// with the file as it was, when it cannot be read, compressed or replaced.
bool CompressInPlace(const std::string& path);

// The decompressed content of a bzip2 file. False for a file that cannot be
// read, is empty, is not bzip2, is truncated or corrupt, or would exceed
// kMaxDecompressed; `text` is then empty. Memory beyond the text itself stays
// small whatever the stream claims, and running out of it is a false answer.
bool DecompressToText(const std::string& path, std::string& text);

}  // namespace Bzip2File
