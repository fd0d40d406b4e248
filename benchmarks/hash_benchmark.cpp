// Prints, as ratios measured in the same run, what the share worker's hash
// pass achieves through the hash plug-in double (beside this program):
// - 2,000 files of 1 KB against the pass's own ceiling of 11 openings per
//   50 ms pause (goal: at least 0.95 of it);
// - 20 files of 50 MB against a bare MD5 of the same bytes in this process
//   (goal: at least 0.90). The twenty names are links to one file, so the
//   run needs 50 MB of disk, not 1 GB.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BestTime.h"
#include "LoggingHost.h"
#include "TempFolder.h"
#include "share/Md5.h"
#include "share/ShareLibrary.h"

namespace {

constexpr uint32_t kUser = 10001;
constexpr int kSmallFiles = 2000, kSmallSize = 1024;
constexpr int kLargeFiles = 20, kLargeSize = 50 * 1024 * 1024;
constexpr int kRounds = 3;

std::string ProgramFolder() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string program = path;
  return program.substr(0, program.find_last_of("\\/"));
}

// A client folder with the hash plug-in double, removed afterwards.
class Client {
 public:
  Client() {
    for (const std::string& folder : {Data(), Data() + "\\config", Bin(), Bin() + "\\Plugins", Bin() + "\\config", Media()})
      CreateDirectoryA(folder.c_str(), nullptr);
    ready_ = CopyFileA((ProgramFolder() + "\\TvHashFile.dll").c_str(), (Bin() + "\\Plugins\\TvHashFile.dll").c_str(),
                       FALSE) &&
             WriteFileBytes(Bin() + "\\custom.ini", "[tovak]\r\noperatorServer=127.0.0.1:1\r\n");
  }

  bool Ready() const { return ready_; }
  std::string Data() const { return temp_.File("Tovak"); }
  std::string Bin() const { return Data() + "\\bin"; }
  std::string Media() const { return temp_.File("media"); }

 private:
  TempFolder temp_;
  bool ready_ = false;
};

