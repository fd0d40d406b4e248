#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "TempFolder.h"
#include "win/InternetHandles.h"

// A web server of the test's own: the control server of
// hosts/webserver/web_server_double.py (started by the CTest fixture
// "web_server_double") hands out one on 127.0.0.1 with a fresh folder to
// serve and a log of every request line and header. The folder and the log
// are files of the Linux side, reached through Wine's drive Z:. Link wininet.
class WebServerDouble {
 public:
  WebServerDouble() { Spawn(); }
  ~WebServerDouble() {
    std::string ignored;
    if (port_ != 0) ControlGet("/_double/stop?port=" + std::to_string(port_), ignored);
  }
  WebServerDouble(const WebServerDouble&) = delete;
  WebServerDouble& operator=(const WebServerDouble&) = delete;

  bool Ok() const { return port_ != 0; }
  uint16_t Port() const { return port_; }
  // "127.0.0.1:port"
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

  // Serves `content` at a URL path such as "/tovakup/filter.ini".
  bool Put(const std::string& urlPath, const std::string& content) const {
    std::string path = root_;
    for (size_t start = 1; start < urlPath.size();) {
      size_t slash = urlPath.find('/', start);
      if (slash == std::string::npos) break;
      path += "\\" + urlPath.substr(start, slash - start);
      CreateDirectoryA(path.c_str(), nullptr);
      start = slash + 1;
    }
    return WriteFileBytes(LocalPath(urlPath), content);
  }
  std::string LocalPath(const std::string& urlPath) const {
    std::string path = root_ + urlPath;
    for (char& c : path)
      if (c == '/') c = '\\';
    return path;
  }
  // Rules of hosts/webserver/web_server_double.py, one a line:
  // "PATH status CODE", "PATH truncate BYTES", "PATH drop", "PATH delay MS",
  // "PATH pace MS", "PATH norange", "PATH length TEXT", "PATH nolength".
  bool SetRules(const std::string& rules) const { return WriteFileBytes(root_ + "\\.rules", rules); }
  // Every request so far: its line, its headers, a blank line.
  std::string Log() const { return ReadFileBytes(log_); }
  int Count(const std::string& requestLine) const {
    std::string log = Log();
    int count = 0;
    for (size_t at = log.find(requestLine + "\r\n"); at != std::string::npos;
         at = log.find(requestLine + "\r\n", at + 1)) {
      if (at == 0 || log[at - 1] == '\n') ++count;
    }
    return count;
  }
  // A free port on 127.0.0.1 where nothing listens: connections are refused.
  static std::string RefusingAddress() { return "127.0.0.1:1"; }

 private:
  static std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
      if (c == '/') c = '\\';
    return path;
  }

  static bool ControlGet(const std::string& request, std::string& body) {
    std::string portText = ReadFileBytes(WindowsPath(WEB_SERVER_DOUBLE_PORT_FILE));
    int port = std::atoi(portText.c_str());
    if (port <= 0) return false;
    win::UniqueInternet session(InternetOpenA("WebServerDouble", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    win::UniqueInternet connection(
        session ? InternetConnectA(session.Get(), "127.0.0.1", static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                   INTERNET_SERVICE_HTTP, 0, 0)
                : nullptr);
    win::UniqueInternet call(connection ? HttpOpenRequestA(connection.Get(), "GET", request.c_str(), nullptr,
                                                           nullptr, nullptr, INTERNET_FLAG_RELOAD, 0)
                                        : nullptr);
    if (!call || !HttpSendRequestA(call.Get(), nullptr, 0, nullptr, 0)) return false;
    char buffer[4096];
    DWORD got = 0;
    while (InternetReadFile(call.Get(), buffer, sizeof buffer, &got) && got > 0) body.append(buffer, got);
    return true;
  }

  void Spawn() {
    std::string answer;
    if (!ControlGet("/_double/spawn", answer)) return;
    char root[1024] = "", log[1024] = "";
    unsigned port = 0;
    if (std::sscanf(answer.c_str(), "%u %1023s %1023s", &port, root, log) != 3) return;
    root_ = WindowsPath(root);
    log_ = WindowsPath(log);
    port_ = static_cast<uint16_t>(port);
  }

  uint16_t port_ = 0;
  std::string root_, log_;
};
