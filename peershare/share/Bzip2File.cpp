#include "share/Bzip2File.h"

#include <bzlib.h>

#include <cstdio>
#include <memory>

namespace Bzip2File {
namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

bool ReadWholeFile(const std::string& path, std::string& content) {
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  char buffer[kBufferSize];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) content.append(buffer, got);
  return std::ferror(file.get()) == 0;
}

void SetInput(bz_stream& stream, std::string& input) {
  stream.next_in = input.data();
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

bool Compress(std::string& input, std::string& output) {
  bz_stream stream{};
  if (BZ2_bzCompressInit(&stream, kBlockSize, 0, kWorkFactor) != BZ_OK) return false;
  SetInput(stream, input);
  int status =
      Pump(stream, output, BZ_FINISH_OK, output.max_size(), [&] { return BZ2_bzCompress(&stream, BZ_FINISH); });
  BZ2_bzCompressEnd(&stream);
  return status == BZ_STREAM_END;
}

bool Decompress(std::string& input, std::string& output) {
  bz_stream stream{};
  if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK) return false;
  SetInput(stream, input);
  int status = Pump(stream, output, BZ_OK, kMaxDecompressed, [&] {
    int step = BZ2_bzDecompress(&stream);
    // Input used up before the end of the stream: the file is truncated.
    return step == BZ_OK && stream.avail_in == 0 && stream.avail_out != 0 ? BZ_UNEXPECTED_EOF : step;
  });
  BZ2_bzDecompressEnd(&stream);
  return status == BZ_STREAM_END && output.size() <= kMaxDecompressed;
}

}  // namespace

bool CompressInPlace(const std::string& path) {
  std::string content, compressed;
  if (!ReadWholeFile(path, content) || !Compress(content, compressed)) return false;
  UniqueFile file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  bool written = std::fwrite(compressed.data(), 1, compressed.size(), file.get()) == compressed.size();
  return std::fclose(file.release()) == 0 && written;
}

bool DecompressToText(const std::string& path, std::string& text) {
  text.clear();
  std::string compressed;
  if (!ReadWholeFile(path, compressed) || compressed.empty() || !Decompress(compressed, text)) {
    text.clear();
    return false;
  }
  return true;
}

}  // namespace Bzip2File
