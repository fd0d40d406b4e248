// The worker's side of the share library: the hash pass (1124) and the
// rescan of the media folders (1129). Everything here runs on the worker
// thread; the lock is never held while the worker waits for a digest.
#include "share/ShareLibrary.h"

#include <cstdlib>
#include <unordered_set>

#include "share/CodePageText.h"
#include "share/FolderListing.h"
#include "share/ShareCategories.h"
#include "share/SharePaths.h"
#include "win/Deadline.h"

namespace {

constexpr unsigned kOpeningsBeforePause = 10;
constexpr DWORD kWaitFailurePause = 1000;
// The digest of a small file comes within this time; the records queued
// quietly go out when one takes longer.
constexpr DWORD kQuickDigest = 100;
// The digest of a small file is looked for this many microseconds before
// the worker waits for it.
constexpr long long kWatchedDigest = 300;
constexpr int kDeepestFolder = 64;

// The extension table of the rescans: the position of the category under
// the tree's root.
int CategoryPositionOf(const std::string& path) {
  static const char* const kMusic[] = {".mp3", ".wma", ".rma", ".ogg", ".midi", ".ra"};
  static const char* const kVideo[] = {".avi", ".wmv", ".rm",  ".rmvb", ".asf",
                                       ".mpeg", ".mpg", ".vod", ".mp4",  ".3gpp"};
  const std::string extension = SharePaths::LowerAscii(SharePaths::ExtensionOf(path));
  for (const char* music : kMusic)
    if (extension == music) return 0;
  for (const char* video : kVideo)
    if (extension == video) return 2;
  return 4;
}

// Gone for good, as opposed to held by another program or on a drive that
// is not ready: only such a file leaves the document.
bool Vanished(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_DRIVE:
      return true;
    default:
      return false;
  }
}

// Size and modification time of an opened file. Asked by path first: that
// costs far less than two questions through the handle, and the handle
// (shared without delete) keeps the path naming the file it opened.
void FileSizeAndTime(const std::string& path, HANDLE opened, unsigned long long& size, long long& written) {
  if (HashQueue::ModificationTime(path, written, &size)) return;
  LARGE_INTEGER length = {};
  FILETIME time = {};
  GetFileSizeEx(opened, &length);
  GetFileTime(opened, nullptr, nullptr, &time);
  size = static_cast<unsigned long long>(length.QuadPart);
  written = HashQueue::SecondsSince1970(time);
}

}  // namespace

// The file of the pass at hand, read under the lock.
struct ShareLibrary::PassFile {
  XmlElement* element = nullptr;
  int code = 0;
  std::string path;
  std::string oldDigest;
};

// --- the hash pass -----------------------------------------------------------

void ShareLibrary::RunHashPass() {
  // Passes asked for meanwhile are served by this one.
  ShareWorker::DropQueuedHashPasses();
  const PassEnd end = HashPass();
  openedFiles_.clear();
  if (end == PassEnd::WorkerEnds) return;
  SaveAndPublishCopy();
  if (!firstPassDone_) {
    firstPassDone_ = true;
    if (directories_.VodSystem()) worker_.Post(ShareWorker::kRescan);
  }
  if (end == PassEnd::Repeat) {
    worker_.Post(ShareWorker::kRunHashPass);
  } else if (end == PassEnd::Stalled && repeatTimer_ == 0) {
    // Files that stay unreadable (held open by another program) are tried
    // again later, not in a loop that saves the document without end.
    repeatTimer_ = SetTimer(nullptr, 0, timing_.stalledRepeatDelay, nullptr);
  }
  ++passes_;
}

