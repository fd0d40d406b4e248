// Eight client threads call the tasks' sinks while the window thread
// refreshes, sorts, pauses, resumes, adds and deletes. No bytes may be lost
// or counted twice, and no call may reach a freed task: in this program a
// freed task's memory is overwritten and never given out again, so a late
// call through its operation table crashes the test.
//
// peershare_transfer_stress.exe [--stress-seconds=N] [GoogleTest options]
// (3 seconds unless told; the full run takes 10).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>

#include "DownloadListFixture.h"

namespace {

int stressSeconds = 3;
std::atomic<int> freedTasks{0};

}  // namespace

// Freed tasks stay poisoned for the rest of the run.
void operator delete(void* memory, std::size_t size) noexcept {
  if (memory != nullptr && size == sizeof(DownloadTask)) {
    std::memset(memory, 0xDD, size);
    ++freedTasks;
    return;
  }
  std::free(memory);
}

void operator delete(void* memory) noexcept { std::free(memory); }

namespace {

constexpr int kClientThreads = 8;
constexpr int64_t kMiB = 1048576;

class SinkStressTest : public DownloadListTest {
 protected:
  // What the client reported in all, less what it said was free.
  int64_t ReportedBillable() const {
    int64_t total = 0;
    for (TransferDouble* transfer : host_.Transfers())
      total += static_cast<int64_t>(transfer->Downloaded()) - static_cast<int64_t>(transfer->Unbilled());
    return total;
  }
};

void RunClient(LoggingHost& host, std::atomic<bool>& running, unsigned seed, std::atomic<long>& calls) {
  std::mt19937 random(seed);
  while (running.load()) {
    std::vector<TransferDouble*> transfers = host.Transfers();
    if (transfers.empty()) {
      std::this_thread::yield();
      continue;
    }
    TransferDouble& transfer = *transfers[random() % transfers.size()];
    uint64_t bytes = 1 + random() % 300000;
    // Progress is most of it; a new peer now and then, as with a real
    // client, which finds a few dozen sources a file, not thousands.
    unsigned kind = random() % 4096;
    if (kind == 0) {
      if (TaskSource* source = transfer.ReportSource(40000 + random() % 100, "压力"))
        transfer.CallSource(*source, 50, static_cast<uint32_t>(bytes));
    } else if (kind < 64) {
      transfer.ReportStatus(kind % 2 ? "暂停" : "正在下载");
    } else {
      transfer.Advance(bytes, bytes * (random() % 3) / 4, (random() % 101) / 100.0);
    }
    ++calls;
  }
}

TEST_F(SinkStressTest, EightClientThreadsAgainstTheWindowThread) {
  host_.member = 1;
  const int32_t coins = 100000000;
  Open(coins);
  unsigned next = 1;
  for (; next <= 30; ++next) ASSERT_EQ(Add(next, "s" + std::to_string(next) + ".avi", 700 * kMiB), DownloadList::kAdded);

  std::atomic<bool> running{true};
  std::atomic<long> calls{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < kClientThreads; ++i)
    clients.emplace_back(RunClient, std::ref(host_), std::ref(running), 1000u + i, std::ref(calls));

  std::mt19937 random(7);
  int deleted = 0;
  DWORD end = GetTickCount() + stressSeconds * 1000;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    Pump(0);
    list_->Refresh();
    list_->SortBy(random() % DownloadList::kColumnCount);
    const auto& rows = list_->Rows();
    if (rows.empty()) continue;
    DownloadTask* task = rows[random() % rows.size()].task;
    switch (random() % 6) {
      case 0: list_->Pause(*task); break;
      case 1: list_->Resume(*task); break;
      case 2: list_->ToggleExpanded(*task); break;
      case 3:
        if (task->transfer != nullptr) {
          list_->Delete(*task);
          ++deleted;
          EXPECT_EQ(Add(next, "s" + std::to_string(next) + ".avi", 700 * kMiB), DownloadList::kAdded);
          ++next;
        }
        break;
      default: break;
    }
  }
  running = false;
  for (std::thread& client : clients) client.join();
  ASSERT_TRUE(PumpUntil([&] { return list_->RetiringCount() == 0; }, 10000)) << "every deleted task ended";
  list_->Refresh();

  int64_t charged = (static_cast<int64_t>(coins) - list_->Coins().ExactBalance()) * kMiB;
  EXPECT_EQ(charged + list_->BillableBytes().load(), ReportedBillable());
  EXPECT_GT(ReportedBillable(), 0);
  EXPECT_GT(calls.load(), 1000);
  EXPECT_GT(deleted, 0);
  EXPECT_GE(freedTasks.load(), deleted) << "the deleted tasks were freed";
  std::printf("stress: %d s, %ld client calls, %d deletions, %d tasks freed, %lld bytes charged\n", stressSeconds,
              calls.load(), deleted, freedTasks.load(), static_cast<long long>(ReportedBillable()));
}

}  // namespace

// A call into a freed task faults on one of the client threads; the program
// must then end with a failure whatever the debugger makes of it.
LONG WINAPI FailOnFault(EXCEPTION_POINTERS* fault) {
  std::fprintf(stderr, "fault 0x%08lX at %p: a call reached freed memory\n",
               static_cast<unsigned long>(fault->ExceptionRecord->ExceptionCode),
               fault->ExceptionRecord->ExceptionAddress);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

int main(int argc, char** argv) {
  SetUnhandledExceptionFilter(&FailOnFault);
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--stress-seconds=", 17) == 0) stressSeconds = std::max(1, std::atoi(argv[i] + 17));
  return RUN_ALL_TESTS();
}
