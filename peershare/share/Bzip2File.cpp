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

// Runs one bzip2 step after the other, each into a fresh output buffer,
// while the step answers `more` and the output stays within `limit`.
template <typename Step>
int Pump(bz_stream& stream, std::string& output, int more, size_t limit, Step step) {
  char buffer[kBufferSize];
  int status;
  do {
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    status = step();
    output.append(buffer, sizeof buffer - stream.avail_out);
  } while (status == more && output.size() <= limit);
  return status;
}

}  // namespace

bool Compress(const std::string& text, std::string& compressed) {
  compressed.clear();
  if (text.size() > UINT_MAX / 2) return false;
  bz_stream stream{};
  if (BZ2_bzCompressInit(&stream, kBlockSize, 0, kWorkFactor) != BZ_OK) return false;
  SetInput(stream, text);
  int status = Pump(stream, compressed, BZ_FINISH_OK, compressed.max_size(),
                    [&] { return BZ2_bzCompress(&stream, BZ_FINISH); });
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
  int status = Pump(stream, text, BZ_OK, kMaxDecompressed, [&] {
    int step = BZ2_bzDecompress(&stream);
    // Input used up before the end of the stream: the file is truncated.
    return step == BZ_OK && stream.avail_in == 0 && stream.avail_out != 0 ? BZ_UNEXPECTED_EOF : step;
  });
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
