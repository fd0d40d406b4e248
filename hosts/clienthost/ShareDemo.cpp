#include "ShareDemo.h"

#include <windows.h>

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
const SharedFile kFiles[] = {
    {"音乐", "月亮代表我的心.mp3", "music"},
    {"视频", "第1集.rmvb", "episode one"},
    {"视频", "第2集.rmvb", "episode two"},
    {"资料", "说明书.doc", "manual"},
    {"珍藏", "日记.txt", "diary"},
};

std::string Config(const std::string& dataFolder, const char* name) { return dataFolder + "/config/" + name; }

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

bool LayOut(const std::string& work, const std::string& dataFolder, unsigned user) {
  const std::string shared = work + "\\共享文件";
  CreateDirectoryA(shared.c_str(), nullptr);
  std::string document = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<ShareFile version=\"2\">\r\n";
  for (const char* label : {"音乐", "图片", "视频", "图书", "资料", "软件", "游戏", "珍藏"}) {
    document += std::string("<Type name=\"") + label + "\" style=\"0\">\r\n";
    for (const SharedFile& file : kFiles) {
      if (std::string(file.category) != label) continue;
      const std::string path = shared + "\\" + file.name;
      if (!FileBytes::Write(path, file.content)) return false;
      document += "<file MD5=\"" + Md5::OfText(file.content) + "\" fileSize=\"" +
                  std::to_string(std::string(file.content).size()) + "\" time=\"0\" reShare=\"0\">\r\n<filePath>\r\n" +
                  path + "</filePath>\r\n</file>\r\n";
    }
    document += "</Type>\r\n";
  }
  document += "</ShareFile>\r\n";
  char name[32];
  std::snprintf(name, sizeof name, "share%u.xml", user);
  return FileBytes::Write(Config(dataFolder, name), document);
}

bool Drive(PluginInterface& plugin, LoggingHost& host, const std::string& executableFolder,
           const std::string& dataFolder, unsigned user, bool withOperator) {
  bool ok = true;
  char id[64] = "";
  int32_t count = -1;
  ok = ReportCheck(plugin.OpenShareLibrary(user, id, &count) == 1, "OpenShareLibrary(10001)") && ok;
  Report("share document: %u files in 8 categories, %d hashed; share identity %s",
         static_cast<unsigned>(sizeof kFiles / sizeof kFiles[0]), count, id);

  char digest[33] = "", path[kHostTextMax] = "";
  int32_t before = plugin.GetShareListFile(20002, digest, path);
  Report("GetShareListFile(20002) before any copy is published: %d", before);

  // The published copy, written by the share library's code from the same
  // document (the hashing pass that publishes it on its own comes later).
  const ShareFileNames names(dataFolder, user);
  ShareDocument document;
  document.Open(names, nullptr);
  document.SetCollectionPassword("芝麻开门");
  PublishedCopy::Sizes sizes;
  ok = ReportCheck(PublishedCopy::Write(document.PeersText(), names, &sizes), "published copy temp0 and temp1 written") &&
       ok;
  Report("published copy: %u bytes of text, %u bytes after bzip2 (temp0share%u.xml)",
         static_cast<unsigned>(sizes.text), static_cast<unsigned>(sizes.compressed), user);
  int32_t first = plugin.GetShareListFile(20002, digest, path);
  int32_t second = plugin.GetShareListFile(20002, digest, path);
  Report("GetShareListFile(20002): %d (copied, digest %s), again with that digest: %d", first, digest, second);
  ok = ReportCheck(before == 2 && first == 0 && second == 1, "GetShareListFile answers 2, 0, 1") && ok;
  XmlDocumentPtr peersView = PublishedCopy::Receive(path);
  std::string peerPath;
  if (peersView) peersView->FindFirst(true, "file")->GetChildText("filePath", peerPath);
  Report("the peer's copy reads back: first filePath \"%s\"", peerPath.c_str());

  char found[kHostTextMax] = "";
  int32_t hidden = -1, category = -1;
  int32_t known = plugin.LookupSharedFile(Md5::OfText("episode one").c_str(), found, &hidden, &category);
  Report("LookupSharedFile(md5 of 第1集.rmvb): %d, category %d, hidden %d, path %s", known, category, hidden, found);
  int32_t unknown = plugin.LookupSharedFile("0123456789abcdef0123456789abcdef", found, &hidden, &category);
  Report("LookupSharedFile(unknown digest): %d, host told: %u calls", unknown,
         static_cast<unsigned>(host.CallsOf("UnpublishFile").size() + host.CallsOf("NotifyShareChanged").size() +
                               host.CallsOf("NotifyUnpublishDone").size()));

  if (withOperator) ok = ReportFetch(host, executableFolder, dataFolder) && ok;

  plugin.AddTopTenEntry(1, 0, Md5::OfText("episode two").c_str(), "第2集.rmvb", 11, 3, "", 1);
  IniFile topTen;
  topTen.Load(executableFolder + "/config/topten.ini");
  Report("AddTopTenEntry(1, 第2集.rmvb, save): topten.ini no1 = %s, date %d", topTen.Get("no1", "filename").c_str(),
         topTen.GetInt("topten", "date", 0));
  return ok;
}

}  // namespace ShareDemo
