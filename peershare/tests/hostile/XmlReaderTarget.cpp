// The XML reader: every input either parses or leaves an empty tree; what
// parses saves as a document that parses again into the same tree, and the
// second save is the same text as the first.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "HostileInput.h"
#include "TempFolder.h"
#include "frame/XmlDocument.h"

namespace {

using OwnedDocument = std::unique_ptr<XmlDocument, XmlElement::Releaser>;

const std::vector<std::string> kSamples = {
    "<?xml version='1.0' encoding='gb2312'?>\r\n<ShareFile version=\"2\" TimeStamp=\"261208101010\">\r\n"
    "<Type name=\"音乐\" style=\"0\" dir=\"1\">\r\n<file MD5=\"0123456789abcdef0123456789abcdef\" fileSize=\"42\" "
    "time=\"0\" reShare=\"0\">\r\n<filePath>\r\nD:\\歌曲\\一首歌.mp3</filePath>\r\n<comment>\r\n好听</comment>\r\n"
    "</file>\r\n<Type name=\"新建子类别\" style=\"1\" dir=\"2\"/>\r\n</Type>\r\n"
    "<Type name=\"珍藏\" style=\"0\" dir=\"8\" passWord=\"a&b\">\r\n</Type>\r\n</ShareFile>\r\n",
    "<Transmit><DownloadItem MD5=\"abc\" name=\"电影.rmvb\" size=\"100\" path=\"E:\\下载\"/></Transmit>",
    "<a x='1' y=\"2\">text<b>inner</b>tail<![CDATA[<&>]]></a>",
    "<r><!-- note --><e/><e a=\"\"/><?pi data?></r>",
};

const std::vector<std::string> kTokens = {
    "<", ">", "</", "/>", "<d>", "</d>", "=", "\"", "'", "&", "&amp;", "&#60;", "&lt;", "?>", "<?xml version='1.0'?>",
    "<!DOCTYPE r [<!ATTLIST e a CDATA \"x\">]>", "<!DOCTYPE r [<!ENTITY e \"v\">]>", "<![CDATA[", "]]>", "<!--",
    "-->", std::string(1, '\0'), "\xD6\xD0", "\x81", "\xFF", "\xA3\xBC", " a=\"1\"", " b='<'", "\r\n", "\t", "?",
    "<e a=\"1\" a=\"2\"/>", "\xEF\xBB\xBF", "<ShareFile>", "</ShareFile>",
};

// The shapes the faults were found with; each comes up in every hundred cases.
std::string Shape(hostile::Input& input) {
  auto repeated = [](const std::string& piece, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += piece;
    return text;
  };
  switch (input.CaseNumber() % 100) {
    case 11: return repeated("<d>", 13500);
    case 22: return repeated("<d>", 100000) + "x" + repeated("</d>", 100000);
    case 33: {
      std::string text = "<a";
      for (int i = 0; i < 100000; ++i) text += " n" + std::to_string(i) + "=\"v\"";
      return text + "/>";
    }
    case 44: {
      std::string text = "<!DOCTYPE r [<!ATTLIST e";
      for (int i = 0; i < 64; ++i) text += " a" + std::to_string(i) + " CDATA \"" + std::string(2047, 'x') + "\"";
      return text + ">]><r>" + repeated("<e/>", 1200) + "</r>";
    }
    case 55: return std::string("<a>\0</a>", 8);
    case 66: return "<a c=\"<>&quot;\">say \"<hi>\" & bye</a>";
    default: return std::string();
  }
}

std::string Generated(hostile::Input& input) {
  std::string shape = Shape(input);
  if (!shape.empty()) return shape;
  if (input.Chance(10)) return input.CodePageText(4096);
  return input.Mutate(input.Pick(kSamples), kTokens);
}

// What Save writes, without the file: "?" after the declaration becomes "&".
std::string SavedText(const XmlDocument& document) {
  std::string text;
  document.Write(text);
  size_t declaration = text.find("?>") + 2;
  for (size_t i = declaration; i < text.size(); ++i)
    if (text[i] == '?') text[i] = '&';
  return text;
}

// Names, attributes and the shape agree; texts agree where an element has no
// children (a parent's text is its last chunk, which a save moves).
bool SameTree(const XmlElement& first, const XmlElement& second) {
  std::vector<std::pair<const XmlElement*, const XmlElement*>> pending{{&first, &second}};
  while (!pending.empty()) {
    auto [a, b] = pending.back();
    pending.pop_back();
    if (a->Name() != b->Name() || a->Attributes() != b->Attributes() || a->ChildCount() != b->ChildCount()) {
      return false;
    }
    if (a->ChildCount() == 0 && a->Text() != b->Text()) return false;
    for (size_t i = 0; i < a->ChildCount(); ++i) pending.push_back({a->Child(i), b->Child(i)});
  }
  return true;
}

}  // namespace

