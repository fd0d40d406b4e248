// The XML tree under input that a hostile peer can send in a share list:
// deep nesting, many attributes, document type defaults, zero bytes, and
// texts that would break the next load.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "ProcessMemory.h"
#include "TempFolder.h"
#include "frame/XmlDocument.h"
#include "win/Handles.h"

namespace {

using OwnedDocument = std::unique_ptr<XmlDocument, XmlElement::Releaser>;
using OwnedElement = std::unique_ptr<XmlElement, XmlElement::Releaser>;

OwnedDocument NewDocument() { return OwnedDocument(XmlDocument::NewDocument()); }

std::string Repeated(const std::string& piece, size_t count) {
  std::string text;
  text.reserve(piece.size() * count);
  for (size_t i = 0; i < count; ++i) text += piece;
  return text;
}

std::string Nested(size_t depth) { return Repeated("<d>", depth) + "x" + Repeated("</d>", depth); }

// Runs `work` on a thread with a 1 MiB stack, as the client's threads have;
// false when the thread did not end normally.
bool OnSmallStack(const std::function<void()>& work) {
  struct Call {
    static DWORD WINAPI Run(void* context) {
      (*static_cast<const std::function<void()>*>(context))();
      return 7;
    }
  };
  win::UniqueThread thread(CreateThread(nullptr, 1 << 20, &Call::Run, const_cast<std::function<void()>*>(&work),
                                        STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!thread) return false;
  WaitForSingleObject(thread.Get(), INFINITE);
  DWORD code = 0;
  GetExitCodeThread(thread.Get(), &code);
  return code == 7;
}

TEST(XmlHostileInput, UnclosedNestingIsRefusedAndFreed) {
  bool parsed = true;
  EXPECT_TRUE(OnSmallStack([&] {
    OwnedDocument document = NewDocument();
    parsed = document->Parse(Repeated("<d>", 13500));
  }));
  EXPECT_FALSE(parsed);
}

// Every walk of a tree nested 100,000 levels deep: no recursion may reach
// the bottom of a thread's stack.
TEST(XmlHostileInput, DeepNestingSurvivesEveryWalk) {
  const size_t kDepth = 100000;
  TempFolder folder;
  size_t found = 0, deepest = 0;
  std::string written;
  bool parsed = false, saved = false, reloaded = false;
  EXPECT_TRUE(OnSmallStack([&] {
    OwnedDocument document = NewDocument();
    parsed = document->Parse(Nested(kDepth));
    if (!parsed) return;
    XmlElement::List all;
    document->FindAll(all, true, "d");
    found = all.size();
    XmlElement* bottom = document->FindByText(true, "d", "x");
    for (XmlElement* at = bottom; at != nullptr && at != document.get(); at = at->Parent()) ++deepest;
    EXPECT_EQ(nullptr, document->FindFirst(true, "missing"));
    document->Write(written);
    OwnedElement copy(document->Child(0)->Clone(true));
    EXPECT_NE(nullptr, copy);
    saved = document->Save(folder.File("deep.xml"));
    OwnedDocument again = NewDocument();
    reloaded = again->Load(folder.File("deep.xml"));
    // A subtree released from its middle, then the rest by the destructors.
    all[kDepth / 2]->Release();
  }));
  EXPECT_TRUE(parsed);
  EXPECT_EQ(kDepth, found);
  EXPECT_EQ(kDepth, deepest);
  EXPECT_EQ(std::string(XmlDocument::kDeclaration).size() + kDepth * 11 + 1, written.size());
  EXPECT_TRUE(saved);
  EXPECT_TRUE(reloaded);
}

// Each attribute used to be compared with all earlier ones: quadratic time.
TEST(XmlHostileInput, ManyAttributesParseInLinearTime) {
  std::string text = "<a";
  for (int i = 0; i < 100000; ++i) text += " n" + std::to_string(i) + "=\"v\"";
  text += "/>";
  OwnedDocument document = NewDocument();
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(document->Parse(text));
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(100000u, document->Child(0)->Attributes().size());
  EXPECT_LT(elapsed, std::chrono::seconds(1));
  std::string value;
  document->Child(0)->GetAttribute("n99999", value);
  EXPECT_EQ("v", value);
}

// Defaults of a document type declaration are not copied onto every element.
TEST(XmlHostileInput, DocumentTypeDefaultsAreNotKept) {
  std::string text = "<!DOCTYPE r [<!ATTLIST e";
  for (int i = 0; i < 64; ++i) text += " a" + std::to_string(i) + " CDATA \"" + std::string(2047, 'x') + "\"";
  text += ">]><r>" + Repeated("<e/>", 4000) + "<e a1=\"mine\"/></r>";
  ASSERT_GT(text.size(), 136000u);
  const size_t before = ProcessMemory::Read().peak;
  OwnedDocument document = NewDocument();
  ASSERT_TRUE(document->Parse(text));
  EXPECT_LT(ProcessMemory::Read().peak - before, size_t{32} << 20);
  XmlElement* root = document->Child(0);
  ASSERT_EQ(4001u, root->ChildCount());
  EXPECT_TRUE(root->Child(0)->Attributes().empty());
  ASSERT_EQ(1u, root->Child(4000)->Attributes().size());
  EXPECT_EQ("mine", root->Child(4000)->Attributes()[0].second);
}

// Load stops at the first zero byte; Parse does the same.
TEST(XmlHostileInput, ParseStopsAtAZeroByte) {
  OwnedDocument document = NewDocument();
  EXPECT_TRUE(document->Parse(std::string("<a/>\0<b><", 9)));
  ASSERT_EQ(1u, document->ChildCount());
  EXPECT_EQ("a", document->Child(0)->Name());
  EXPECT_FALSE(document->Parse(std::string("<a>\0</a>", 8)));
  TempFolder folder;
  ASSERT_TRUE(WriteFileBytes(folder.File("zero.xml"), std::string("<a>\0</a>", 8)));
  EXPECT_FALSE(document->Load(folder.File("zero.xml")));
}

// What a user types into a comment or a category name, or a peer sends,
// must not make the user's own document unreadable at the next load.
TEST(XmlHostileInput, EnteredTextSurvivesSaveAndLoad) {
  const std::string kTyped[] = {
      "a<b>c \"quoted\" & more", "好看吗?", "<comment>", "]]>", "tab\there", "line\r\nbreak", "  leading blanks", std::string("nul\0x", 5),
      "lead byte at the end \x81", "\xD6\xD0\xCE\xC4<\xD6\xD0",
  };
  TempFolder folder;
  for (const std::string& typed : kTyped) {
    OwnedDocument document = NewDocument();
    ASSERT_TRUE(document->Parse("<ShareFile version=\"2\"><Type name=\"音乐\"/></ShareFile>"));
    XmlElement* type = document->Child(0)->Child(0);
    type->SetAttribute("name", typed);
    type->SetChildText("comment", typed);
    ASSERT_TRUE(document->Save(folder.File("share1.xml")));
    OwnedDocument reread = NewDocument();
    ASSERT_TRUE(reread->Load(folder.File("share1.xml"))) << typed;
    std::string name, comment;
    XmlElement* again = reread->Child(0)->Child(0);
    again->GetAttribute("name", name);
    again->GetChildText("comment", comment);
    // An attribute's "&" reads back as the "?" that stands for it.
    std::string stored = type->Attributes()[0].second;
    std::replace(stored.begin(), stored.end(), '&', '?');
    EXPECT_EQ(stored, name) << typed;
    EXPECT_EQ(type->Child(0)->Text(), comment) << typed;
  }
  // The characters keep their meaning in their full-width forms.
  OwnedElement element(XmlElement::NewElement("comment"));
  element->SetText("a<b>\"c\"&d?");
  EXPECT_EQ("a＜b＞＂c＂&d？", element->Text());
  element->SetAttribute("v", "a<b>\"c\"&d?");
  std::string value;
  element->GetAttribute("v", value);
  EXPECT_EQ("a＜b＞＂c＂&d?", value);
}

// A peer's list may carry the same characters by ways that do not need
// escaping in the file (a section of character data, single quotes).
TEST(XmlHostileInput, ReceivedTextsAreKeptWritable) {
  OwnedDocument document = NewDocument();
  ASSERT_TRUE(document->Parse("<a v='say \"hi\" &gt;'><![CDATA[<b>&</b>]]></a>"));
  std::string value;
  document->Child(0)->GetAttribute("v", value);
  EXPECT_EQ("say ＂hi＂ ?gt;", value);
  EXPECT_EQ("＜b＞&＜/b＞", document->Child(0)->Text());
  std::string saved;
  document->Write(saved);
  OwnedDocument reread = NewDocument();
  EXPECT_TRUE(reread->Parse(saved)) << saved;
}

}  // namespace
