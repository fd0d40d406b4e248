// The bzip2 reader of peers' lists: any file is either refused with an empty
// text or decompressed within the limit; what CompressInPlace writes
// decompresses to the original.
#include <bzlib.h>

#include <string>
#include <vector>

#include "HostileInput.h"
#include "TempFolder.h"
#include "share/Bzip2File.h"

namespace {

std::string Content(hostile::Input& input) {
  switch (input.Below(4)) {
    case 0: return input.Bytes(20000);
    case 1: return std::string(input.Length(600000), static_cast<char>(input.Next()));
    default: return input.CodePageText(20000);
  }
}

// A list as a peer would send it, made in memory.
std::string Compressed(std::string content) {
  content.reserve(1);
  std::string out(content.size() + content.size() / 100 + 600, '\0');
  unsigned size = static_cast<unsigned>(out.size());
  if (BZ2_bzBuffToBuffCompress(&out[0], &size, content.data(),
                               static_cast<unsigned>(content.size()), 9, 0, 30) != BZ_OK) {
    return std::string();
  }
  out.resize(size);
  return out;
}

}  // namespace

HOSTILE_TARGET(bzip2_reader) {
  // One folder for the whole run: making and removing one per case costs
  // more than the case.
  static TempFolder folder;
  const std::string path = folder.File("temp1share7_9.xml");
  const std::string content = Content(input);
  input.Record(content);
  std::string compressed;
  // Compression in place writes through to the disk: only now and then.
  if (input.CaseNumber() % 20 == 0) {
    HOSTILE_CHECK(WriteFileBytes(path, content), "the test file is written");
    HOSTILE_CHECK(Bzip2File::CompressInPlace(path), "compression succeeds");
    compressed = ReadFileBytes(path);
  } else {
    compressed = Compressed(content);
    HOSTILE_CHECK(WriteFileBytes(path, compressed), "the compressed file is written");
  }
  std::string text;
  HOSTILE_CHECK(Bzip2File::DecompressToText(path, text) && text == content,
                "a compressed file decompresses to its content");

  // A peer's list: the stream damaged, cut or made up.
  std::string hostile = input.Chance(20) ? "BZh9" + input.Bytes(5000)
                                         : input.Mutate(compressed, {"BZh9", "1AY&SY", std::string(4, '\0'), "\xFF"});
  input.Record(hostile);
  HOSTILE_CHECK(WriteFileBytes(path, hostile), "the damaged file is written");
  text = "stale";
  if (!Bzip2File::DecompressToText(path, text)) {
    HOSTILE_CHECK(text.empty(), "a refused list leaves an empty text");
  } else {
    HOSTILE_CHECK(text.size() <= Bzip2File::kMaxDecompressed, "a list stays within the limit");
  }
}
