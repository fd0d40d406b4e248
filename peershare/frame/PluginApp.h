#pragma once

#include <memory>
#include <string>

class HostClient;
class MainWindow;
class PluginInterface;

// The library's application object: creates the main window object when the
// library is loaded and deletes it when it is unloaded, and keeps the host.
class PluginApp {
 public:
  PluginApp();
  ~PluginApp();
  PluginApp(const PluginApp&) = delete;
  PluginApp& operator=(const PluginApp&) = delete;

  // The one object of the loaded library.
  static PluginApp& Instance();

  // Creates the main window object for a client in executableFolder.
  bool InitInstance(const std::string& executableFolder);
  void ExitInstance();
  // At process exit: lets go of the main object without touching its window.
  void Abandon();

  MainWindow* Main() const { return main_.get(); }
  HostClient* Host() const { return host_; }

  // init(): keeps the host; the main object's PluginInterface, or null when
  // there is no main object.
  PluginInterface* Init(HostClient* host);
  // Initialize(): shows the initial window unless the main window exists.
  bool Initialize();

 private:
  std::unique_ptr<MainWindow> main_;
  HostClient* host_ = nullptr;
};
