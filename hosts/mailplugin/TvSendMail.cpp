// The client's mail plug-in as a double: "Plugins\TvSendMail.dll" with the
// export "init(MailHolder*)" returning a MailSender. Open logs its arguments
// to "TvSendMail.log" beside the library (code page 936 text, one line a
// call) and opens a small window of the class "TvSendMailDouble". A test
// drives the window with messages:
//   kSayDone (wParam: the value)  closes the window and calls the holder's Done
//   kSayDoneTwice                 the same, with Done called twice
// Variants for the plug-in's failures, built from this file:
//   MAIL_DOUBLE_NO_INIT    no export "init"
//   MAIL_DOUBLE_NULL_INIT  "init" returns null
//   MAIL_DOUBLE_REFUSES    Open returns 0 and opens nothing
#include <windows.h>

#include <cstdio>
#include <string>

#include "search/MailInterfaces.h"

namespace {

constexpr const char* kWindowClass = "TvSendMailDouble";
constexpr UINT kSayDone = WM_APP + 1;
constexpr UINT kSayDoneTwice = WM_APP + 2;

HMODULE module = nullptr;

std::string LogPath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(module, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of("\\/") + 1) + "TvSendMail.log";
}

void LogLine(const std::string& line) {
  if (FILE* file = std::fopen(LogPath().c_str(), "ab")) {
    std::fprintf(file, "%s\r\n", line.c_str());
    std::fclose(file);
  }
}

class SenderDouble : public MailSender {
 public:
  explicit SenderDouble(MailHolder* holder) : holder_(holder) {}
  ~SenderDouble() { CloseWindow(); }

  int32_t Open(uint32_t user, const char* text, int32_t mailMaxCopy, const char* mailHashId,
               const char* mailUrl) override {
    char line[2048];
    std::snprintf(line, sizeof line, "Open(%u, \"%s\", %d, \"%s\", \"%s\")", user, text ? text : "null", mailMaxCopy,
                  mailHashId ? mailHashId : "null", mailUrl ? mailUrl : "null");
    LogLine(line);
#ifdef MAIL_DOUBLE_REFUSES
    return 0;
#else
    if (window_ != nullptr) return 1;
    window_ = CreateWindowExA(0, kWindowClass, "发送邮件", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 80, 320, 160, nullptr,
                              nullptr, module, this);
    return window_ != nullptr ? 1 : 0;
#endif
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<SenderDouble*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && (message == kSayDone || message == kSayDoneTwice)) {
      self->CloseWindow();
      self->holder_->Done(static_cast<int32_t>(wParam));
      if (message == kSayDoneTwice) self->holder_->Done(static_cast<int32_t>(wParam));
      LogLine("Done(" + std::to_string(static_cast<int32_t>(wParam)) + ")");
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

 private:
  void CloseWindow() {
    if (window_ == nullptr) return;
    HWND window = window_;
    window_ = nullptr;
    DestroyWindow(window);
  }

  MailHolder* holder_;
  HWND window_ = nullptr;
};

// One sender a load: the library goes with its sender.
SenderDouble* sender = nullptr;

}  // namespace

#ifndef MAIL_DOUBLE_NO_INIT
extern "C" __declspec(dllexport) MailSender* init(MailHolder* holder) {
  LogLine(std::string("init(") + (holder != nullptr ? "holder" : "null") + ")");
#ifdef MAIL_DOUBLE_NULL_INIT
  return nullptr;
#else
  if (holder == nullptr) return nullptr;
  delete sender;
  sender = new SenderDouble(holder);
  return sender;
#endif
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    module = instance;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &SenderDouble::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
  } else if (reason == DLL_PROCESS_DETACH) {
    LogLine("unloaded");
    delete sender;
    sender = nullptr;
    UnregisterClassA(kWindowClass, instance);
  }
  return TRUE;
}
