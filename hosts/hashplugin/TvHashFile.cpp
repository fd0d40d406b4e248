// The client's hash plug-in as a double: "Plugins\TvHashFile.dll" with the
// export "init(HashClient*)" returning a Hasher. HashFile computes the MD5 of
// the file's content as 32 lower-case hex digits on the hasher's own thread
// and calls OnHashDone from there (null digest when the file cannot be
// read). ConvertHash converts the old form, 32 upper-case hex digits, to the
// lower-case form and refuses anything else.
//
// Two markers in a file's name make the double misbehave, for the tests:
// "never-answered" gets no answer at all, and "slowly-hashed" is read only
// after kSlowDelay.
#include <windows.h>

#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "share/Hasher.h"
#include "share/Md5.h"
#include "win/Handles.h"

namespace {

constexpr const char* kNeverAnswered = "never-answered";
constexpr const char* kSlowlyHashed = "slowly-hashed";
constexpr DWORD kSlowDelay = 400;

// The queue is guarded by a mutex; the hasher's thread sleeps on two
// events of the system (work queued, stop), which wake a thread faster than
// a condition variable does.
class HasherDouble : public Hasher {
 public:
  explicit HasherDouble(HashClient* client)
      : client_(client),
        work_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
        stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

  int32_t StartHasher() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (thread_.joinable()) return 1;
    stopping_ = false;
    ResetEvent(stop_.Get());
    thread_ = std::thread(&HasherDouble::Run, this);
    return 1;
  }

  int32_t StopHasher() override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
    }
    SetEvent(stop_.Get());
    if (thread_.joinable()) thread_.join();
    return 1;
  }

  void Slot2() override {}
  void Slot3() override {}

  int32_t HashFile(const char* path, int32_t) override {
    if (path == nullptr) return 0;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (!thread_.joinable() || stopping_) return 0;
      queue_.emplace_back(path);
    }
    SetEvent(work_.Get());
    return 1;
  }

  void Slot5() override {}
  void Slot6() override {}
  void Slot7() override {}

  int32_t ConvertHash(const char* oldHash, char* newHash) override {
    if (oldHash == nullptr || newHash == nullptr || std::strlen(oldHash) != Md5::kHexLength) return 0;
    for (size_t i = 0; i < Md5::kHexLength; ++i) {
      char c = oldHash[i];
      bool upperDigit = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
      if (!upperDigit) return 0;
      newHash[i] = c >= 'A' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    newHash[Md5::kHexLength] = '\0';
    return 1;
  }

 private:
  // The next path, waiting for one; false once the hasher stops.
  bool Next(std::string& path) {
    for (;;) {
      {
        std::lock_guard<std::mutex> guard(lock_);
        if (stopping_) return false;
        if (!queue_.empty()) {
          path = std::move(queue_.front());
          queue_.pop_front();
          return true;
        }
      }
      HANDLE waits[] = {work_.Get(), stop_.Get()};
      WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    }
  }

  void Run() {
    // One provider for the thread's life: acquiring one costs more than
    // hashing a small file.
    win::UniqueCryptProvider provider = Md5::AcquireProvider();
    std::string path;
    while (Next(path)) {
      if (path.find(kNeverAnswered) != std::string::npos) continue;
      // A stop during the delay ends the thread.
      if (path.find(kSlowlyHashed) != std::string::npos && WaitForSingleObject(stop_.Get(), kSlowDelay) == WAIT_OBJECT_0)
        return;
      std::string digest;
      bool hashed = Md5::OfFile(path, digest, provider.Get());
      client_->OnHashDone(path.c_str(), hashed ? digest.c_str() : nullptr);
    }
  }

  HashClient* client_;
  std::mutex lock_;
  std::deque<std::string> queue_;
  win::UniqueEvent work_, stop_;
  std::thread thread_;
  bool stopping_ = false;
};

}  // namespace

extern "C" __declspec(dllexport) Hasher* init(HashClient* client) {
  if (client == nullptr) return nullptr;
  // The interface has no slot to give a hasher back: each lives as long as
  // the library.
  return new HasherDouble(client);
}