ShareLibrary::PassEnd ShareLibrary::HashPass() {
  // Without the hash plug-in nothing is hashed, and the files marked for
  // hashing keep their marks for a session that has it.
  if (!hashPlugin_.Loaded()) return PassEnd::Done;
  HashQueue queue;
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    queue.Build(document_);
    changed_ = false;
  }
  unsigned long long bytes = 0;
  bool repeat = false, gotDigest = false, haveNext = false;
  PassFile file, next;
  for (;;) {
    if (!worker_.WaitWhileSuspended()) return PassEnd::WorkerEnds;
    if (haveNext) {
      file = std::move(next);
    } else if (!TakeNextFile(queue, file, bytes, Rebuild::Allowed)) {
      break;
    }
    std::string digest;
    if (WaitForDigest(file, digest) == ShareWorker::Wait::End) return PassEnd::WorkerEnds;
    // The plug-in hashes the next file while this one's digest is stored and
    // the pause after every eleventh opening runs. Only from an unchanged
    // queue: a rebuilt one may no longer hold the elements taken so far.
    unsigned long long nextBytes = 0;
    haveNext = TakeNextFile(queue, next, nextBytes, Rebuild::Refused);
    if (bytes > timing_.saveAfterBytes) {
      SaveAndPublishCopy();
      bytes = 0;
    }
    bytes += nextBytes;
    StoreDigest(file, digest);
    gotDigest = gotDigest || !digest.empty();
    // A file that left the document needs no second try.
    repeat = repeat || (digest.empty() && file.element != nullptr);
  }
  HandOutHashed();
  if (!repeat) return PassEnd::Done;
  return gotDigest ? PassEnd::Repeat : PassEnd::Stalled;
}

// Takes the next file and hands it to the hash plug-in; false at the end of
// the pass, and, when a rebuild is refused, also when the document changed.
bool ShareLibrary::TakeNextFile(HashQueue& queue, PassFile& file, unsigned long long& bytes, Rebuild rebuild) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (stopRequested_) return false;
  if (changed_) {
    if (rebuild == Rebuild::Refused) return false;
    queue.Build(document_);
    changed_ = false;
  }
  file = PassFile();
  file.element = queue.TakeFirst(file.code);
  if (file.element == nullptr) return false;
  file.element->GetChildText("filePath", file.path);
  file.oldDigest = AttributeOf(*file.element, "MD5");
  // The document's size counts; the disk is asked only for a file it has no
  // size for (each question costs about as much as hashing a small file).
  unsigned long long size = std::strtoull(AttributeOf(*file.element, "fileSize").c_str(), nullptr, 10);
  long long modified = 0;
  if (size == 0) HashQueue::ModificationTime(file.path, modified, &size);
  bytes += size;
  hashPlugin_.Expect(file.path);
  if (!file.path.empty()) hashPlugin_.HashFile(file.path);
  return true;
}

ShareWorker::Wait ShareLibrary::WaitForDigest(const PassFile& file, std::string& digest) {
  digest.clear();
  // A file without a path is not worth asking about.
  if (file.path.empty()) return ShareWorker::Wait::Signalled;
  // The digest of a small file is in before a wait would pay off; the
  // messages then wait for a long file, or for the pump before the next
  // pause.
  if (hashPlugin_.WatchForResult(file.path, digest, kWatchedDigest)) return ShareWorker::Wait::Signalled;
  DWORD timeout = kQuickDigest;
  for (;;) {
    ShareWorker::Wait wait = worker_.WaitPumping(hashPlugin_.ResultEvent(), timeout);
    if (wait == ShareWorker::Wait::End) return wait;
    if (wait == ShareWorker::Wait::TimedOut) {
      // A long file: the host hears about the files before it meanwhile.
      HandOutHashed();
      timeout = INFINITE;
      continue;
    }
    if (wait == ShareWorker::Wait::Failed) {
      if (WaitForSingleObject(worker_.StopEvent(), kWaitFailurePause) == WAIT_OBJECT_0) return ShareWorker::Wait::End;
      continue;
    }
    // Answers about other files are not this one's.
    if (hashPlugin_.TakeResult(file.path, digest)) return wait;
  }
}

