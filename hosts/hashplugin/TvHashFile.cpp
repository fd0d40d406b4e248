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
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "share/Hasher.h"
#include "share/Md5.h"

namespace {

constexpr const char* kNeverAnswered = "never-answered";
constexpr const char* kSlowlyHashed = "slowly-hashed";
constexpr auto kSlowDelay = std::chrono::milliseconds(400);

class HasherDouble : public Hasher {
 public:
  explicit HasherDouble(HashClient* client) : client_(client) {}

  int32_t StartHasher() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (thread_.joinable()) return 1;
    stopping_ = false;
    thread_ = std::thread(&HasherDouble::Run, this);
    return 1;
  }

  int32_t StopHasher() override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
    }
    wake_.notify_all();
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
    wake_.notify_all();
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
  void Run() {
    for (;;) {
      std::string path;
      {
        std::unique_lock<std::mutex> guard(lock_);
        wake_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        path = queue_.front();
        queue_.pop_front();
      }
      if (path.find(kNeverAnswered) != std::string::npos) continue;
      if (path.find(kSlowlyHashed) != std::string::npos && SlowDown()) return;
      std::string digest;
      bool hashed = Md5::OfFile(path, digest);
      client_->OnHashDone(path.c_str(), hashed ? digest.c_str() : nullptr);
    }
  }

  // False after the delay; true when the hasher stopped meanwhile.
  bool SlowDown() {
    std::unique_lock<std::mutex> guard(lock_);
    return wake_.wait_for(guard, kSlowDelay, [this] { return stopping_; });
  }

  HashClient* client_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<std::string> queue_;
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
