// What one LooksLikeUrl call costs against one InternetCrackUrlW call, the
// platform's URL parser, on the same addresses: full URLs, bare host names
// that the top-level domain table decides, a dotted IPv4 form and
// localhost. The crack asks for every part of the address, as a caller that
// parses it does. Prints both times and their ratio, the median of several
// rounds that alternate which of the two runs first.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "button/UrlRules.h"

namespace {

constexpr int kWarmUp = 1000;
constexpr int kCalls = 20000;
constexpr int kRounds = 7;
const wchar_t* const kAddresses[] = {
    L"http://www.example.com/index.html", L"www.example.com",  L"news.sina.com.cn",
    L"https://mail.example.org:8443/inbox?id=7", L"10.0.0.1:8080/x", L"localhost/test",
};

volatile int g_sink = 0;

bool Crack(const wchar_t* address) {
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength =
      parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  return InternetCrackUrlW(address, 0, 0, &parts) != FALSE;
}

// Nanoseconds per call of `call` over all addresses.
template <typename Call>
double NanosecondsPerCall(Call call) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kCalls; ++i) {
    for (const wchar_t* address : kAddresses) g_sink = g_sink + (call(address) ? 1 : 0);
  }
  QueryPerformanceCounter(&end);
  const double calls = double(kCalls) * (sizeof kAddresses / sizeof kAddresses[0]);
  return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart) * 1e9 / calls;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  for (const wchar_t* address : kAddresses) {
    if (!LooksLikeUrl(address)) {
      std::printf("LooksLikeUrl does not accept %ls: nothing to measure\n", address);
      return 1;
    }
  }
  for (int i = 0; i < kWarmUp; ++i) g_sink = g_sink + (LooksLikeUrl(kAddresses[i % 6]) ? 1 : 0) + Crack(kAddresses[i % 6]);
  std::vector<double> rules, platform, ratio;
  for (int round = 0; round < kRounds; ++round) {
    double a, b;
    if (round % 2 == 0) {
      a = NanosecondsPerCall(LooksLikeUrl);
      b = NanosecondsPerCall(Crack);
    } else {
      b = NanosecondsPerCall(Crack);
      a = NanosecondsPerCall(LooksLikeUrl);
    }
    rules.push_back(a);
    platform.push_back(b);
    ratio.push_back(a / b);
  }
  std::printf("%d addresses, %d calls each, median of %d alternating rounds\n",
              static_cast<int>(sizeof kAddresses / sizeof kAddresses[0]), kCalls, kRounds);
  std::printf("LooksLikeUrl:      %.1f ns per call\n", Median(rules));
  std::printf("InternetCrackUrlW: %.1f ns per call\n", Median(platform));
  std::printf("ratio LooksLikeUrl / InternetCrackUrlW: %.2f\n", Median(ratio));
  return 0;
}
