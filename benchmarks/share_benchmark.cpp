// Prints, as a ratio against a baseline timed in the same run: publishing
// the copy of a 50,000-file share document (paths cut, text, bzip2, temp0
// and temp1 replaced) against one bare bzip2 compression of the same
// text. Goal: at most 1.3.
#include <windows.h>

#include <bzlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "BestTime.h"
#include "share/Bzip2File.h"
#include "share/PublishedCopy.h"
#include "share/ShareDocument.h"

namespace {

constexpr int kFiles = 50000;
constexpr uint32_t kUser = 10001;

// Seven categories with sub-categories, Chinese folders and comments.
std::string LargeShareDocument() {
  static const char* const kLabels[] = {"音乐", "图片", "视频", "图书", "资料", "软件", "游戏"};
  std::string text = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<ShareFile version=\"2\" TimeStamp=\"261208101010\">\r\n";
  char line[600];
  int file = 0;
  for (int category = 0; category < 7; ++category) {
    std::snprintf(line, sizeof line, "<Type name=\"%s\" style=\"0\" dir=\"%d\">\r\n", kLabels[category], category + 1);
    text += line;
    for (int sub = 1; sub <= 10; ++sub) {
      std::snprintf(line, sizeof line, "<Type name=\"子类%d\" style=\"0\" dir=\"%d\">\r\n", sub, sub);
      text += line;
      for (; file < kFiles * (category * 10 + sub) / 70; ++file) {
        std::snprintf(line, sizeof line,
                      "<file MD5=\"%08x%08x%08x%08x\" fileSize=\"%d\" time=\"%d\" reShare=\"0\">\r\n"
                      "<filePath>\r\nD:\\共享\\%s\\子类%d\\文件%06d.dat</filePath>\r\n%s</file>\r\n",
                      file * 2654435761u, file ^ 0x5bd1e995u, file * 40503u, file + 7u, 1000 + file * 13,
                      1290000000 + file, kLabels[category], sub, file,
                      file % 5 == 0 ? "<comment>\r\n好看的东西</comment>\r\n" : "");
        text += line;
      }
      text += "</Type>\r\n";
    }
    text += "</Type>\r\n";
  }
  return text + "<Type name=\"珍藏\" style=\"0\" dir=\"8\" passWord=\"pw\">\r\n</Type>\r\n</ShareFile>\r\n";
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string data = std::string(temp) + "tovak-share-benchmark";
  CreateDirectoryA(data.c_str(), nullptr);
  CreateDirectoryA((data + "\\config").c_str(), nullptr);
  const ShareFileNames names(data, kUser);
  FILE* out = std::fopen(names.Document().c_str(), "wb");
  const std::string source = LargeShareDocument();
  std::fwrite(source.data(), 1, source.size(), out);
  std::fclose(out);

  ShareDocument document;
  document.Open(names, nullptr);
  const std::string text = document.PeersText();
  std::string compressed(text.size() + text.size() / 100 + 600, '\0');
  PublishedCopy::Sizes sizes;
  bool published = true;
  // The two take turns, so that both meet the same load of a shared machine;
  // the processor time of this thread counts too, which other programs on
  // the machine do not change.
  double publish = 1e30, bare = 1e30, publishCpu = 1e30, bareCpu = 1e30;
  for (int round = 0; round < 7; ++round) {
    double cpu = ThreadCpuSeconds();
    publish = std::min(publish, BestTime(1, [&] {
      published &= PublishedCopy::Write(document.PeersText(), names, &sizes);
    }));
    publishCpu = std::min(publishCpu, ThreadCpuSeconds() - cpu);
    cpu = ThreadCpuSeconds();
    bare = std::min(bare, BestTime(1, [&] {
      unsigned length = static_cast<unsigned>(compressed.size());
      BZ2_bzBuffToBuffCompress(&compressed[0], &length, const_cast<char*>(text.data()),
                               static_cast<unsigned>(text.size()), Bzip2File::kBlockSize, 0, Bzip2File::kWorkFactor);
    }));
    bareCpu = std::min(bareCpu, ThreadCpuSeconds() - cpu);
  }
  for (const std::string& file : {names.Document(), names.PublishedCopy(), names.HandOutCopy()})
    DeleteFileA(file.c_str());
  RemoveDirectoryA((data + "\\config").c_str());
  RemoveDirectoryA(data.c_str());

  std::printf("Published copy (%d files, %u bytes of text, %u compressed): %.1f ms; bare bzip2 of the same text: "
              "%.1f ms; ratio %.2f (goal 1.30); processor time %.1f ms against %.1f ms, ratio %.2f%s\n",
              kFiles, static_cast<unsigned>(sizes.text), static_cast<unsigned>(sizes.compressed), publish * 1e3,
              bare * 1e3, publish / bare, publishCpu * 1e3, bareCpu * 1e3, publishCpu / bareCpu,
              published ? "" : " (PUBLISHING FAILED)");
  return published ? 0 : 1;
}
