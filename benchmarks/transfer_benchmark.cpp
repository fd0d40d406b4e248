// Prints, as a ratio against a baseline timed in the same run: one refresh
// of the download list with 1,000 downloads, each with two sources (every
// tenth expanded), including the painting it causes, against 1,000 bare
// LVM_SETITEMTEXT calls on a list-view of the same size. Needs a display.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "BestTime.h"
#include "LoggingHost.h"
#include "transfer/DownloadList.h"

namespace {

constexpr int kDownloads = 1000;
constexpr int kRounds = 15;

std::string HashOf(unsigned number) {
  char hash[40];
  std::snprintf(hash, sizeof hash, "%08x%08x%08x%08x", number, number * 7u, number * 13u, number ^ 0xA5A5A5A5u);
  return hash;
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// What the client says about the peers that serve a file.
class Peer : public HostSource {
 public:
  explicit Peer(uint32_t id) : id_(id) {}
  int32_t Describe(SourceDescription* out) override {
    *out = {};
    out->peerId = id_;
    out->percent = 60;
    std::snprintf(out->nickname, sizeof out->nickname, "peer%u", id_);
    return 1;
  }
  void SetSpeedLimits(int32_t, int32_t) override {}

 private:
  uint32_t id_;
};

std::string DocumentWith(int downloads) {
  std::string text = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<Transmit>\r\n";
  char item[256];
  for (int i = 0; i < downloads; ++i) {
    std::snprintf(item, sizeof item,
                  "<DownloadItem fileName=\"第%d集.rmvb\" MD5=\"%s\" fileType=\"3\" fileSize=\"%d\" "
                  "localFileName=\"d:\\down\\第%d集.rmvb\"></DownloadItem>\r\n",
                  i, HashOf(i).c_str(), 300000000 + i * 1000, i);
    text += item;
  }
  return text + "</Transmit>\r\n";
}

HWND MakeWindow(const char* title) {
  HWND window = CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 900, 560,
                                nullptr, nullptr, nullptr, nullptr);
  UpdateWindow(window);
  return window;
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string document = std::string(temp) + "tovak-benchmark-transmit.xml";
  FILE* file = std::fopen(document.c_str(), "wb");
  if (file == nullptr) return 1;
  std::string text = DocumentWith(kDownloads - 2);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);

  // The list: 998 restored downloads waiting, 2 running, two sources each.
  LoggingHost host;
  HWND parent = MakeWindow("download list");
  DownloadList list(&host, temp);
  list.SetDocumentPath(document);
  list.SetCoins(1000000);
  RECT area = {0, 0, 880, 520};
  list.Create(parent, 100, area);
  for (unsigned i = kDownloads - 2; i < kDownloads; ++i) {
    DownloadList::Request request;
    request.hash = HashOf(i);
    request.fileName = "running" + std::to_string(i) + ".avi";
    request.size = 700000000;
    request.folder = temp;
    request.quiet = true;
    list.Add(request);
  }
  std::vector<std::unique_ptr<Peer>> peers;
  int index = 0;
  for (const DownloadList::Row& row : std::vector<DownloadList::Row>(list.Rows())) {
    for (int p = 0; p < 2; ++p) {
      peers.push_back(std::make_unique<Peer>(30000 + index * 2 + p));
      row.task->NewSource(peers.back().get());
    }
    row.task->Progress(1000000 + index, 0, 0, 0, 20000 + index, 0, 0.3);
    ++index;
  }
  Pump();
  index = 0;
  for (const DownloadList::Row& row : std::vector<DownloadList::Row>(list.Rows()))
    if (index++ % 10 == 0) list.ToggleExpanded(*row.task);
  list.Refresh();
  UpdateWindow(list.Control().Handle());
  Pump();

  // Between two refreshes the running downloads and every peer move on.
  HWND listView = list.Control().Handle();
  uint64_t progress = 2000000;
  auto advance = [&] {
    progress += 65536;
    for (unsigned i = kDownloads - 2; i < kDownloads; ++i)
      list.FindTaskByHash(HashOf(i))->Progress(progress, 0, 0, 0, 30000 + progress % 1000, 0, 0.4);
    for (const DownloadList::Row& row : list.Rows())
      if (row.source != nullptr) row.source->Progress(static_cast<int32_t>(progress % 100), 1000, 0, 0);
  };
  double refresh = BestTime(kRounds, [&] {
    advance();
    list.Refresh();
    UpdateWindow(listView);
  });
  double refreshOnly = BestTime(kRounds, [&] {
    advance();
    list.Refresh();
  });
  double fullRepaint = BestTime(kRounds, [&] {
    InvalidateRect(listView, nullptr, FALSE);
    UpdateWindow(listView);
  });

  // The baseline: a plain report list-view of the same size with 1,000 rows.
  HWND plainParent = MakeWindow("bare list-view");
  HWND plain = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 880, 520,
                               plainParent, nullptr, nullptr, nullptr);
  ListView bare(plain);
  for (int column = 0; column < 8; ++column) bare.InsertColumn(column, "column", 90);
  for (int row = 0; row < kDownloads; ++row) bare.InsertItem(row, "row", row);
  UpdateWindow(plain);
  Pump();
  int flip = 0;
  double setText = BestTime(kRounds, [&] {
    const char* text = ++flip % 2 ? "0.50KB/S" : "1, 234 KB/S";
    LVITEMA item = {};
    item.iSubItem = 4;
    item.pszText = const_cast<char*>(text);
    for (int row = 0; row < kDownloads; ++row) SendMessageA(plain, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  });

  double plainPaint = BestTime(kRounds, [&] {
    InvalidateRect(plain, nullptr, FALSE);
    UpdateWindow(plain);
  });
  std::printf("full repaint: download list %.2f ms, bare list-view %.2f ms\n", fullRepaint * 1e3, plainPaint * 1e3);
  std::printf("download list refresh (%d downloads, %d rows with sources, with the painting it causes): %.2f ms "
              "(%.2f ms without painting); "
              "%d bare LVM_SETITEMTEXT calls: %.2f ms; ratio %.2f (goal at most 1.5; refresh goal under 5 ms)\n",
              kDownloads, static_cast<int>(list.Rows().size()), refresh * 1e3, refreshOnly * 1e3, kDownloads,
              setText * 1e3, refresh / setText);
  list.Stop();
  DeleteFileA(document.c_str());
  DestroyWindow(plainParent);
  DestroyWindow(parent);
  return 0;
}
