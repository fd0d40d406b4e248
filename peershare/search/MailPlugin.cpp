#include "search/MailPlugin.h"

#include <utility>

#include "frame/HostClient.h"

// The mail holder: the plug-in may say "done" from any of its threads, so it
// only posts to the main window.
class MailPlugin::WindowHolder : public MailHolder {
 public:
  WindowHolder(HWND window, uint32_t number) : window_(window), number_(number) {}
  void Done(int32_t value) override {
    PostMessageA(window_, kDoneMessage, static_cast<WPARAM>(static_cast<uint32_t>(value)),
                 static_cast<LPARAM>(number_));
  }

 private:
  HWND window_;
  uint32_t number_;
};

MailPlugin::MailPlugin(std::string programFolder) : programFolder_(std::move(programFolder)) {}

MailPlugin::~MailPlugin() { Close(); }

int32_t MailPlugin::Open(HWND window, HostClient* host, const ServerSettings::Values& settings) {
  if (IsOpen() || window == nullptr || host == nullptr) return 0;
  // Numbers start at 1: a posted 0 never names a holder.
  if (++holderNumber_ == 0) ++holderNumber_;
  holder_ = std::make_unique<WindowHolder>(window, holderNumber_);
  library_.Reset(LoadLibraryA((programFolder_ + kLibrary).c_str()));
  auto init = library_ ? reinterpret_cast<MailPluginInit>(reinterpret_cast<void*>(GetProcAddress(library_.Get(), "init")))
                       : nullptr;
  MailSender* sender = init != nullptr ? init(holder_.get()) : nullptr;
  if (sender == nullptr) {
    library_.Reset();
    holder_.reset();
    return 0;
  }
  uint32_t user = 0;
  char text[kHostTextMax] = "", second[kHostTextMax] = "", third[kHostTextMax] = "";
  host->GetAccountInfo(&user, text, second, 0, third);
  text[kHostTextMax - 1] = '\0';
  if (sender->Open(user, text, settings.mailMaxCopy, settings.mailHashId.c_str(), settings.mailUrl.c_str()) == 0) {
    library_.Reset();
    holder_.reset();
    return 0;
  }
  sender_ = sender;
  return 1;
}

void MailPlugin::OnDone(WPARAM, LPARAM holderNumber) {
  if (IsOpen() && static_cast<uint32_t>(holderNumber) == holderNumber_) Close();
}

void MailPlugin::Close() {
  if (!IsOpen()) return;
  sender_ = nullptr;
  // The plug-in's own threads finish what "done" started.
  Sleep(kUnloadWait);
  library_.Reset();
  holder_.reset();
}