HOSTILE_TARGET(xml_reader) {
  const std::string text = Generated(input);
  input.Record(text);
  OwnedDocument document(XmlDocument::NewDocument());
  if (!document->Parse(text)) {
    HOSTILE_CHECK(document->ChildCount() == 0, "a text that does not parse leaves an empty tree");
    return;
  }
  const std::string saved = SavedText(*document);
  OwnedDocument reread(XmlDocument::NewDocument());
  HOSTILE_CHECK(reread->Parse(saved), "what was read saves as a readable document");
  HOSTILE_CHECK(SameTree(*document, *reread), "the saved document reads back as the same tree");
  // From the second save on, nothing changes (the first may drop a parent's
  // text, which a save moves ahead of its children).
  const std::string savedAgain = SavedText(*reread);
  OwnedDocument third(XmlDocument::NewDocument());
  HOSTILE_CHECK(third->Parse(savedAgain) && SavedText(*third) == savedAgain, "saving again gives the same text");

  OwnedDocument copy(static_cast<XmlDocument*>(document->Clone(true)));
  HOSTILE_CHECK(copy != nullptr && SavedText(*copy) == saved, "a deep clone saves as the original");
  XmlElement::List all;
  document->FindAll(all, true, nullptr);
  size_t counted = 0;
  for (XmlElement* element : all) counted += element->ChildCount();
  HOSTILE_CHECK(counted + document->ChildCount() == all.size(), "FindAll lists every element once");

  // Now and then through the file itself.
  if (input.CaseNumber() % 25 == 0) {
    static TempFolder folder;
    HOSTILE_CHECK(document->Save(folder.File("share1.xml")), "the document saves");
    HOSTILE_CHECK(ReadFileBytes(folder.File("share1.xml")) == saved, "the file holds what Save writes");
    OwnedDocument loaded(XmlDocument::NewDocument());
    HOSTILE_CHECK(loaded->Load(folder.File("share1.xml")), "the saved file loads");
    HOSTILE_CHECK(SavedText(*loaded) == savedAgain, "the loaded file is the saved document");
  }
}

// Texts that users type and peers send, stored through the tree's setters,
// save and load back unchanged.
HOSTILE_TARGET(xml_stored_text) {
  OwnedDocument document(XmlDocument::NewDocument());
  HOSTILE_CHECK(document->Parse("<ShareFile version=\"2\"><Type name=\"音乐\"/></ShareFile>"), "the base parses");
  XmlElement* type = document->Child(0)->Child(0);
  const int values = 1 + static_cast<int>(input.Below(4));
  std::string typed;
  input.Record(typed);
  for (int i = 0; i < values; ++i) {
    std::string value = input.CodePageText(300), text = input.CodePageText(300);
    typed += value + "\n" + text + "\n";
    type->SetAttribute("a" + std::to_string(i), value);
    type->SetChildText("c" + std::to_string(i), text);
  }
  const std::string saved = SavedText(*document);
  OwnedDocument reread(XmlDocument::NewDocument());
  HOSTILE_CHECK(reread->Parse(saved), "stored texts save as a readable document");
  XmlElement* again = reread->Child(0)->Child(0);
  // An "&" of a value reads back as the "?" that stands for it.
  auto attributes = type->Attributes();
  for (auto& attribute : attributes) std::replace(attribute.second.begin(), attribute.second.end(), '&', '?');
  HOSTILE_CHECK(again->Attributes() == attributes, "stored values read back unchanged");
  for (int i = 0; i < values; ++i) {
    std::string before, after;
    type->GetChildText("c" + std::to_string(i), before);
    again->GetChildText("c" + std::to_string(i), after);
    HOSTILE_CHECK(before == after, "stored texts read back unchanged");
  }
}
