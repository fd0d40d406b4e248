#pragma once

#include <windows.h>

#include <mutex>
#include <string>

#include "share/Hasher.h"
#include "win/Handles.h"

// The client's hash plug-in as the share library uses it: loaded from
// "Plugins\TvHashFile.dll" below the executable folder, started, asked to
// hash one file at a time. Its answers land in a result slot and signal an
// auto-reset event the worker waits on. The answer about the file the
// worker expects is kept apart, so answers about other files (the client's
// own requests) cannot take its place before the worker reads it.
class HashPlugin : private HashClient {
 public:
  static constexpr DWORD kDefaultUnloadWait = 500;

  HashPlugin();
  ~HashPlugin();
  HashPlugin(const HashPlugin&) = delete;
  HashPlugin& operator=(const HashPlugin&) = delete;

  // Loads and starts the plug-in unless it is loaded. A missing library or
  // export leaves hashing off, silently.
  bool Load(const std::string& executableFolder);
  // Stops the hasher when it runs, waits `wait` milliseconds for its threads
  // and frees the library.
  void Unload(DWORD wait = kDefaultUnloadWait);
  bool Loaded() const { return hasher_ != nullptr; }

  // Hands one file to the hasher; false when hashing is off.
  bool HashFile(const std::string& path);
  // False when hashing is off or the plug-in refuses the old form.
  bool ConvertHash(const std::string& oldHash, std::string& newHash);

  // Signalled by every answer.
  HANDLE ResultEvent() const { return resultEvent_.Get(); }
  // The last answer: the path and its digest (empty when hashing failed).
  void Result(std::string& path, std::string& digest) const;
  // Waits for an answer about `path` from now on.
  void Expect(const std::string& path);
  // The answer about the expected file; false when none came yet.
  bool TakeResult(const std::string& path, std::string& digest);
  // TakeResult, looked for again and again for up to `microseconds`. The
  // answers that come meanwhile do not signal the event: a thread that
  // does not sleep need not be woken, and that spares the waits a round
  // trip to Wine's server each.
  bool WatchForResult(const std::string& path, std::string& digest, long long microseconds);

 private:
  void OnHashDone(const char* path, const char* digest) override;

  win::UniqueModule module_;
  Hasher* hasher_ = nullptr;
  bool running_ = false;
  mutable std::mutex resultLock_;
  std::string resultPath_, resultDigest_;
  std::string expectedPath_, expectedDigest_;
  bool expectedAnswered_ = false;
  bool watching_ = false;
  win::UniqueEvent resultEvent_;
};
