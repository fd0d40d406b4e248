#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ClientFolder.h"
#include "LoggingHost.h"
#include "share/ShareLibrary.h"

// A share library of its own for one test: a client folder with the hash
// plug-in double, a logging host, a media folder of real files and waits
// short enough for tests. The library's window is a hidden tree of its own;
// the test's thread is its window thread and pumps its messages.
class ShareSession {
 public:
  static constexpr uint32_t kUser = 10001;

  struct File {
    File(const char* label, std::string path, std::string md5, std::string time = "0", std::string extra = "")
        : label(label), path(std::move(path)), md5(std::move(md5)), time(std::move(time)), extra(std::move(extra)) {}
    const char* label;  // the top-level category
    std::string path;
    std::string md5;
    std::string time;
    std::string extra;  // children of the element, as text
  };

  explicit ShareSession(bool withHashPlugin = true) : client_(withHashPlugin), library_(client_.Bin(), client_.Data()) {
    // Nothing listens there: the settings fetch fails at once.
    client_.WriteCustomIni("operatorServer=127.0.0.1:1\r\n");
    CreateDirectoryA(Media().c_str(), nullptr);
    library_.SetTiming(ShortTiming());
  }
  ~ShareSession() { library_.Stop(); }

  static ShareLibrary::Timing ShortTiming() {
    ShareLibrary::Timing timing;
    timing.settingsStepWait = 0;
    timing.settingsRetry = 600000;
    timing.hashPluginUnloadWait = 0;
    timing.stopGrace = 200;
    timing.stopPatience = 1800;
    timing.folderWatchTimeout = 600000;
    timing.openingPause = 0;
    timing.withdrawPause = 0;
    timing.saveCheckInterval = 600000;
    timing.quietPeriod = 0;
    timing.handOutInterval = 600000;
    timing.stalledRepeatDelay = 600000;
    return timing;
  }

  ShareLibrary& Library() { return library_; }
  LoggingHost& Host() { return host_; }
  const ClientFolder& Client() const { return client_; }
  std::string Media() const { return client_.Data() + "\\媒体"; }
  std::string DocumentPath() const { return client_.ConfigFile("share10001.xml"); }

  // A file of the media folder with this content.
  std::string MediaFile(const std::string& name, const std::string& content) const {
    std::string path = Media() + "\\" + name;
    WriteFileBytes(path, content);
    return path;
  }

  // The eight default categories (dir 1 to 8) holding these files.
  static std::string DocumentText(const std::vector<File>& files) {
    std::string text = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<ShareFile version=\"2\">\r\n";
    int dir = 0;
    for (const char* label : {"音乐", "图片", "视频", "图书", "资料", "软件", "游戏", "珍藏"}) {
      text += std::string("<Type name=\"") + label + "\" style=\"0\" dir=\"" + std::to_string(++dir) + "\">\r\n";
      for (const File& file : files) {
        if (std::string(file.label) != label) continue;
        text += "<file MD5=\"" + file.md5 + "\" fileSize=\"0\" time=\"" + file.time + "\" reShare=\"0\">\r\n" +
                "<filePath>\r\n" + file.path + "</filePath>\r\n" + file.extra + "</file>\r\n";
      }
      text += "</Type>\r\n";
    }
    return text + "</ShareFile>\r\n";
  }
  bool WriteDocument(const std::vector<File>& files) const {
    return WriteFileBytes(DocumentPath(), DocumentText(files));
  }

  bool Start(int32_t appServer = 1, bool rehashAll = false) {
    return library_.Start(&host_, kUser, rehashAll, appServer);
  }

  // Pumps the window thread's messages until the condition holds.
  static bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 10000) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      if (done()) return true;
      if (GetTickCount64() >= end) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }
  static void Pump(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
  }

  // Waits until `passes` hash passes ended and their records reached the host.
  bool WaitForPasses(uint32_t passes, DWORD milliseconds = 10000) {
    return PumpUntil(
        [&] { return library_.Statistics().passes >= passes && library_.QueuedPublications() == 0; },
        milliseconds);
  }

  // The file element of a path in the library's document, or null.
  XmlElement* FileOf(const std::string& path) {
    XmlElement* filePath = library_.Document().Root()->FindByText(true, "filePath", path);
    return filePath != nullptr ? filePath->Parent() : nullptr;
  }
  std::string AttributeOfFile(const std::string& path, const char* name) {
    std::lock_guard<std::recursive_mutex> guard(library_.Lock());
    XmlElement* file = FileOf(path);
    return file != nullptr ? AttributeOf(*file, name) : "<gone>";
  }

 private:
  ClientFolder client_;
  LoggingHost host_;
  ShareLibrary library_;
};
