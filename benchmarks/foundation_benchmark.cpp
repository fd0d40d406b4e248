// Prints, as ratios against baselines timed in the same run:
// - XmlDocument::Parse, Save and Release of a share document with 50,000
//   files, each against a bare Expat parse of the same UTF-16 text: the
//   median of the per-round ratios over rounds that alternate which of the
//   two runs first, so that a busy machine moves both alike;
// - the peak memory of parsing such a document, and one of 1,000,000 small
//   elements, per byte of input (each measured in a fresh process);
// - one SignedCookieCheck against one gcry_pk_verify on the same curve and key.
#include <windows.h>
#include <psapi.h>

#include <expat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "BestTime.h"
#include "CookieSigner.h"
#include "frame/XmlDocument.h"
#include "webslice/SignedCookieCheck.h"
#include "win/Handles.h"

namespace {

double Seconds(const std::function<void()>& work) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  work();
  QueryPerformanceCounter(&end);
  return double(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

// Adds the thread's processor time during its life to `total`.
class CpuClock {
 public:
  explicit CpuClock(double& total) : total_(total), start_(ThreadCpuSeconds()) {}
  ~CpuClock() { total_ += ThreadCpuSeconds() - start_; }

 private:
  double& total_;
  double start_;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string ShareDocument(int files) {
  std::string text = "<?xml version='1.0' encoding='gb2312'?>\r\n<ShareFile version=\"2\">\r\n";
  text += "<Type name=\"视频\" style=\"0\" dir=\"3\">\r\n";
  char file[512];
  for (int i = 0; i < files; ++i) {
    std::snprintf(file, sizeof file,
                  "<file MD5=\"%032x\" fileSize=\"%d\" time=\"1290000000\" reShare=\"0\">\r\n"
                  "<filePath>\r\nD:\\电影\\第%d集.rmvb</filePath>\r\n</file>\r\n",
                  i * 2654435761u, 1000 + i, i);
    text += file;
  }
  return text + "</Type>\r\n</ShareFile>\r\n";
}

// One element holding `count` empty ones, made at its final size.
std::string SmallElements(int count) {
  const char open[] = "<r>", element[] = "<e/>", close[] = "</r>";
  std::string text;
  text.reserve(sizeof open + count * (sizeof element - 1) + sizeof close);
  text += open;
  for (int i = 0; i < count; ++i) text.append(element, sizeof element - 1);
  return text + close;
}

void BenchmarkXml() {
  const std::string text = ShareDocument(50000);
  int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(1, L'\xFEFF');
  wide.resize(wideLength + 1);
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[1], wideLength);
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string target = std::string(folder) + "tovak-benchmark-share.xml";

  double bareCpu = 0, treeCpu = 0;
  auto bare = [&] {
    CpuClock clock(bareCpu);
    return Seconds([&] {
      XML_Parser parser = XML_ParserCreate(L"UTF-16");
      XML_Parse(parser, reinterpret_cast<const char*>(wide.data()), static_cast<int>(wide.size() * 2), XML_TRUE);
      XML_ParserFree(parser);
    });
  };
  struct Tree {
    double parse, save, release;
  };
  bool allGood = true;
  auto tree = [&] {
    CpuClock clock(treeCpu);
    Tree times{};
    XmlDocument* document = XmlDocument::NewDocument();
    times.parse = Seconds([&] { allGood &= document->Parse(text); });
    times.save = Seconds([&] { allGood &= document->Save(target); });
    times.release = Seconds([&] { document->Release(); });
    return times;
  };
  const int kRounds = 9;
  std::vector<double> bareTimes, parse, save, release, total;
  bare();
  tree();
  bareCpu = treeCpu = 0;
  for (int round = 0; round < kRounds; ++round) {
    double baseline;
    Tree times;
    if (round % 2 == 0) {
      baseline = bare();
      times = tree();
    } else {
      times = tree();
      baseline = bare();
    }
    bareTimes.push_back(baseline);
    parse.push_back(times.parse / baseline);
    save.push_back(times.save / baseline);
    release.push_back(times.release / baseline);
    total.push_back((times.parse + times.save + times.release) / baseline);
  }
  DeleteFileA(target.c_str());
  std::printf("XmlDocument, share document of 50000 files (%u bytes), median of %d alternating rounds%s:\n",
              static_cast<unsigned>(text.size()), kRounds, allGood ? "" : " (A PARSE OR SAVE FAILED)");
  std::printf("  bare Expat parse %.1f ms; ratios: Parse %.2f, Save %.2f, Release %.2f, together %.2f\n",
              Median(bareTimes) * 1e3, Median(parse), Median(save), Median(release), Median(total));
  std::printf("  processor time of all rounds: %.0f ms against %.0f ms, ratio %.2f\n", treeCpu * 1e3, bareCpu * 1e3,
              treeCpu / bareCpu);
}

size_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize;
}

// Run in a process of its own: the peak working set that parsing adds, per
// byte of input.
int MeasureParseMemory(const char* which) {
  const bool share = std::strcmp(which, "share") == 0;
  const std::string text = share ? ShareDocument(50000) : SmallElements(1000000);
  const size_t before = PeakWorkingSet();
  XmlDocument* document = XmlDocument::NewDocument();
  bool parsed = document->Parse(text);
  const size_t peak = PeakWorkingSet();
  std::printf("  %-34s %9u bytes: peak memory %.1f bytes per input byte%s\n",
              share ? "share document of 50000 files," : "1000000 elements <e/> in one,",
              static_cast<unsigned>(text.size()), double(peak - before) / text.size(), parsed ? "" : " (NOT PARSED)");
  document->Release();
  return parsed ? 0 : 1;
}

void BenchmarkXmlMemory() {
  std::printf("XmlDocument::Parse memory (each in a fresh process):\n");
  std::fflush(stdout);
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  for (const wchar_t* which : {L"share", L"small"}) {
    std::wstring command = std::wstring(L"\"") + program + L"\" --memory " + which;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
      std::printf("  cannot start the measuring process\n");
      continue;
    }
    win::UniqueProcess owned(process.hProcess);
    win::UniqueThread thread(process.hThread);
    WaitForSingleObject(owned.Get(), INFINITE);
  }
}

void BenchmarkCookieCheck() {
  const std::string cookie = "uid=10001;nick=benchmark", key = "navigation-key";
  const std::string signature = CookieSigner::Sign(cookie, key, kCookieFixedText);
  const int calls = 50;
  bool allGood = true;
  double check = BestTime(3, [&] {
    for (int i = 0; i < calls; ++i) {
      allGood &= SignedCookieCheck(signature.c_str(), static_cast<int>(signature.size()), cookie.c_str(),
                                   key.c_str(), kCookieFixedText);
    }
  });
  double library = BestTime(3, [&] {
    for (int i = 0; i < calls; ++i) allGood &= CookieSigner::LibraryVerify(signature, cookie, key, kCookieFixedText);
  });
  std::printf("SignedCookieCheck: %.3f ms per call; gcry_pk_verify: %.3f ms per call; ratio %.2f%s\n",
              check * 1e3 / calls, library * 1e3 / calls, check / library,
              allGood ? "" : " (A VERIFICATION FAILED)");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--memory") == 0) return MeasureParseMemory(argv[2]);
  BenchmarkXml();
  BenchmarkXmlMemory();
  BenchmarkCookieCheck();
  return 0;
}
