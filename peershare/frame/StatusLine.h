#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class HostClient;

// The main window's status line: transfers, coins, points, level and the
// number of peers online, shown in the static control it is attached to.
class StatusLine {
 public:
  // Passed to Update for a value that stays as it is.
  static constexpr int32_t kKeep = -1;
  static constexpr int kLevelCount = 50;

  void Attach(HWND control, HostClient* host);
  void Detach() { control_ = nullptr; }
  void SetHost(HostClient* host) { host_ = host; }

  // Sets the values (kKeep keeps one), asks the host for the online count and
  // shows the line.
  void Update(int32_t coins, int32_t points, int32_t incoming, int32_t outgoing, int32_t incomingMax,
              int32_t outgoingMax);
  const std::string& Text() const { return text_; }

  // 1 for 0 to 99 points up to 50 for 441900 points or more.
  static int Level(int32_t points);

 private:
  std::string OnlineText() const;

  HWND control_ = nullptr;
  HostClient* host_ = nullptr;
  int32_t coins_ = 0, points_ = 0, incoming_ = 0, outgoing_ = 0, incomingMax_ = 0, outgoingMax_ = 0;
  std::string text_;
};
