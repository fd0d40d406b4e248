// The share document and the lists peers send: any file opens (a broken one
// as the built-in default) and saves as a document that opens again the same;
// any received list is refused or read as a share document.
#include <string>
#include <vector>

#include "HostileInput.h"
#include "TempFolder.h"
#include "share/Bzip2File.h"
#include "share/PublishedCopy.h"
#include "share/ShareDocument.h"
#include "share/ShareFileNames.h"

namespace {

const std::vector<std::string> kTokens = {
    "<Type name=\"新建子类别\" style=\"0\" dir=\"0\">", "</Type>", "<file MD5=\"\" fileSize=\"1\" time=\"0\" reShare=\"1\">",
    "</file>", "<filePath>C:\\a\\b.mp3</filePath>", "<comment>好</comment>", "version=\"1\"", "dir=\"-1\"",
    "style=\"1\"", "passWord=\"&amp;\"", "<ShareFile>", "</ShareFile>", "<", ">", "\"", "&", "\x81", std::string(1, '\0'),
};

std::string Sample() {
  std::string text = ShareDocument::DefaultText();
  size_t at = text.find("</Type>");
  return text.insert(at, "<file MD5=\"0123456789abcdef0123456789abcdef\" fileSize=\"42\" time=\"7\" reShare=\"0\">"
                         "<filePath>D:\\歌曲\\一首歌.mp3</filePath><comment>好听</comment></file>"
                         "<Type name=\"子\" style=\"0\" dir=\"0\"/>");
}

}  // namespace

HOSTILE_TARGET(share_document) {
  static TempFolder folder;
  CreateDirectoryA(folder.File("config").c_str(), nullptr);
  const ShareFileNames names(folder.Path(), 7);
  const std::string content = input.Mutate(Sample(), kTokens);
  input.Record(content);
  HOSTILE_CHECK(WriteFileBytes(names.Document(), content), "the document file is written");

  std::string saved, peers;
  {
    ShareDocument document;
    document.Open(names, nullptr);
    HOSTILE_CHECK(document.Root() != nullptr, "any file opens as a share document");
    peers = document.PeersText();
    HOSTILE_CHECK(document.Save(), "the opened document saves");
    saved = ReadFileBytes(names.Document());
  }
  {
    // A first save may drop a category's own text, which the writer moves
    // ahead of its children; from then on nothing changes.
    ShareDocument again;
    again.Open(names, nullptr);
    HOSTILE_CHECK(again.LoadedFromFile(), "the saved document opens from its file");
    HOSTILE_CHECK(again.Save(), "the reopened document saves");
    saved = ReadFileBytes(names.Document());
  }
  ShareDocument third;
  third.Open(names, nullptr);
  HOSTILE_CHECK(ShareDocument::TextOf(third.Document()) == saved, "the saved document opens as the same document");

  // What peers get of it, compressed as they receive it.
  std::string compressed;
  HOSTILE_CHECK(Bzip2File::Compress(peers, compressed) && WriteFileBytes(names.PeerCopy(9), compressed),
                "the peers' copy is written");
  HOSTILE_CHECK(PublishedCopy::Receive(names.PeerCopy(9)) != nullptr, "the peers' copy reads as a share document");

  // A list a peer made up.
  std::string list = input.Mutate(compressed, {"BZh9", std::string(3, '\0'), "\xFF"});
  input.Record(list);
  HOSTILE_CHECK(WriteFileBytes(names.PeerCopy(9), list), "the received list is written");
  XmlDocumentPtr received = PublishedCopy::Receive(names.PeerCopy(9));
  HOSTILE_CHECK(received == nullptr || received->FindFirst(false, "ShareFile") != nullptr,
                "a received list is refused or has a ShareFile root");
}
