#pragma once

#include <cstdint>

// The interfaces of the client's hash plug-in ("Plugins\TvHashFile.dll").
// Both are tables of operations built by their own sides, so the order of
// the declarations is the binary contract: every operation sits at its slot,
// unused slots keep their place, and no destructor takes a slot.

// What the plug-in calls back; it may call from any thread.
class HashClient {
 public:
  // slot 0: the digest of `path` as 32 characters, or null when the file
  // could not be hashed.
  virtual void OnHashDone(const char* path, const char* digest) = 0;

 protected:
  ~HashClient() = default;
};

// The plug-in's hasher, returned by its export "init".
class Hasher {
 public:
  virtual int32_t StartHasher() = 0;  // 0
  virtual int32_t StopHasher() = 0;   // 1
  virtual void Slot2() = 0;
  virtual void Slot3() = 0;
  // slot 4: asynchronous; the result comes through OnHashDone. `flags` is 0.
  virtual int32_t HashFile(const char* path, int32_t flags) = 0;
  virtual void Slot5() = 0;
  virtual void Slot6() = 0;
  virtual void Slot7() = 0;
  // slot 8: nonzero, with 32 characters and a terminator in `newHash` (a
  // buffer of kConvertedHashBuffer bytes), when `oldHash` is an old form
  // the plug-in can convert.
  virtual int32_t ConvertHash(const char* oldHash, char* newHash) = 0;

 protected:
  ~Hasher() = default;
};

constexpr int kConvertedHashBuffer = 64;

// The export "init".
using HashPluginInit = Hasher* (*)(HashClient* client);
