#include "ShareDemo.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "HostReport.h"
#include "LoggingHost.h"
#include "frame/HostClient.h"
#include "frame/PluginInterface.h"
#include "share/FileBytes.h"
#include "share/IniFile.h"
#include "share/KeywordLists.h"
#include "share/Md5.h"
#include "share/PublishedCopy.h"

namespace ShareDemo {
namespace {

struct SharedFile {
  const char* category;
  const char* name;
  const char* content;
};
// The files the share document names; none is hashed yet.
const SharedFile kFiles[] = {
    {"音乐", "月亮代表我的心.mp3", "music"},
    {"视频", "第1集.rmvb", "episode one"},
    {"视频", "第2集.rmvb", "episode two"},
    {"视频", "一部名字非常非常长的纪录片：中国的山川河流湖泊与海洋以及生活在那里的人们的故事第一部分.avi",
     "a long name"},
    {"资料", "说明书.doc", "manual"},
    {"珍藏", "日记.txt", "diary"},
};
// The media folder's files, which a rescan sorts into categories by extension.
const SharedFile kMedia[] = {
    {"", "歌曲.mp3", "media song"},
    {"", "纪录片.asf", "media film"},
    {"", "节目单.txt", "media list"},
};
constexpr const char* kDeleted = "纪录片.asf";

std::string Config(const std::string& dataFolder, const char* name) { return dataFolder + "/config/" + name; }

std::string SharedFolder(const std::string& work) { return work + "\\共享文件"; }
std::string MediaFolder(const std::string& work) { return work + "\\媒体库"; }

// The digests of the demo's own files: the document's and the media
// folder's. The download list hands the share library its finished
// downloads too; those are reported apart.
std::vector<std::string> DemoDigests(bool publishedOnly) {
  std::vector<std::string> digests;
  for (const SharedFile& file : kFiles)
    if (!publishedOnly || std::string(file.category) != "珍藏") digests.push_back(Md5::OfText(file.content));
  for (const SharedFile& file : kMedia) digests.push_back(Md5::OfText(file.content));
  return digests;
}

bool Contains(const std::vector<std::string>& digests, const std::string& digest) {
  return std::find(digests.begin(), digests.end(), digest) != digests.end();
}

// The document the pass saved: files, and how many of the demo's files carry
// their digest.
void CountSaved(const std::string& path, size_t& files, size_t& hashed) {
  XmlDocument saved;
  XmlElement::List all;
  if (saved.Load(path)) saved.FindAll(all, true, "file");
  files = all.size();
  hashed = 0;
  const std::vector<std::string> ours = DemoDigests(false);
  for (XmlElement* file : all) hashed += Contains(ours, AttributeOf(*file, "MD5")) ? 1 : 0;
}

// The PublishFile calls about the demo's own files, and the others.
void SplitPublished(LoggingHost& host, std::vector<std::string>& ours, std::vector<std::string>& others) {
  ours.clear();
  others.clear();
  const std::vector<std::string> digests = DemoDigests(true);
  for (const std::string& call : host.CallsOf("PublishFile")) {
    // PublishFile("digest", ...
    const size_t open = call.find('"');
    const std::string digest = open == std::string::npos ? "" : call.substr(open + 1, Md5::kHexLength);
    (Contains(digests, digest) ? ours : others).push_back(call);
  }
}

// What the worker hashed and published: the host's PublishFile calls and the
// saved document, once the passes after Start (and the rescan of the media
// folder they asked for) are done.
bool ReportHashing(LoggingHost& host, const std::string& dataFolder, unsigned user) {
  char name[32];
  std::snprintf(name, sizeof name, "share%u.xml", user);
  const std::string document = Config(dataFolder, name);
  const size_t expected = DemoDigests(false).size(), publishable = DemoDigests(true).size();
  size_t files = 0, hashed = 0;
  std::vector<std::string> ours, others;
  PumpUntil([&] {
    CountSaved(document, files, hashed);
    SplitPublished(host, ours, others);
    return ours.size() >= publishable && hashed == expected;
  }, 30000);
  bool ok = ReportCheck(hashed == expected && ours.size() == publishable,
                        "worker hashed every file through the hash plug-in");
  Report("share document after the passes: %u files, %u of the demo's with their digest (%u from the media folder)",
         static_cast<unsigned>(files), static_cast<unsigned>(hashed),
         static_cast<unsigned>(sizeof kMedia / sizeof kMedia[0]));
  Report("published to the host (PublishFile: digest, display name, size, category, category path):");
  for (const std::string& call : ours) Report("  %s", call.c_str());
  Report("日记.txt in 珍藏 was hashed but not published one by one");
  for (const std::string& call : others) Report("also published, a finished download: %s", call.c_str());
  return ok;
}

// A file deleted from the watched media folder leaves the share: the folder
// watch asks for a pass, which removes it and withdraws its digest.
bool ReportDeletion(LoggingHost& host, const std::string& work) {
  const size_t before = host.CallsOf("UnpublishFile").size();
  bool deleted = DeleteFileA((MediaFolder(work) + "\\" + kDeleted).c_str()) != FALSE;
  PumpUntil([&] { return host.CallsOf("UnpublishFile").size() > before; }, 30000);
  std::vector<std::string> withdrawn = host.CallsOf("UnpublishFile");
  bool ok = ReportCheck(deleted && withdrawn.size() == before + 1, "folder watch: deleted file withdrawn");
  Report("deleted 媒体库\\%s: host told %s", kDeleted, withdrawn.empty() ? "nothing" : withdrawn.back().c_str());
  return ok;
}

size_t LineCount(const std::string& path) {
  std::string content;
  FileBytes::Read(path, content);
  return KeywordLists::SplitLines(content).size();
}

// What the worker fetched from the operator's server double after Start; the
// keyword lists and the top-ten list follow the settings after two pauses.
bool ReportFetch(LoggingHost& host, const std::string& executableFolder, const std::string& dataFolder) {
  const std::string topTenPath = executableFolder + "/config/topten.ini";
  const std::string fullList = Config(dataFolder, "filter.txt"), shortList = Config(dataFolder, "litefilter.txt");
  auto fetched = [&] {
    IniFile topTen;
    topTen.Load(topTenPath);
    return !host.CallsOf("SetAdVersion").empty() && LineCount(fullList) > 0 && LineCount(shortList) > 0 &&
           topTen.GetInt("no1", "size", 0) != 0;
  };
  PumpUntil(fetched, 30000);
  bool ok = ReportCheck(fetched(), "settings, keyword lists and top-ten list fetched");
  std::vector<std::string> adVersion = host.CallsOf("SetAdVersion");
  Report("host told: %s", adVersion.empty() ? "nothing" : adVersion.back().c_str());
  Report("keyword lists: filter.txt %u keywords, litefilter.txt %u keywords", static_cast<unsigned>(LineCount(fullList)),
         static_cast<unsigned>(LineCount(shortList)));
  IniFile topTen;
  topTen.Load(topTenPath);
  std::string rows;
  for (int position = 1; position <= 10; ++position) {
    std::string section = "no" + std::to_string(position);
    if (topTen.GetInt(section, "size", 0) != 0) rows += " " + std::to_string(position) + ". " + topTen.Get(section, "filename");
  }
  Report("top-ten list (date %d):%s", topTen.GetInt("topten", "date", 0), rows.c_str());
  return ok;
}

}  // namespace

bool LayOut(const std::string& work, const std::string& executableFolder, const std::string& dataFolder,
            unsigned user) {
  const std::string shared = SharedFolder(work), media = MediaFolder(work);
  CreateDirectoryA(shared.c_str(), nullptr);
  CreateDirectoryA(media.c_str(), nullptr);
  std::string document = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<ShareFile version=\"2\">\r\n";
  for (const char* label : {"音乐", "图片", "视频", "图书", "资料", "软件", "游戏", "珍藏"}) {
    document += std::string("<Type name=\"") + label + "\" style=\"0\">\r\n";
    for (const SharedFile& file : kFiles) {
      if (std::string(file.category) != label) continue;
      const std::string path = shared + "\\" + file.name;
      if (!FileBytes::Write(path, file.content)) return false;
      document += "<file MD5=\"\" fileSize=\"0\" time=\"0\" reShare=\"0\">\r\n<filePath>\r\n" + path +
                  "</filePath>\r\n</file>\r\n";
    }
    document += "</Type>\r\n";
  }
  document += "</ShareFile>\r\n";
  for (const SharedFile& file : kMedia)
    if (!FileBytes::Write(media + "\\" + file.name, file.content)) return false;
  char name[32];
  std::snprintf(name, sizeof name, "share%u.xml", user);
  return FileBytes::Write(Config(dataFolder, name), document) &&
         FileBytes::Write(executableFolder + "\\config\\shareDirectory.ini",
                          "[tovak]\r\nvodSystem=1\r\nshareDirectoryCount=1\r\ndirectory1=" + media + "\r\n");
}

bool Drive(PluginInterface& plugin, LoggingHost& host, const std::string& executableFolder,
           const std::string& dataFolder, unsigned user, bool withOperator) {
  const std::string work = dataFolder.substr(0, dataFolder.find_last_of("\\/"));
  bool ok = ReportHashing(host, dataFolder, user);
  char id[64] = "";
  int32_t count = -1;
  ok = ReportCheck(plugin.OpenShareLibrary(user, id, &count) == 1, "OpenShareLibrary(10001)") && ok;
  Report("OpenShareLibrary: %d hashed files; share identity %s", count, id);

  // The published copy the pass wrote, as a peer gets it.
  char digest[33] = "", path[kHostTextMax] = "";
  int32_t first = plugin.GetShareListFile(20002, digest, path);
  int32_t second = plugin.GetShareListFile(20002, digest, path);
  Report("GetShareListFile(20002): %d (copied, digest %s), again with that digest: %d", first, digest, second);
  ok = ReportCheck(first == 0 && second == 1, "GetShareListFile answers 0, then 1") && ok;
  XmlDocumentPtr peersView = PublishedCopy::Receive(path);
  XmlElement::List peerPaths;
  if (peersView) peersView->FindAll(peerPaths, true, "filePath");
  std::string names;
  for (const XmlElement* peerPath : peerPaths) names += (names.empty() ? "" : ", ") + peerPath->Text();
  Report("the peer's copy holds %u files: %s", static_cast<unsigned>(peerPaths.size()), names.c_str());

  char found[kHostTextMax] = "";
  int32_t hidden = -1, category = -1;
  int32_t known = plugin.LookupSharedFile(Md5::OfText("episode one").c_str(), found, &hidden, &category);
  Report("LookupSharedFile(md5 of 第1集.rmvb): %d, category %d, hidden %d, path %s", known, category, hidden, found);
  int32_t unknown = plugin.LookupSharedFile("0123456789abcdef0123456789abcdef", found, &hidden, &category);
  Report("LookupSharedFile(unknown digest): %d, host told: %u calls", unknown,
         static_cast<unsigned>(host.CallsOf("UnpublishFile").size() + host.CallsOf("NotifyShareChanged").size() +
                               host.CallsOf("NotifyUnpublishDone").size()));
  const std::string manual = SharedFolder(work) + "\\说明书.doc";
  Report("HashFile(说明书.doc) (slot 34): %d", plugin.HashFile(manual.c_str(), 0));
  ok = ReportDeletion(host, work) && ok;

  if (withOperator) ok = ReportFetch(host, executableFolder, dataFolder) && ok;

  plugin.AddTopTenEntry(1, 0, Md5::OfText("episode two").c_str(), "第2集.rmvb", 11, 3, "", 1);
  IniFile topTen;
  topTen.Load(executableFolder + "/config/topten.ini");
  Report("AddTopTenEntry(1, 第2集.rmvb, save): topten.ini no1 = %s, date %d", topTen.Get("no1", "filename").c_str(),
         topTen.GetInt("topten", "date", 0));
  return ok;
}

bool ReportSharePage(HWND main) {
  HWND tree = FindDescendant(main, 3077), list = FindDescendant(main, 3071);
  if (tree == nullptr || list == nullptr) return ReportCheck(false, "share page with tree 3077 and list 3071");
  HTREEITEM root = TreeView_GetRoot(tree), fullest = nullptr;
  int most = -1;
  std::string labels;
  for (HTREEITEM item = TreeView_GetChild(tree, root); item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
    TreeView_SelectItem(tree, item);
    const int rows = RowCount(list);
    labels += ItemLabel(tree, item) + "(" + std::to_string(rows) + ") ";
    if (rows > most) most = rows, fullest = item;
  }
  TreeView_SelectItem(tree, fullest);
  Report("share tree under %s: %s", ItemLabel(tree, root).c_str(), labels.c_str());
  for (int row = 0; row < RowCount(list); ++row)
    Report("  %s row %d: %s | %s | %s", ItemLabel(tree, fullest).c_str(), row, CellText(list, row, 0).c_str(),
           CellText(list, row, 1).c_str(), CellText(list, row, 2).c_str());
  return ReportCheck(most > 0, "a category of the share page lists its files");
}

}  // namespace ShareDemo
