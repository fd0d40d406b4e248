// Prints, as a ratio against a baseline timed in the same run: downloading a
// 50 MB file from a local web server double through CNetCommunication
// (GetUrlFile, then DownLoad into a new file) against a bare WinINet loop
// that reads the same file in 64 KB blocks and writes them to a file. Goal:
// at most 1.2.
//
// download_benchmark FOLDER PORT: FOLDER is the folder the server double on
// 127.0.0.1:PORT serves. The benchmark puts its file there and removes it,
// and the files it downloaded, at the end.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "BestTime.h"
#include "CNetCommunication.h"
#include "win/Handles.h"
#include "win/InternetHandles.h"

namespace {

const DWORD kSize = 50 * 1024 * 1024;
const wchar_t kName[] = L"certassist-benchmark-50mb.bin";

bool WriteServedFile(const std::wstring& path) {
  win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  std::vector<char> block(1 << 20);
  for (DWORD written = 0, offset = 0; offset < kSize; offset += written) {
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((offset + i) * 2654435761u >> 24);
    if (!WriteFile(file.Get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr)) return false;
  }
  return true;
}

// The bare loop: what any program does to fetch a file with WinINet.
bool BareDownload(const std::wstring& url, const std::wstring& path) {
  win::UniqueInternet session(InternetOpenW(L"LCCA Assitant", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  win::UniqueInternet request(
      session ? InternetOpenUrlW(session.Get(), url.c_str(), nullptr, 0,
                                 INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 1)
              : nullptr);
  win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!request || !file) return false;
  std::vector<char> block(64 * 1024);
  DWORD got = 0, written = 0;
  while (InternetReadFile(request.Get(), block.data(), static_cast<DWORD>(block.size()), &got) && got > 0)
    WriteFile(file.Get(), block.data(), got, &written, nullptr);
  return true;
}

LONGLONG FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return static_cast<LONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

}  // namespace

int wmain(int count, wchar_t** arguments) {
  if (count < 3) {
    std::fprintf(stderr, "usage: download_benchmark FOLDER PORT\n");
    return 2;
  }
  std::wstring served = std::wstring(arguments[1]) + L"\\" + kName;
  std::wstring url = std::wstring(L"http://127.0.0.1:") + arguments[2] + L"/" + kName;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring viaClass = std::wstring(temp) + L"certassist-benchmark-download.bin";
  std::wstring viaLoop = std::wstring(temp) + L"certassist-benchmark-loop.bin";
  if (!WriteServedFile(served)) {
    std::fprintf(stderr, "cannot write the served file\n");
    return 1;
  }
  bool ok = true;
  // The two take turns, so that both meet the same load of a shared machine.
  double download = 1e30, bare = 1e30;
  for (int round = 0; round < 5; ++round) {
    DeleteFileW(viaClass.c_str());
    download = std::min(download, BestTime(1, [&] {
      CNetCommunication net;
      ok &= net.GetUrlFile(url.c_str()) == 0 && net.DownLoad(viaClass.c_str()) == 0;
    }));
    ok &= FileSize(viaClass) == kSize && CNetCommunication::m_downLoadFileLen == kSize;
    DeleteFileW(viaLoop.c_str());
    bare = std::min(bare, BestTime(1, [&] { ok &= BareDownload(url, viaLoop); }));
    ok &= FileSize(viaLoop) == kSize;
  }
  for (const std::wstring& file : {served, viaClass, viaLoop}) DeleteFileW(file.c_str());
  std::printf("Download of a 50 MB file from the local server double: DownLoad %.1f ms; bare WinINet loop (64 KB "
              "blocks to a file) %.1f ms; ratio %.2f (goal 1.20)%s\n",
              download * 1e3, bare * 1e3, download / bare, ok ? "" : " (A DOWNLOAD FAILED)");
  return ok ? 0 : 1;
}