// Stores the answer unless the document changed meanwhile. A file that can
// no longer be opened loses its digest; one that is gone from the disk
// leaves the document (its element is then null in `file`), and its old
// digest is withdrawn from the host.
void ShareLibrary::StoreDigest(PassFile& file, const std::string& digest) {
  bool pause = false, withdrew = false;
  Publication publish;
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (changed_) return;
    win::UniqueFile opened(CreateFileA(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    if (!opened) {
      file.element->SetAttribute("MD5", "");
      if (!file.path.empty() && !Vanished(file.path)) return;
      if (!file.oldDigest.empty()) QueuePublication(Withdrawal(*file.element, file.code, file.oldDigest));
      file.element->Parent()->RemoveChild(file.element);
      file.element = nullptr;
      ++filesRemoved_;
      return;
    }
    pause = ++openings_ > kOpeningsBeforePause;
    if (pause) openings_ = 0;
    unsigned long long length = 0;
    long long written = 0;
    FileSizeAndTime(file.path, opened.Get(), length, written);
    file.element->SetAttribute("MD5", digest);
    file.element->SetAttribute("fileSize", std::to_string(static_cast<uint32_t>(length)));
    file.element->SetAttribute("time", std::to_string(written));
    openedFiles_.push_back(std::move(opened));
    ++filesHashed_;
    if (!file.oldDigest.empty() && file.oldDigest != digest) {
      QueuePublication(Withdrawal(*file.element, file.code, file.oldDigest));
      withdrew = true;
    }
    if (!digest.empty()) publish = RecordOf(*file.element, file.code, digest);
  }
  if (pause) {
    // The pause runs from here: the host hearing of the files so far is
    // part of it. A sleep, not a wait on the stop event: a stop waits far
    // longer than one pause anyway.
    const win::Deadline end = win::Deadline::InMilliseconds(timing_.openingPause);
    HandOutHashed();
    // The messages left queued while the digests came without a wait.
    worker_.PumpPending();
    ++openingPauses_;
    end.SleepUntil();
  }
  // The host hears the withdrawal a moment before the new digest.
  if (withdrew) {
    const win::Deadline end = win::Deadline::InMilliseconds(timing_.withdrawPause);
    HandOutHashed();
    end.SleepUntil();
  }
  // Publications go out in bursts, before each pause, while a long file is
  // hashed and at the end of the pass: a window message per file costs
  // about as much as the opening.
  if (!publish.hash.empty()) QueuePublicationQuietly(std::move(publish));
}

// The files opened since are closed first: a close costs about as much as
// the opening, and between pauses the worker has no time to spare for it.
void ShareLibrary::HandOutHashed() {
  openedFiles_.clear();
  WakeWindowForQueued();
}

void ShareLibrary::SaveAndPublishCopy() {
  SaveDocument();
  PublishCopy();
}

// --- the rescan of the media folders ---------------------------------------

void ShareLibrary::Rescan() {
  const ShareDirectories directories = ShareDirectories::Read(executableFolder_);
  std::vector<FolderListing> listings;
  for (const std::string& folder : directories.Folders()) listings.push_back(FolderListing::Of(folder, kDeepestFolder));
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    XmlElement* root = document_.Root();
    if (root == nullptr) return;
    // Paths compare as the file system does: without regard to letter case.
    std::unordered_set<std::string> known;
    XmlElement::List paths;
    root->FindAll(paths, true, "filePath");
    for (const XmlElement* path : paths) known.insert(SharePaths::LowerAscii(path->Text()));
    std::vector<XmlElement*> shown;
    for (size_t i = 0; i < root->ChildCount(); ++i)
      if (root->Child(i)->Name() == "Type" && ShareDocument::IsShown(*root->Child(i))) shown.push_back(root->Child(i));
    for (const FolderListing& listing : listings)
      for (const FolderListing::Entry& file : listing.Entries()) {
        if (file.folder) continue;
        size_t position = static_cast<size_t>(CategoryPositionOf(file.path));
        if (position >= shown.size() || !known.insert(SharePaths::LowerAscii(file.path)).second) continue;
        document_.AddFile(*shown[position], file.path, "", file.size);
        changed_ = true;
      }
  }
  worker_.Post(ShareWorker::kRunHashPass);
}
