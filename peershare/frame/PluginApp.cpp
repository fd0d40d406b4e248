#include "frame/PluginApp.h"

#include <new>

#include "frame/MainWindow.h"
#include "frame/ResourceIds.h"

PluginApp::PluginApp() = default;
PluginApp::~PluginApp() = default;

PluginApp& PluginApp::Instance() {
  static PluginApp app;
  return app;
}

bool PluginApp::InitInstance(const std::string& executableFolder) {
  if (!main_) main_.reset(new (std::nothrow) MainWindow(executableFolder));
  if (main_ && host_ != nullptr) main_->SetHost(host_);
  return main_ != nullptr;
}

void PluginApp::ExitInstance() { main_.reset(); }

void PluginApp::Abandon() { static_cast<void>(main_.release()); }

PluginInterface* PluginApp::Init(HostClient* host) {
  host_ = host;
  if (!main_) return nullptr;
  main_->SetHost(host);
  return main_.get();
}

bool PluginApp::Initialize() {
  if (main_ && main_->Handle() == nullptr) main_->CreateFrom(IDD_INITIAL);
  return true;
}
