#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "share/PublicationQueue.h"

class HostClient;

// Tells the host about published and withdrawn files, on the window thread,
// and decides when the share document is written after a run of
// publications: at once after 1000, else once publications have stopped for
// a quiet period (checked by the share tree's timer).
class Publisher {
 public:
  static constexpr int kSaveEvery = 1000;
  static constexpr DWORD kDefaultQuietPeriod = 5000;

  void SetHost(HostClient* host, int32_t appServer);
  void SetQuietPeriod(DWORD milliseconds) { quietPeriod_ = milliseconds; }
  // Writes the share document; set by the owner of the document.
  std::function<void()> saveDocument;

  // A publish record of the collection (code 8) or of code 9 tells nothing.
  void Handle(const Publication& record);
  // The timer's check: saves when a publication happened since the last save
  // and either the quiet period has passed since it or 1000 are counted.
  void CheckDelayedSave(ULONGLONG now);
  // Forgets the counter and the time, as after a save.
  void Reset();
  int Counted() const { return counter_; }

 private:
  void Publish(const Publication& record);
  void Withdraw(const Publication& record);
  void Count(ULONGLONG now);
  void SaveAndNotify();

  HostClient* host_ = nullptr;
  int32_t appServer_ = 0;
  DWORD quietPeriod_ = kDefaultQuietPeriod;
  int counter_ = 0;
  bool published_ = false;  // since the last save
  ULONGLONG lastPublication_ = 0;
};
