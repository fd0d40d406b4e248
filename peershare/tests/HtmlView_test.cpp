#include "controls/HtmlView.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

constexpr int kId = 59748;

HWND MakeParent() {
  return CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
}

TEST(HtmlView, HostsTheBrowserControlInAChildWindowWithItsId) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  HWND parent = MakeParent();
  {
    HtmlView view;
    RECT place = {10, 10, 210, 110};
    if (view.Create(parent, kId, place)) {
      EXPECT_EQ(GetDlgItem(parent, kId), view.Handle());
      RECT area;
      GetClientRect(view.Handle(), &area);
      EXPECT_EQ(area.right, 200);
      EXPECT_EQ(area.bottom, 100);
    } else {
      EXPECT_EQ(GetDlgItem(parent, kId), nullptr);
    }
  }
  EXPECT_EQ(GetDlgItem(parent, kId), nullptr);  // gone with the object
  DestroyWindow(parent);
  OleUninitialize();
}

// A thread without OLE cannot create the control: no window may be left.
TEST(HtmlView, FailsWithoutLeavingAWindowWhenTheControlCannotBeCreated) {
  bool created = true;
  HWND leftOver = reinterpret_cast<HWND>(1);
  std::thread worker([&] {
    HWND parent = MakeParent();
    HtmlView view;
    RECT place = {0, 0, 100, 50};
    created = view.Create(parent, kId, place);
    leftOver = GetDlgItem(parent, kId);
    DestroyWindow(parent);
  });
  worker.join();
  EXPECT_FALSE(created);
  EXPECT_EQ(leftOver, nullptr);
}

}  // namespace
