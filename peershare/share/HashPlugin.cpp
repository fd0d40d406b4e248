#include "share/HashPlugin.h"

#include <cstring>

#include "share/Md5.h"
#include "win/Deadline.h"

HashPlugin::HashPlugin() : resultEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

HashPlugin::~HashPlugin() { Unload(); }

bool HashPlugin::Load(const std::string& executableFolder) {
  if (hasher_ != nullptr) return true;
  module_.Reset(LoadLibraryA((executableFolder + "\\Plugins\\TvHashFile.dll").c_str()));
  if (!module_) return false;
  auto init = reinterpret_cast<HashPluginInit>(reinterpret_cast<void*>(GetProcAddress(module_.Get(), "init")));
  hasher_ = init != nullptr ? init(this) : nullptr;
  if (hasher_ == nullptr) {
    module_.Reset();
    return false;
  }
  hasher_->StartHasher();
  running_ = true;
  return true;
}

void HashPlugin::Unload(DWORD wait) {
  if (hasher_ != nullptr && running_) {
    hasher_->StopHasher();
    Sleep(wait);
  }
  running_ = false;
  hasher_ = nullptr;
  module_.Reset();
}

bool HashPlugin::HashFile(const std::string& path) {
  if (hasher_ == nullptr) return false;
  // What HashFile returns says nothing about the answer still to come.
  hasher_->HashFile(path.c_str(), 0);
  return true;
}

bool HashPlugin::ConvertHash(const std::string& oldHash, std::string& newHash) {
  newHash.clear();
  char converted[kConvertedHashBuffer] = {};
  if (hasher_ == nullptr || !hasher_->ConvertHash(oldHash.c_str(), converted)) return false;
  // The plug-in's buffer may come back without a terminator where it wrote 32.
  newHash.assign(converted, strnlen(converted, Md5::kHexLength + 1));
  return newHash.size() == Md5::kHexLength;
}

void HashPlugin::Result(std::string& path, std::string& digest) const {
  std::lock_guard<std::mutex> guard(resultLock_);
  path = resultPath_;
  digest = resultDigest_;
}

void HashPlugin::Expect(const std::string& path) {
  std::lock_guard<std::mutex> guard(resultLock_);
  expectedPath_ = path;
  expectedDigest_.clear();
  expectedAnswered_ = false;
  // The event may stay signalled from an earlier answer: the waiter looks
  // at the expected answer, not at the event alone.
}

bool HashPlugin::TakeResult(const std::string& path, std::string& digest) {
  std::lock_guard<std::mutex> guard(resultLock_);
  if (!expectedAnswered_ || path != expectedPath_) return false;
  digest = expectedDigest_;
  expectedAnswered_ = false;
  return true;
}

bool HashPlugin::WatchForResult(const std::string& path, std::string& digest, long long microseconds) {
  const win::Deadline end = win::Deadline::InMicroseconds(microseconds);
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(resultLock_);
      watching_ = !end.Passed();
      if (expectedAnswered_ && path == expectedPath_) {
        watching_ = false;
        digest = expectedDigest_;
        expectedAnswered_ = false;
        return true;
      }
      if (!watching_) return false;
    }
    Sleep(0);
  }
}

void HashPlugin::OnHashDone(const char* path, const char* digest) {
  bool watched;
  {
    std::lock_guard<std::mutex> guard(resultLock_);
    watched = watching_;
    resultPath_ = path != nullptr ? path : "";
    resultDigest_ = digest != nullptr ? std::string(digest, strnlen(digest, Md5::kHexLength)) : std::string();
    if (!expectedPath_.empty() && resultPath_ == expectedPath_) {
      expectedDigest_ = resultDigest_;
      expectedAnswered_ = true;
    }
  }
  if (!watched) SetEvent(resultEvent_.Get());
}
