#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "TempFolder.h"
#include "frame/MainWindow.h"

// A client laid out as the peer-to-peer client has it, in a folder of the
// test's own:
//   Tovak             data folder; its config folder holds the per-user files
//   Tovak\bin         executable folder: custom.ini, Plugins, config
// With `withHashPlugin` the hash plug-in double (built beside the test
// program) is copied to Plugins\TvHashFile.dll.
class ClientFolder {
 public:
  explicit ClientFolder(bool withHashPlugin = true) {
    for (const std::string& folder : {Data(), Data() + "\\config", Bin(), Bin() + "\\Plugins", Bin() + "\\config"})
      CreateDirectoryA(folder.c_str(), nullptr);
    if (withHashPlugin) CopyFileA(BesideProgram("TvHashFile.dll").c_str(), HashPluginPath().c_str(), FALSE);
  }

  std::string Data() const { return temp_.File("Tovak"); }
  std::string Bin() const { return Data() + "\\bin"; }
  std::string Config() const { return Data() + "\\config"; }
  std::string BinConfig() const { return Bin() + "\\config"; }
  std::string HashPluginPath() const { return Bin() + "\\Plugins\\TvHashFile.dll"; }
  // The per-user files, named as the share library names them.
  std::string ConfigFile(const std::string& name) const { return Data() + "/config/" + name; }

  // custom.ini, section "tovak".
  bool WriteCustomIni(const std::string& keys) const {
    return WriteFileBytes(Bin() + "\\custom.ini", "[tovak]\r\n" + keys);
  }

  static std::string BesideProgram(const std::string& name) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program = path;
    return program.substr(0, program.find_last_of("\\/") + 1) + name;
  }

 private:
  TempFolder temp_;
};

// The plug-in's main window object for a client folder, with the host, and a
// share library that never pauses: no waits in the settings fetch or when
// the hash plug-in is unloaded, and the given interval between fetches.
inline std::unique_ptr<MainWindow> WindowWithoutPauses(const ClientFolder& client, HostClient* host,
                                                       DWORD settingsRetry) {
  auto window = std::make_unique<MainWindow>(client.Bin());
  window->SetHost(host);
  ShareLibrary::Timing timing;
  timing.settingsStepWait = 0;
  timing.settingsRetry = settingsRetry;
  timing.hashPluginUnloadWait = 0;
  window->Library().SetTiming(timing);
  return window;
}
