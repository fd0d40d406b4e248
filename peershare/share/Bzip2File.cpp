#include "share/Bzip2File.h"

#include <windows.h>

#include <bzlib.h>

#include <algorithm>
#include <new>

#include "win/Handles.h"
#include "win/ReplacingFile.h"

namespace Bzip2File {
namespace {

// The whole file; false when it cannot be read or would not fit `limit`.
bool ReadWholeFile(const std::string& path, size_t limit, std::string& content) {
  win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size) || static_cast<unsigned long long>(size.QuadPart) > limit) {
    return false;
  }
  content.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < content.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 20));
    DWORD got = 0;
    if (!ReadFile(file.Get(), &content[done], chunk, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

void SetInput(bz_stream& stream, const std::string& input) {
  stream.next_in = const_cast<char*>(input.data());
  stream.avail_in = static_cast<unsigned>(input.size());
}

bool Compress(const std::string& input, std::string& output) {
  bz_stream stream{};
  if (BZ2_bzCompressInit(&stream, kBlockSize, 0, kWorkFactor) != BZ_OK) return false;
  SetInput(stream, input);
  char buffer[kBufferSize];
  int status;
  do {
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    status = BZ2_bzCompress(&stream, BZ_FINISH);
    output.append(buffer, sizeof buffer - stream.avail_out);
  } while (status == BZ_FINISH_OK);
  BZ2_bzCompressEnd(&stream);
  return status == BZ_STREAM_END;
}

// Runs the decompression of `input` and hands each piece of output to
// `sink`, which answers false to give up. True when the stream ended
// properly within kMaxDecompressed bytes.
template <typename Sink>
bool Decompress(const std::string& input, Sink sink) {
  bz_stream stream{};
  if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK) return false;
  SetInput(stream, input);
  char buffer[kBufferSize];
  size_t total = 0;
  int status;
  do {
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    status = BZ2_bzDecompress(&stream);
    size_t produced = sizeof buffer - stream.avail_out;
    if (produced > kMaxDecompressed - total || !sink(buffer, produced)) {
      status = BZ_MEM_ERROR;
      break;
    }
    total += produced;
    // Input used up before the end of the stream: the file is truncated.
    if (status == BZ_OK && stream.avail_in == 0 && stream.avail_out != 0) status = BZ_UNEXPECTED_EOF;
  } while (status == BZ_OK);
  BZ2_bzDecompressEnd(&stream);
  return status == BZ_STREAM_END;
}

// A peer's list is untrusted: a first pass only measures it, so a stream that
// expands past the limit costs time but no memory, and the text is then
// allocated once at its exact size.
bool DecompressBounded(const std::string& input, std::string& output) {
  size_t size = 0;
  if (!Decompress(input, [&size](const char*, size_t produced) {
        size += produced;
        return true;
      })) {
    return false;
  }
  output.reserve(size);
  return Decompress(input, [&output](const char* data, size_t produced) {
    if (produced > output.capacity() - output.size()) return false;
    output.append(data, produced);
    return true;
  }) && output.size() == size;
}

}  // namespace

bool CompressInPlace(const std::string& path) {
  try {
    std::string content, compressed;
    if (!ReadWholeFile(path, kMaxDecompressed, content) || !Compress(content, compressed)) return false;
    // The original stays in place until the compressed copy is complete.
    return win::ReplacingFile::WriteAll(path, compressed.data(), compressed.size());
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool DecompressToText(const std::string& path, std::string& text) {
  text.clear();
  try {
    std::string compressed;
    if (ReadWholeFile(path, kMaxDecompressed, compressed) && !compressed.empty() &&
        DecompressBounded(compressed, text)) {
      return true;
    }
  } catch (const std::bad_alloc&) {
  }
  std::string().swap(text);
  return false;
}

}  // namespace Bzip2File
