#include "FriendDemo.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "HostReport.h"
#include "frame/PluginInterface.h"
#include "frame/ResourceIds.h"
#include "share/FileBytes.h"
#include "share/Md5.h"
#include "share/PublishedCopy.h"
#include "share/ShareDocument.h"
#include "share/ShareFileNames.h"

namespace FriendDemo {
namespace {

std::string FileText(const char* content, const std::string& path, unsigned size, const char* comment = "") {
  const std::string md5 = content != nullptr ? Md5::OfText(content) : "00000000000000000000000000000000";
  std::string text = "<file MD5=\"" + md5 + "\" fileSize=\"" + std::to_string(size) +
                     "\" time=\"0\" reShare=\"0\">\r\n<filePath>\r\n" + path + "</filePath>\r\n";
  if (*comment != '\0') text += std::string("<comment>\r\n") + comment + "</comment>\r\n";
  return text + "</file>\r\n";
}

// The peer's share: a film category with a sub-category and a file not yet
// hashed on the peer's side (its digest is the placeholder), a collection
// with a password, and a category the peer keeps to himself (style 1).
std::string PeerDocument() {
  const std::string films = "E:\\影视\\";
  return "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<ShareFile version=\"2\">\r\n"
         "<Type name=\"音乐\" style=\"0\" dir=\"1\">\r\n" +
         FileText("peer song", "F:\\音乐\\茉莉花.mp3", 4200000) +
         "</Type>\r\n<Type name=\"视频\" style=\"0\" dir=\"3\">\r\n" +
         FileText("peer film one", films + "西游记第1集.rmvb", 183500000, "高清") +
         FileText("peer film two", films + "西游记第2集.rmvb", 179800000) +
         FileText("peer trailer", films + "预告片.wmv", 900) + FileText(nullptr, films + "正在计算.avi", 5000) +
         "<Type name=\"纪录片\" style=\"0\" dir=\"1\">\r\n" + FileText("peer nature", films + "自然.avi", 70000000) +
         "</Type>\r\n</Type>\r\n<Type name=\"私人\" style=\"1\" dir=\"9\">\r\n" +
         FileText("peer private", "D:\\私人\\照片.jpg", 300000) +
         "</Type>\r\n<Type name=\"珍藏\" style=\"0\" dir=\"8\" passWord=\"1234\">\r\n" +
         FileText("peer diary", "D:\\日记.txt", 2000) + "</Type>\r\n</ShareFile>\r\n";
}

// The peer's compressed copy, written by the share library's publication code.
std::string PublishPeerCopy(const std::string& work) {
  const std::string folder = work + "\\peer" + std::to_string(kPeer);
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\config").c_str(), nullptr);
  ShareFileNames names(folder, kPeer);
  if (!FileBytes::Write(names.Document(), PeerDocument())) return std::string();
  ShareDocument document;
  document.Open(names, nullptr);
  return PublishedCopy::Write(document.PeersText(), names) ? names.PublishedCopy() : std::string();
}

HTREEITEM PeerItem(HWND tree) {
  for (HTREEITEM item = TreeView_GetRoot(tree); item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
    TVITEMA entry = {};
    entry.mask = TVIF_PARAM;
    entry.hItem = item;
    if (SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&entry)) && entry.lParam == kPeer) return item;
  }
  return nullptr;
}

// "label[child, child]" for each category below `parent`, one level deep.
std::string Subtree(HWND tree, HTREEITEM parent) {
  std::string text;
  for (HTREEITEM item = TreeView_GetChild(tree, parent); item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
    text += (text.empty() ? "" : ", ") + ItemLabel(tree, item);
    if (TreeView_GetChild(tree, item) != nullptr) text += "[" + Subtree(tree, item) + "]";
  }
  return text;
}

}  // namespace

bool Drive(PluginInterface& plugin, HWND main, const std::string& work) {
  const std::string copy = PublishPeerCopy(work);
  bool ok = ReportCheck(!copy.empty(), "peer's share list published (bzip2)");
  plugin.ShowPeerShareList(0, kPeer, 0, copy.c_str());
  plugin.ShowPeer(kPeer);
  HWND tree = FindDescendant(main, IDC_PEER_TREE), list = FindDescendant(main, IDC_PEER_FILES);
  HTREEITEM peer = tree != nullptr ? PeerItem(tree) : nullptr;
  if (peer == nullptr || list == nullptr) return ReportCheck(false, "friend panel with the peer's item");
  const std::string categories = Subtree(tree, peer);
  HTREEITEM selected = TreeView_GetSelection(tree);
  Report("ShowPeerShareList(0, %u, copy of %u bytes): peer %s: %s", kPeer,
         static_cast<unsigned>(TextOf(copy).size()), ItemLabel(tree, peer).c_str(), categories.c_str());
  Report("selected %s, %d rows (文件名 | 大小 | 注释):", ItemLabel(tree, selected).c_str(), RowCount(list));
  for (int row = 0; row < RowCount(list); ++row)
    Report("  %s | %s | %s", CellText(list, row, 0).c_str(), CellText(list, row, 1).c_str(),
           CellText(list, row, 2).c_str());
  ok = ReportCheck(categories == "音乐, 视频[纪录片], 珍藏", "peer's tree without the style-1 category") && ok;
  ok = ReportCheck(ItemLabel(tree, selected) == "视频" && RowCount(list) == 3 &&
                       CellText(list, 0, 0) == "西游记第1集.rmvb",
                   "视频 selected; the placeholder file hidden") && ok;
  return ok;
}

}  // namespace FriendDemo
