#include "share/Bzip2File.h"

#include <bzlib.h>

#include <climits>

#include "share/FileBytes.h"

namespace Bzip2File {
namespace {

void SetInput(bz_stream& stream, const std::string& input) {
  // bzip2 never writes through next_in; its interface just lacks the const.
  stream.next_in = const_cast<char*>(input.data());
  stream.avail_in = static_cast<unsigned>(input.size());
}

// A bzip2 stream never expands its input by more than about 1 %.
size_t CompressedCapacity(size_t size) { return size + size / 100 + 600; }

}  // namespace

bool Compress(const std::string& text, std::string& compressed) {
  compressed.clear();
  if (text.size() > UINT_MAX / 2) return false;
  bz_stream stream{};
  if (BZ2_bzCompressInit(&stream, kBlockSize, 0, kWorkFactor) != BZ_OK) return false;
  SetInput(stream, text);
  // One output buffer large enough for the whole stream: a single call
  // finishes it, without the copies of a chunked loop.
  compressed.resize(CompressedCapacity(text.size()));
  size_t done = 0;
  int status;
  for (;;) {
    stream.next_out = &compressed[done];
    stream.avail_out = static_cast<unsigned>(compressed.size() - done);
    status = BZ2_bzCompress(&stream, BZ_FINISH);
    done = compressed.size() - stream.avail_out;
    if (status != BZ_FINISH_OK) break;
    compressed.resize(compressed.size() + kBufferSize);
  }
  compressed.resize(done);
  BZ2_bzCompressEnd(&stream);
  if (status != BZ_STREAM_END) compressed.clear();
  return status == BZ_STREAM_END;
}

bool Decompress(const std::string& compressed, std::string& text) {
  text.clear();
  if (compressed.empty() || compressed.size() > UINT_MAX / 2) return false;
  bz_stream stream{};
  if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK) return false;
  SetInput(stream, compressed);
  char buffer[kBufferSize];
  int status;
  do {
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    status = BZ2_bzDecompress(&stream);
    text.append(buffer, sizeof buffer - stream.avail_out);
    // Input used up before the end of the stream: the file is truncated.
    if (status == BZ_OK && stream.avail_in == 0 && stream.avail_out != 0) status = BZ_UNEXPECTED_EOF;
  } while (status == BZ_OK && text.size() <= kMaxDecompressed);
  BZ2_bzDecompressEnd(&stream);
  bool complete = status == BZ_STREAM_END && text.size() <= kMaxDecompressed;
  if (!complete) text.clear();
  return complete;
}

bool CompressInPlace(const std::string& path) {
  std::string content, compressed;
  return FileBytes::Read(path, content) && Compress(content, compressed) && FileBytes::Write(path, compressed);
}

bool DecompressToText(const std::string& path, std::string& text) {
  text.clear();
  std::string compressed;
  // A compressed list above the limit is refused without reading it.
  return FileBytes::Read(path, compressed, kMaxDecompressed) && Decompress(compressed, text);
}

}  // namespace Bzip2File
