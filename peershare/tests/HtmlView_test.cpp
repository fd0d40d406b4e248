#include "controls/HtmlView.h"

#include <gtest/gtest.h>

#include <thread>

#include "win/Handles.h"

namespace {

constexpr int kId = 59748;

win::UniqueWindow MakeParent() {
  return win::UniqueWindow(
      CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr));
}

TEST(HtmlView, HostsTheBrowserControlInAChildWindowWithItsId) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  win::UniqueWindow parent = MakeParent();
  {
    HtmlView view;
    RECT place = {10, 10, 210, 110};
    if (view.Create(parent.Get(), kId, place)) {
      EXPECT_EQ(GetDlgItem(parent.Get(), kId), view.Handle());
      RECT area;
      GetClientRect(view.Handle(), &area);
      EXPECT_EQ(area.right, 200);
      EXPECT_EQ(area.bottom, 100);
    } else {
      EXPECT_EQ(GetDlgItem(parent.Get(), kId), nullptr);
    }
  }
  EXPECT_EQ(GetDlgItem(parent.Get(), kId), nullptr);  // gone with the object
  parent.Reset();  // before OLE goes
  OleUninitialize();
}

// A thread without OLE cannot create the control: no window may be left.
TEST(HtmlView, FailsWithoutLeavingAWindowWhenTheControlCannotBeCreated) {
  bool created = true;
  HWND leftOver = reinterpret_cast<HWND>(1);
  std::thread worker([&] {
    win::UniqueWindow parent = MakeParent();
    HtmlView view;
    RECT place = {0, 0, 100, 50};
    created = view.Create(parent.Get(), kId, place);
    leftOver = GetDlgItem(parent.Get(), kId);
  });
  worker.join();
  EXPECT_FALSE(created);
  EXPECT_EQ(leftOver, nullptr);
}

}  // namespace
