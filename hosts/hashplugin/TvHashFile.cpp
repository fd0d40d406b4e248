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
#include <string>

#include "share/Hasher.h"
#include "share/Md5.h"
#include "win/Deadline.h"
#include "win/Handles.h"

namespace {

constexpr const char* kNeverAnswered = "never-answered";
constexpr const char* kSlowlyHashed = "slowly-hashed";
constexpr DWORD kSlowDelay = 400;
constexpr long long kSpinMicroseconds = 200;

// The queue is guarded by a slim lock, which never holds a handle; the
// hasher's thread sleeps on two events of the system (work queued, stop),
// which wake a thread faster than a condition variable does. Before it
// sleeps it looks at the queue for kSpinMicroseconds: a client that hands
// over one file at a time has the next one ready by then, and neither side
// pays for the event. The thread and
// its events exist from StartHasher to StopHasher: a stopped hasher holds no
// handle, though the interface gives no way to delete it.
class SlimGuard {
 public:
  explicit SlimGuard(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  ~SlimGuard() { ReleaseSRWLockExclusive(&lock_); }
  SlimGuard(const SlimGuard&) = delete;
  SlimGuard& operator=(const SlimGuard&) = delete;

 private:
  SRWLOCK& lock_;
};

class HasherDouble : public Hasher {
 public:
  explicit HasherDouble(HashClient* client) : client_(client) {}

  int32_t StartHasher() override {
    SlimGuard guard(lock_);
    if (thread_) return 1;
    work_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    stopping_ = false;
    thread_.Reset(CreateThread(nullptr, 0, &HasherDouble::ThreadMain, this, 0, nullptr));
    return thread_ ? 1 : 0;
  }

  int32_t StopHasher() override {
    {
      SlimGuard guard(lock_);
      if (!thread_) return 1;
      stopping_ = true;
      queue_.clear();
    }
    SetEvent(stop_.Get());
    WaitForSingleObject(thread_.Get(), INFINITE);
    SlimGuard guard(lock_);
    thread_.Reset();
    work_.Reset();
    stop_.Reset();
    return 1;
  }

  void Slot2() override {}
  void Slot3() override {}

  int32_t HashFile(const char* path, int32_t) override {
    if (path == nullptr) return 0;
    SlimGuard guard(lock_);
    if (!thread_ || stopping_) return 0;
    queue_.emplace_back(path);
    if (waiting_) SetEvent(work_.Get());
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
    const win::Deadline spinEnd = win::Deadline::InMicroseconds(kSpinMicroseconds);
    for (;;) {
      {
        SlimGuard guard(lock_);
        waiting_ = false;
        if (stopping_) return false;
        if (!queue_.empty()) {
          path = std::move(queue_.front());
          queue_.pop_front();
          return true;
        }
        waiting_ = spinEnd.Passed();
      }
      if (!waiting_) {
        Sleep(0);
        continue;
      }
      HANDLE waits[] = {work_.Get(), stop_.Get()};
      WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    }
  }

  static DWORD WINAPI ThreadMain(void* self) {
    static_cast<HasherDouble*>(self)->Run();
    return 0;
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
      // The file is closed after the answer: the client need not wait for
      // that.
      std::string digest;
      win::UniqueFile file = Md5::OpenForHashing(path);
      bool hashed = file && Md5::OfOpenFile(file.Get(), digest, provider.Get());
      client_->OnHashDone(path.c_str(), hashed ? digest.c_str() : nullptr);
    }
  }

  HashClient* client_;
  SRWLOCK lock_ = SRWLOCK_INIT;
  std::deque<std::string> queue_;
  win::UniqueEvent work_, stop_;
  win::UniqueThread thread_;
  bool stopping_ = false;
  // The thread sleeps on `work_`, or is about to.
  bool waiting_ = false;
};

}  // namespace

extern "C" __declspec(dllexport) Hasher* init(HashClient* client) {
  if (client == nullptr) return nullptr;
  // The interface has no slot to give a hasher back: each lives as long as
  // the library.
  return new HasherDouble(client);
}