// The window thread's loop. The end of a pass posts nothing here, so the
// loop also looks every 10 ms: often enough for passes of seconds, rarely
// enough not to take the processor from the threads measured.
void Pump(const std::function<bool()>& done) {
  while (!done()) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

struct Timed {
  double wall = 1e30;
  double cpu = 1e30;
  void Keep(const Timed& other) {
    if (other.wall < wall) *this = other;
  }
};

// The share library of the benchmark: the waits the client has, an empty
// document, and the window thread pumping here.
class Session {
 public:
  explicit Session(const Client& client, DWORD pause = 50) : library_(client.Bin(), client.Data()) {
    ShareLibrary::Timing timing;
    timing.openingPause = pause;
    timing.settingsRetry = 600000;
    timing.saveCheckInterval = 600000;
    timing.handOutInterval = 600000;
    library_.SetTiming(timing);
    started_ = library_.Start(&host_, kUser, false, 0) && library_.Hashes().Loaded();
    Pump([&] { return library_.Statistics().passes >= 1; });
  }
  ~Session() { library_.Stop(); }
  bool Started() const { return started_; }

  void Add(const std::vector<std::string>& paths) {
    std::lock_guard<std::recursive_mutex> guard(library_.Lock());
    XmlElement* category = library_.Document().CategoryOfQueueCode(5);
    for (const std::string& path : paths) library_.AddFileToCategory(*category, path, "", 0);
  }

  // One pass over every file, marked for hashing again: its wall-clock time
  // and the processor time of all threads meanwhile.
  Timed TimedPass() {
    {
      std::lock_guard<std::recursive_mutex> guard(library_.Lock());
      library_.Document().MarkAllForRehash(true);
    }
    const uint32_t before = library_.Statistics().passes;
    Timed timed;
    const double cpu = ProcessCpuSeconds();
    timed.wall = BestTime(1, [&] {
      library_.Worker().Post(ShareWorker::kRunHashPass);
      Pump([&] { return library_.Statistics().passes > before && library_.QueuedPublications() == 0; });
    });
    timed.cpu = ProcessCpuSeconds() - cpu;
    return timed;
  }
  HashStatistics Statistics() const { return library_.Statistics(); }

 private:
  LoggingHost host_;
  ShareLibrary library_;
  bool started_ = false;
};

bool SmallFiles(const Client& client) {
  std::vector<std::string> paths;
  const std::string content(kSmallSize, 's');
  for (int i = 0; i < kSmallFiles; ++i) {
    // Folders of 500: Wine creates files faster beside fewer others.
    const std::string folder = client.Media() + "\\small" + std::to_string(i / 500);
    if (i % 500 == 0) CreateDirectoryA(folder.c_str(), nullptr);
    paths.push_back(folder + "\\" + std::to_string(i) + ".dat");
    if (!WriteFileBytes(paths.back(), content)) return false;
  }
  Session session(client);
  if (!session.Started()) return false;
  session.Add(paths);
  Timed pass;
  const uint32_t pausesBefore = session.Statistics().openingPauses;
  for (int round = 0; round < kRounds; ++round) pass.Keep(session.TimedPass());
  const uint32_t pauses = (session.Statistics().openingPauses - pausesBefore) / kRounds;
  // The ceiling: 11 openings for every 50 ms pause, and nothing else costing time.
  const double ceiling = 11.0 / 0.050;
  const double achieved = kSmallFiles / pass.wall;
  std::printf("Hash pass over %d files of 1 KB: %.0f ms (%u pauses of 50 ms; processor time of all threads "
              "%.0f ms), %.1f files/s; ceiling of 11 openings per 50 ms: %.1f files/s; ratio %.3f (goal 0.95)\n",
              kSmallFiles, pass.wall * 1e3, pauses, pass.cpu * 1e3, achieved, ceiling, achieved / ceiling);
  return true;
}

bool LargeFiles(const Client& client) {
  std::string content(kLargeSize, '\0');
  unsigned state = 12345;
  for (char& byte : content) byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 23);
  std::vector<std::string> paths{client.Media() + "\\large0.bin"};
  if (!WriteFileBytes(paths[0], content)) return false;
  content.clear();
  content.shrink_to_fit();
  bool linked = true;
  for (int i = 1; i < kLargeFiles; ++i) {
    paths.push_back(client.Media() + "\\large" + std::to_string(i) + ".bin");
    if (!CreateHardLinkA(paths.back().c_str(), paths[0].c_str(), nullptr)) {
      linked = false;
      if (!CopyFileA(paths[0].c_str(), paths.back().c_str(), FALSE)) return false;
    }
  }
  Session session(client);
  if (!session.Started()) return false;
  session.Add(paths);
  Timed pass, bare;
  bool hashed = true;
  win::UniqueCryptProvider provider = Md5::AcquireProvider();
  // The two take turns, so that both meet the same load of a shared machine.
  for (int round = 0; round < kRounds; ++round) {
    pass.Keep(session.TimedPass());
    Timed one;
    const double cpu = ProcessCpuSeconds();
    one.wall = BestTime(1, [&] {
      for (const std::string& path : paths) {
        std::string digest;
        hashed &= Md5::OfFile(path, digest, provider.Get());
      }
    });
    one.cpu = ProcessCpuSeconds() - cpu;
    bare.Keep(one);
  }
  std::printf("Hash pass over %d files of 50 MB%s: %.0f ms; bare MD5 of the same bytes: %.0f ms; ratio %.3f "
              "(goal 0.90); processor time %.0f ms against %.0f ms, ratio %.3f%s\n",
              kLargeFiles, linked ? " (links to one file)" : "", pass.wall * 1e3, bare.wall * 1e3,
              bare.wall / pass.wall, pass.cpu * 1e3, bare.cpu * 1e3, bare.cpu / pass.cpu,
              hashed ? "" : " (BARE MD5 FAILED)");
  return hashed;
}

}  // namespace

int main() {
  bool ok;
  {
    Client client;
    ok = client.Ready() && SmallFiles(client);
  }
  {
    Client client;
    ok = client.Ready() && LargeFiles(client) && ok;
  }
  if (!ok) std::printf("Hash benchmark: the client folder or the hash plug-in double could not be set up\n");
  return ok ? 0 : 1;
}
