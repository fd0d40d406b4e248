#pragma once

#include <cstddef>
#include <string>

// The bzip2 steps of the share list: the published copy is compressed before
// peers get it, and a peer's list is decompressed to text.
namespace Bzip2File {

constexpr int kBlockSize = 9;
constexpr int kWorkFactor = 30;
constexpr size_t kBufferSize = 16 * 1024;
// A peer's list is untrusted input; no share list comes near this size.
constexpr size_t kMaxDecompressed = 64u * 1024 * 1024;

// The bzip2 stream of `text`. False when the library refuses or memory runs out.
bool Compress(const std::string& text, std::string& compressed);

// The content of one complete bzip2 stream. False for input that is empty,
// not bzip2, truncated or corrupt, or that would exceed kMaxDecompressed;
// `text` is then empty. Memory beyond the text itself stays small whatever
// the stream claims, and running out of it is a false answer.
bool Decompress(const std::string& compressed, std::string& text);

// Replaces the file's content by its bzip2 compression, through a temporary
// file: on any failure the file keeps its old content.
bool CompressInPlace(const std::string& path);

// Decompress() of a file's content; false also when it cannot be read.
bool DecompressToText(const std::string& path, std::string& text);

}  // namespace Bzip2File
