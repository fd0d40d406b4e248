#include "share/Bzip2File.h"

#include <bzlib.h>

#include <climits>
#include <new>

#include "share/FileBytes.h"

namespace Bzip2File {
namespace {

void SetInput(bz_stream& stream, const std::string& input) {
  // bzip2 never writes through next_in; its interface just lacks the const.
  stream.next_in = const_cast<char*>(input.data());
  stream.avail_in = static_cast<unsigned>(input.size());
}

// Runs one bzip2 step after the other, each into a fresh output buffer that
// goes to `sink`, while the step answers `more` and `sink` takes the bytes.
template <typename Step, typename Sink>
int Pump(bz_stream& stream, int more, Step step, Sink sink) {
  char buffer[kBufferSize];
  int status;
  do {
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    status = step();
    if (!sink(buffer, sizeof buffer - stream.avail_out)) return BZ_MEM_ERROR;
  } while (status == more);
  return status;
}

// Decompresses the whole stream, handing the output to `sink` piece by piece;
// true when the stream ended properly within kMaxDecompressed bytes.
template <typename Sink>
bool Inflate(const std::string& compressed, Sink sink) {
  bz_stream stream{};
  if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK) return false;
  SetInput(stream, compressed);
  size_t total = 0;
  int status = Pump(
      stream, BZ_OK,
      [&] {
        int step = BZ2_bzDecompress(&stream);
        // Input used up before the end of the stream: the file is truncated.
        return step == BZ_OK && stream.avail_in == 0 && stream.avail_out != 0 ? BZ_UNEXPECTED_EOF : step;
      },
      [&](const char* data, size_t size) {
        // The limit is checked before anything is kept.
        if (size > kMaxDecompressed - total) return false;
        total += size;
        return sink(data, size);
      });
  BZ2_bzDecompressEnd(&stream);
  return status == BZ_STREAM_END;
}

}  // namespace

bool Compress(const std::string& text, std::string& compressed) {
  compressed.clear();
  if (text.size() > UINT_MAX / 2) return false;
  bz_stream stream{};
  if (BZ2_bzCompressInit(&stream, kBlockSize, 0, kWorkFactor) != BZ_OK) return false;
  SetInput(stream, text);
  int status = BZ_MEM_ERROR;
  try {
    status = Pump(
        stream, BZ_FINISH_OK, [&] { return BZ2_bzCompress(&stream, BZ_FINISH); },
        [&](const char* data, size_t size) {
          compressed.append(data, size);
          return true;
        });
  } catch (const std::bad_alloc&) {
  }
  BZ2_bzCompressEnd(&stream);
  if (status != BZ_STREAM_END) std::string().swap(compressed);
  return status == BZ_STREAM_END;
}

// A peer's list is untrusted: a first pass only measures it, so a stream that
// expands past the limit costs time but no memory, and the text is then
// allocated once at its exact size.
bool Decompress(const std::string& compressed, std::string& text) {
  text.clear();
  if (compressed.empty() || compressed.size() > UINT_MAX / 2) return false;
  size_t size = 0;
  bool complete = Inflate(compressed, [&size](const char*, size_t piece) {
    size += piece;
    return true;
  });
  try {
    if (complete) text.reserve(size);
    complete = complete && Inflate(compressed, [&text](const char* data, size_t piece) {
      if (piece > text.capacity() - text.size()) return false;
      text.append(data, piece);
      return true;
    }) && text.size() == size;
  } catch (const std::bad_alloc&) {
    complete = false;
  }
  if (!complete) std::string().swap(text);
  return complete;
}

bool CompressInPlace(const std::string& path) {
  try {
    std::string content, compressed;
    // The file keeps its content until the compressed copy is complete.
    return FileBytes::Read(path, content) && Compress(content, compressed) && FileBytes::Write(path, compressed);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool DecompressToText(const std::string& path, std::string& text) {
  text.clear();
  std::string compressed;
  try {
    // A compressed list above the limit is refused without reading it.
    if (!FileBytes::Read(path, compressed, kMaxDecompressed)) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return Decompress(compressed, text);
}

}  // namespace Bzip2File
