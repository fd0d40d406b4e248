// What the user types on the share page: category labels that are blank,
// long or hold characters the code page has not, and the collection
// password at its shortest and at 64 bytes.
#include <gtest/gtest.h>

#include <functional>
#include <mutex>

#include "ModalDriver.h"
#include "SharePageFixture.h"
#include "share/ShareFileNames.h"

namespace {

class SharePageInputTest : public SharePageTest {
 protected:
  void StartWithSubCategory() {
    Start({}, "<Type name=\"其他\" style=\"0\" dir=\"21\"><Type name=\"下层\" style=\"0\" dir=\"1\"></Type></Type>\r\n");
    TreeView_Expand(page_.ShareTree().Handle(), Category("其他"), TVE_EXPAND);
    item_ = Category("下层", Category("其他"));
  }
  // Renames the sub-category through its label edit, typed by `type`.
  void Rename(const std::function<void(HWND edit)>& type) {
    ASSERT_TRUE(page_.TreeCommand(ID_CATEGORY_RENAME, item_));
    HWND edit = TreeView_GetEditControl(page_.ShareTree().Handle());
    ASSERT_NE(edit, nullptr);
    type(edit);
    TreeView_EndEditLabelNow(page_.ShareTree().Handle(), FALSE);
  }
  std::string StoredName() {
    std::lock_guard<std::recursive_mutex> guard(session_.Library().Lock());
    return AttributeOf(*reinterpret_cast<XmlElement*>(page_.ShareTree().Data(item_)), "name");
  }
  std::string ShownName() { return page_.ShareTree().Text(item_); }

  // Sets the collection password through dialog 3124, both entries equal.
  bool SetPassword(const std::string& password) {
    ModalDriver driver([](HWND w) { return Titled(w, "设置珍藏目录密码"); }, [&password](HWND w) {
      SetWindowTextA(GetDlgItem(w, IDC_COLLECTION_PASSWORD), password.c_str());
      SetWindowTextA(GetDlgItem(w, IDC_COLLECTION_PASSWORD_AGAIN), password.c_str());
      Press(w, IDOK);
    });
    page_.TreeCommand(ID_COLLECTION_PASSWORD, page_.ShareRoot());
    return driver.Acted();
  }
  static std::string CollectionPassword(const XmlElement* root) {
    const XmlElement* collection = root != nullptr ? root->FindFirst(false, "Type", "name", "珍藏") : nullptr;
    return collection != nullptr ? AttributeOf(*collection, "passWord") : "<none>";
  }
  std::string PublishedPassword() {
    XmlDocumentPtr copy = session_.Library().ReceivePeerCopy(session_.Library().Files().PublishedCopy());
    return copy ? CollectionPassword(copy->FindFirst(false, "ShareFile")) : "<no copy>";
  }

  HTREEITEM item_ = nullptr;
};

TEST_F(SharePageInputTest, LabelsKeepOnlyNamesTheDocumentCanHold) {
  StartWithSubCategory();
  ASSERT_NE(item_, nullptr);
  Rename([](HWND edit) { SetWindowTextA(edit, "   "); });
  EXPECT_EQ(StoredName(), "下层");
  EXPECT_EQ(ShownName(), "下层");
  Rename([](HWND edit) { SetWindowTextA(edit, "  小说 "); });
  EXPECT_EQ(StoredName(), "小说");
  EXPECT_EQ(ShownName(), "小说");

  // 300 bytes are cut to 64 without splitting a character: the odd byte in
  // front leaves room for 31 double-byte characters.
  std::string typed = "a", kept = "a";
  for (int i = 0; i < 149; ++i) typed += "书";
  for (int i = 0; i < 31; ++i) kept += "书";
  typed += "b";
  ASSERT_EQ(typed.size(), 300u);
  Rename([&typed](HWND edit) { SetWindowTextA(edit, typed.c_str()); });
  EXPECT_EQ(StoredName(), kept);
  EXPECT_EQ(ShownName(), kept);

  // Characters outside code page 936, typed as Unicode: the old name stays.
  Rename([](HWND edit) { SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"新\xD55C\xAD6D")); });
  EXPECT_EQ(StoredName(), kept);
  EXPECT_EQ(ShownName(), kept);

  // Quotes and angle brackets: the item shows the name as the document keeps it.
  Rename([](HWND edit) { SetWindowTextA(edit, "<\"新\">"); });
  EXPECT_EQ(StoredName().find_first_of("<\">"), std::string::npos) << StoredName();
  EXPECT_NE(StoredName(), kept);
  EXPECT_EQ(ShownName(), StoredName());
}

TEST_F(SharePageInputTest, CollectionPasswordsOfSixtyFourBytesAndOfNoneAreKept) {
  Start({});
  std::string longest(24, 'k');
  for (int i = 0; i < 20; ++i) longest += "密";
  ASSERT_EQ(longest.size(), 64u);
  ASSERT_TRUE(SetPassword(longest));
  {
    std::lock_guard<std::recursive_mutex> guard(session_.Library().Lock());
    EXPECT_EQ(CollectionPassword(session_.Library().Document().Root()), longest);
  }
  EXPECT_EQ(PublishedPassword(), longest);

  // No password: both entries empty agree, and the copy carries none.
  ASSERT_TRUE(SetPassword(""));
  {
    std::lock_guard<std::recursive_mutex> guard(session_.Library().Lock());
    EXPECT_EQ(CollectionPassword(session_.Library().Document().Root()), "");
  }
  EXPECT_EQ(PublishedPassword(), "");
}

}  // namespace
