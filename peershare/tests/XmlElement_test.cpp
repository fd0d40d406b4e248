#include "frame/XmlElement.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using OwnedElement = std::unique_ptr<XmlElement, XmlElement::Releaser>;

// <ShareFile><Type name=音乐 dir=1><file MD5=a/><Type name=子 dir=1><file MD5=b/></Type></Type>
//            <Type name=图片 dir=2 style=1><file MD5=c/></Type><Type name=其他/></ShareFile>
OwnedElement SampleTree() {
  OwnedElement root(XmlElement::NewElement("ShareFile"));
  auto add = [](XmlElement* parent, const char* name, std::initializer_list<XmlElement::Attribute> attributes) {
    XmlElement* child = XmlElement::NewElement(name);
    for (const auto& [attrName, value] : attributes) child->SetAttribute(attrName, value);
    parent->AddChild(child);
    return child;
  };
  XmlElement* music = add(root.get(), "Type", {{"name", "音乐"}, {"dir", "1"}});
  add(music, "file", {{"MD5", "a"}})->SetChildText("filePath", "C:\\a.mp3");
  XmlElement* sub = add(music, "Type", {{"name", "子"}, {"dir", "1"}});
  add(sub, "file", {{"MD5", "b"}})->SetChildText("filePath", "C:\\b.mp3");
  XmlElement* pictures = add(root.get(), "Type", {{"name", "图片"}, {"dir", "2"}, {"style", "1"}});
  add(pictures, "file", {{"MD5", "c"}});
  add(root.get(), "Type", {{"name", "其他"}});
  return root;
}

std::string Md5Of(const XmlElement::List& list) {
  std::string result;
  for (XmlElement* element : list) {
    std::string value;
    element->GetAttribute("MD5", value);
    result += value.empty() ? "-" : value;
  }
  return result;
}

TEST(XmlElement, AttributesKeepOrderAndFirstNameWins) {
  OwnedElement element(XmlElement::NewElement("file"));
  element->SetAttribute("MD5", "1");
  element->SetAttribute("fileSize", "2");
  element->SetAttribute("MD5", "3");
  std::string value = "stale";
  element->GetAttribute("MD5", value);
  EXPECT_EQ("3", value);
  element->GetAttribute("time", value);
  EXPECT_EQ("", value);
  ASSERT_EQ(2u, element->Attributes().size());
  EXPECT_EQ("MD5", element->Attributes()[0].first);
  EXPECT_EQ("fileSize", element->Attributes()[1].first);
}

TEST(XmlElement, FindAllWalksInDocumentOrder) {
  OwnedElement root = SampleTree();
  XmlElement::List files;
  root->FindAll(files, true, "file");
  EXPECT_EQ("abc", Md5Of(files));
  XmlElement::List direct;
  root->FindAll(direct, false, "file");
  EXPECT_TRUE(direct.empty());

  XmlElement::List types;
  root->FindAll(types, true, "Type", "dir");
  EXPECT_EQ(3u, types.size());
  types.clear();
  root->FindAll(types, true, "Type", "dir", "1");
  EXPECT_EQ(2u, types.size());
  // Children whose value differs; those without the attribute are skipped.
  types.clear();
  root->FindAll(types, true, "Type", "dir", "1", false);
  ASSERT_EQ(1u, types.size());
  std::string name;
  types[0]->GetAttribute("name", name);
  EXPECT_EQ("图片", name);
}

TEST(XmlElement, FindFirstAndFindByText) {
  OwnedElement root = SampleTree();
  XmlElement* sub = root->FindFirst(true, "Type", "name", "子");
  ASSERT_NE(nullptr, sub);
  EXPECT_EQ("Type", sub->Parent()->Name());
  EXPECT_EQ(nullptr, root->FindFirst(false, "Type", "name", "子"));
  EXPECT_EQ(nullptr, root->FindFirst(true, "Type", "name", "视频"));
  // Pre-order: the outer Type with dir 1 comes before the inner one.
  std::string name;
  root->FindFirst(true, "Type", "dir", "1")->GetAttribute("name", name);
  EXPECT_EQ("音乐", name);

  XmlElement* path = root->FindByText(true, "filePath", "C:\\b.mp3");
  ASSERT_NE(nullptr, path);
  path->Parent()->GetAttribute("MD5", name);
  EXPECT_EQ("b", name);
  EXPECT_EQ(nullptr, root->FindByText(false, "filePath", "C:\\b.mp3"));
}

TEST(XmlElement, ChildTextIsSetOnTheFirstChildOrAdded) {
  OwnedElement file(XmlElement::NewElement("file"));
  std::string text = "stale";
  file->GetChildText("comment", text);
  EXPECT_EQ("", text);
  file->SetChildText("comment", "好");
  file->SetChildText("comment", "更好");
  EXPECT_EQ(1u, file->ChildCount());
  file->GetChildText("comment", text);
  EXPECT_EQ("更好", text);
}

TEST(XmlElement, DeepCloneCopiesTheSubtreeWithNewParents) {
  OwnedElement root = SampleTree();
  XmlElement* music = root->Child(0);
  OwnedElement copy(music->Clone(true));
  EXPECT_EQ(root.get(), copy->Parent());
  EXPECT_EQ(3u, root->ChildCount());
  XmlElement::List files;
  copy->FindAll(files, true, "file");
  EXPECT_EQ("ab", Md5Of(files));
  EXPECT_EQ(copy.get(), copy->Child(0)->Parent());
  std::string original, cloned;
  music->Write(original);
  copy->Write(cloned);
  EXPECT_EQ(original, cloned);

  OwnedElement shallow(music->Clone(false));
  EXPECT_EQ(0u, shallow->ChildCount());
  EXPECT_EQ(2u, shallow->Attributes().size());
}

TEST(XmlElement, RemoveAndReleaseDetachFromTheParent) {
  OwnedElement root = SampleTree();
  XmlElement* pictures = root->Child(1);
  root->RemoveChild(pictures);
  ASSERT_EQ(2u, root->ChildCount());
  XmlElement::List files;
  root->FindAll(files, true, "file");
  EXPECT_EQ("ab", Md5Of(files));

  root->Child(0)->Child(1)->Release();  // the operation under test: the sub-category and its file go
  files.clear();
  root->FindAll(files, true, "file");
  EXPECT_EQ("a", Md5Of(files));

  // An element that is not a child is left alone.
  OwnedElement stranger(XmlElement::NewElement("x"));
  root->RemoveChild(stranger.get());
  EXPECT_EQ(2u, root->ChildCount());
}

TEST(XmlElement, AddChildMovesAnElementBetweenParents) {
  OwnedElement first(XmlElement::NewElement("a")), second(XmlElement::NewElement("b"));
  XmlElement* child = XmlElement::NewElement("c");
  first->AddChild(child);
  second->AddChild(child);
  EXPECT_EQ(0u, first->ChildCount());
  EXPECT_EQ(second.get(), child->Parent());
}

TEST(XmlElement, WritesLongFormWithCrLf) {
  OwnedElement element(XmlElement::NewElement("a"));
  element->SetAttribute("x", "1");
  std::string text;
  element->Write(text);
  EXPECT_EQ("<a x=\"1\">\r\n</a>\r\n", text);
  element->SetText("t&");
  element->SetChildText("b", "");
  text.clear();
  element->Write(text);
  EXPECT_EQ("<a x=\"1\">\r\nt&<b>\r\n</b>\r\n</a>\r\n", text);
}

}  // namespace
