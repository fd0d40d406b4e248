#include "frame/XmlDocument.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "win/Handles.h"

namespace {

using OwnedDocument = std::unique_ptr<XmlDocument, XmlElement::Releaser>;

OwnedDocument Parsed(const std::string& text) {
  OwnedDocument document(XmlDocument::NewDocument());
  EXPECT_TRUE(document->Parse(text)) << text;
  return document;
}

std::string Written(const XmlElement& element) {
  std::string text;
  element.Write(text);
  return text;
}

std::string Attribute(const XmlElement* element, const char* name) {
  std::string value;
  element->GetAttribute(name, value);
  return value;
}

// Runs `work` on two threads at once, each with its own argument.
bool BothSucceedAtOnce(const std::function<bool(const std::string&)>& work, const std::string& first,
                       const std::string& second) {
  bool firstGood = false, secondGood = false;
  std::thread other([&] { secondGood = work(second); });
  firstGood = work(first);
  other.join();
  return firstGood && secondGood;
}

const char kShareDocument[] =
    "<?xml version='1.0' encoding='gb2312'?>\r\n"
    "<ShareFile version=\"2\">\r\n"
    "<Type name=\"音乐\" style=\"0\" dir=\"1\">\r\n"
    "<file MD5=\"0123456789abcdef0123456789abcdef\" fileSize=\"42\" time=\"0\" reShare=\"0\">\r\n"
    "<filePath>\r\nD:\\歌曲\\一首歌.mp3</filePath>\r\n"
    "<comment>\r\n好听</comment>\r\n"
    "</file>\r\n"
    "</Type>\r\n"
    "<Type name=\"珍藏\" style=\"0\" dir=\"8\" passWord=\"\">\r\n"
    "</Type>\r\n"
    "</ShareFile>\r\n";

TEST(XmlDocumentReader, BuildsTheTreeInDocumentOrder) {
  OwnedDocument document = Parsed(kShareDocument);
  ASSERT_EQ(1u, document->ChildCount());
  XmlElement* root = document->Child(0);
  EXPECT_EQ("ShareFile", root->Name());
  EXPECT_EQ(nullptr, root->Parent() == document.get() ? nullptr : root);
  XmlElement* file = root->FindFirst(true, "file");
  ASSERT_NE(nullptr, file);
  EXPECT_EQ("42", Attribute(file, "fileSize"));
  std::string text;
  file->GetChildText("filePath", text);
  EXPECT_EQ("D:\\歌曲\\一首歌.mp3", text);
  file->GetChildText("comment", text);
  EXPECT_EQ("好听", text);
  EXPECT_EQ("珍藏", Attribute(root->Child(1), "name"));
  std::vector<std::string> names;
  for (const auto& attribute : file->Attributes()) names.push_back(attribute.first);
  EXPECT_EQ((std::vector<std::string>{"MD5", "fileSize", "time", "reShare"}), names);
}

TEST(XmlDocumentReader, SkipsTheDeclarationWhateverItDeclares) {
  // The text is code page 936 although the declaration says otherwise.
  OwnedDocument declared = Parsed("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a n=\"中文\"/>");
  EXPECT_EQ("中文", Attribute(declared->Child(0), "n"));
  OwnedDocument bare = Parsed("<a n=\"中文\"><b/></a>");
  EXPECT_EQ("中文", Attribute(bare->Child(0), "n"));
  EXPECT_EQ(1u, bare->Child(0)->ChildCount());
}

TEST(XmlDocumentReader, AmpersandTravelsAsQuestionMark) {
  OwnedDocument document = Parsed("<a v=\"x&y&amp;\">\r\nt&u</a>");
  XmlElement* a = document->Child(0);
  EXPECT_EQ("x?y?amp;", Attribute(a, "v"));
  EXPECT_EQ("t&u", a->Text());
  std::string written = Written(*document);
  EXPECT_NE(std::string::npos, written.find("v=\"x?y?amp;\""));
}

TEST(XmlDocumentReader, LastTextChunkWins) {
  OwnedDocument document = Parsed("<a>first<b>inner</b>\r\n  last</a>");
  EXPECT_EQ("last", document->Child(0)->Text());
  EXPECT_EQ("inner", document->Child(0)->Child(0)->Text());
  OwnedDocument trailing = Parsed("<a>first<b/></a>");
  EXPECT_EQ("first", trailing->Child(0)->Text());
  OwnedDocument blanks = Parsed("<a>first<b/>\r\n\t </a>");
  EXPECT_EQ("", blanks->Child(0)->Text());
}

TEST(XmlDocumentReader, TextOf2048BytesOrMoreReadsEmpty) {
  std::string fits(2047, 'x');
  EXPECT_EQ(fits, Parsed("<a>" + fits + "</a>")->Child(0)->Text());
  EXPECT_EQ("", Parsed("<a>" + fits + "y</a>")->Child(0)->Text());
  // Double-byte text counts in code page bytes: 1023 characters fit, 1024 do not.
  std::string wide;
  for (int i = 0; i < 1023; ++i) wide += "字";
  EXPECT_EQ(wide + "x", Parsed("<a>" + wide + "x</a>")->Child(0)->Text());
  EXPECT_EQ("", Parsed("<a>" + wide + "字</a>")->Child(0)->Text());
}

TEST(XmlDocumentReader, RefusesNamesAndValuesTooLongForItsBuffers) {
  std::string fits(2047, 'n');
  OwnedDocument document(XmlDocument::NewDocument());
  EXPECT_TRUE(document->Parse("<" + fits + " " + fits + "=\"" + fits + "\"/>"));
  EXPECT_EQ(fits, Attribute(document->Child(0), fits.c_str()));
  EXPECT_FALSE(document->Parse("<" + fits + "n/>"));
  EXPECT_EQ(0u, document->ChildCount());
  EXPECT_FALSE(document->Parse("<a " + fits + "n=\"1\"/>"));
  EXPECT_FALSE(document->Parse("<a v=\"" + std::string(100000, 'v') + "\"/>"));
  EXPECT_EQ(0u, document->ChildCount());
}

TEST(XmlDocumentReader, MalformedTextLeavesAnEmptyTree) {
  OwnedDocument document = Parsed("<a><b/></a>");
  for (const char* bad : {"", "<a>", "<a></b>", "<a/><b/>", "plain", "<a x=1/>", "\xFF\xFE<a/>"}) {
    EXPECT_FALSE(document->Parse(bad)) << bad;
    EXPECT_EQ(0u, document->ChildCount()) << bad;
  }
}

TEST(XmlDocumentReader, TwoThreadsParseAtOnce) {
  auto parseMany = [](const std::string& attribute) {
    std::string text = "<r>";
    for (int i = 0; i < 200; ++i) text += "<e v=\"" + attribute + "\">\r\n" + attribute + "</e>";
    text += "</r>";
    for (int round = 0; round < 50; ++round) {
      OwnedDocument document(XmlDocument::NewDocument());
      if (!document->Parse(text) || document->Child(0)->ChildCount() != 200 ||
          document->Child(0)->Child(199)->Text() != attribute) {
        return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(BothSucceedAtOnce(parseMany, "甲", "乙"));
}

TEST(XmlDocumentWriter, WritesDeclarationAndLongFormWithCrLf) {
  OwnedDocument document = Parsed("<a x=\"1\"/>");
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<a x=\"1\">\r\n</a>\r\n", Written(*document));
}

TEST(XmlDocumentWriter, SaveTurnsQuestionMarksIntoAmpersands) {
  TempFolder folder;
  CurrentDirectory current(folder.Path());
  OwnedDocument document = Parsed("<a v=\"x&y\">\r\n为什么?</a>");
  document->Child(0)->SetAttribute("q", "who?");
  ASSERT_TRUE(document->Save(folder.File("out.xml")));
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<a v=\"x&y\" q=\"who&\">\r\n为什么&</a>\r\n",
            ReadFileBytes(folder.File("out.xml")));
}

TEST(XmlDocumentWriter, SavedDocumentReadsBackAsTheSameTree) {
  TempFolder folder;
  CurrentDirectory current(folder.Path());
  OwnedDocument document = Parsed(kShareDocument);
  ASSERT_TRUE(document->Save(folder.File("share7.xml")));
  OwnedDocument reread(XmlDocument::NewDocument());
  ASSERT_TRUE(reread->Load(folder.File("share7.xml")));
  EXPECT_EQ(Written(*document), Written(*reread));
  OwnedDocument copy(static_cast<XmlDocument*>(document->Clone(true)));
  EXPECT_EQ(Written(*document), Written(*copy));
}

TEST(XmlDocumentWriter, SaveReplacesTheTargetAndLeavesNoTemporaryFile) {
  TempFolder folder;
  CurrentDirectory current(folder.Path());
  ASSERT_TRUE(WriteFileBytes(folder.File("doc.xml"), std::string(5000, 'o')));
  ASSERT_TRUE(Parsed("<new/>")->Save(folder.File("doc.xml")));
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<new>\r\n</new>\r\n",
            ReadFileBytes(folder.File("doc.xml")));
  WIN32_FIND_DATAA entry;
  win::UniqueFind find(FindFirstFileA(folder.File("tovakTempFile*").c_str(), &entry));
  EXPECT_FALSE(find);
}

TEST(XmlDocumentWriter, ConcurrentSavesUseTheirOwnTemporaryFiles) {
  TempFolder folder;
  CurrentDirectory current(folder.Path());
  auto saveMany = [&folder](const std::string& name) {
    OwnedDocument document = Parsed("<" + name + ">\r\n" + std::string(20000, 'z') + "</" + name + ">");
    std::string expected = Written(*document);
    for (int round = 0; round < 40; ++round) {
      if (!document->Save(folder.File(name + ".xml")) || ReadFileBytes(folder.File(name + ".xml")) != expected) {
        return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(BothSucceedAtOnce(saveMany, "first", "second"));
}

TEST(XmlDocumentLoad, MissingFileGivesFalseAndAnEmptyTree) {
  TempFolder folder;
  OwnedDocument document = Parsed("<a/>");
  EXPECT_FALSE(document->Load(folder.File("absent.xml")));
  EXPECT_EQ(0u, document->ChildCount());
  ASSERT_TRUE(WriteFileBytes(folder.File("broken.xml"), "<?xml?><a><b></a>"));
  EXPECT_FALSE(document->Load(folder.File("broken.xml")));
  EXPECT_EQ(0u, document->ChildCount());
}

TEST(XmlDocumentOverrides, DocumentHasNoAttributes) {
  OwnedDocument document = Parsed("<a/>");
  document->SetAttribute("x", "1");
  std::string value = "stale";
  document->GetAttribute("x", value);
  EXPECT_EQ("", value);
  OwnedDocument empty(static_cast<XmlDocument*>(document->Clone(false)));
  EXPECT_EQ(0u, empty->ChildCount());
}

}  // namespace
