#include "win/UniqueResource.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "win/Handles.h"
#include "win/IcmpHandles.h"
#include "win/OleHandles.h"

namespace {

// Every value the counting owners closed, in order.
std::vector<HANDLE> closed;
void CloseCounted(HANDLE value) { closed.push_back(value); }

using CountedNull = win::UniqueResource<HANDLE, &CloseCounted>;
using CountedMinusOne = win::UniqueResource<HANDLE, &CloseCounted, win::MinusOneInvalid>;

HANDLE Fake(UINT_PTR value) { return reinterpret_cast<HANDLE>(value); }

class UniqueResourceTest : public ::testing::Test {
 protected:
  void SetUp() override { closed.clear(); }
};

TEST_F(UniqueResourceTest, ClosesWhatItHoldsExactlyOnce) {
  {
    CountedNull owner(Fake(5));
    EXPECT_TRUE(owner);
    EXPECT_EQ(owner.Get(), Fake(5));
  }
  EXPECT_EQ(closed, std::vector<HANDLE>{Fake(5)});
  { CountedNull empty; }
  EXPECT_EQ(closed.size(), 1u);  // an empty owner closes nothing
}

TEST_F(UniqueResourceTest, MoveLeavesTheSourceEmptyAndClosesOnce) {
  {
    CountedNull source(Fake(5));
    CountedNull target(std::move(source));
    EXPECT_FALSE(source);
    EXPECT_EQ(source.Get(), nullptr);
    EXPECT_EQ(target.Get(), Fake(5));

    CountedNull other(Fake(6));
    other = std::move(target);  // what `other` held goes first
    EXPECT_EQ(closed, std::vector<HANDLE>{Fake(6)});
    EXPECT_FALSE(target);
    EXPECT_EQ(other.Get(), Fake(5));
    CountedNull& alias = other;
    other = std::move(alias);  // moving onto itself keeps the value
    EXPECT_EQ(other.Get(), Fake(5));
  }
  EXPECT_EQ(closed, (std::vector<HANDLE>{Fake(6), Fake(5)}));
}

TEST_F(UniqueResourceTest, PutClosesTheOldValueBeforeHandingOutTheAddress) {
  CountedNull owner(Fake(5));
  HANDLE* address = owner.Put();
  EXPECT_EQ(closed, std::vector<HANDLE>{Fake(5)});
  EXPECT_EQ(*address, nullptr);
  *address = Fake(7);
  EXPECT_EQ(owner.Get(), Fake(7));
  owner.Reset();
  EXPECT_EQ(closed, (std::vector<HANDLE>{Fake(5), Fake(7)}));
}

TEST_F(UniqueResourceTest, ReleaseAndResetToTheSameValueCloseNothing) {
  CountedNull owner(Fake(5));
  owner.Reset(Fake(5));
  EXPECT_TRUE(closed.empty());
  EXPECT_EQ(owner.Release(), Fake(5));
  EXPECT_FALSE(owner);
  owner.Reset();
  EXPECT_TRUE(closed.empty());
}

TEST_F(UniqueResourceTest, InvalidHandleValueIsNeverClosed) {
  {
    CountedMinusOne owner;
    EXPECT_FALSE(owner);
    EXPECT_EQ(owner.Get(), INVALID_HANDLE_VALUE);
    owner.Reset(INVALID_HANDLE_VALUE);
    *owner.Put() = INVALID_HANDLE_VALUE;
    CountedMinusOne moved(std::move(owner));
    EXPECT_EQ(owner.Get(), INVALID_HANDLE_VALUE);  // the empty value of this policy
  }
  EXPECT_TRUE(closed.empty());
  { CountedMinusOne owner(Fake(9)); }
  EXPECT_EQ(closed, std::vector<HANDLE>{Fake(9)});
}

// The aliases over the system's own functions: the object really goes.
TEST(UniqueHandles, ClosingTheLastHandleDestroysTheNamedObject) {
  const wchar_t* name = L"win-common-tests-mutex";
  {
    win::UniqueMutex mutex(CreateMutexW(nullptr, FALSE, name));
    ASSERT_TRUE(mutex);
    win::UniqueMutex opened(OpenMutexW(SYNCHRONIZE, FALSE, name));
    EXPECT_TRUE(opened);
  }
  win::UniqueMutex after(OpenMutexW(SYNCHRONIZE, FALSE, name));
  EXPECT_FALSE(after);
}

TEST(UniqueHandles, FailedOpensGiveEmptyOwners) {
  WIN32_FIND_DATAW entry;
  win::UniqueFind find(FindFirstFileW(L"Z:\\no-such-folder-here\\*", &entry));
  EXPECT_FALSE(find);
  win::UniqueFile file(CreateFileW(L"Z:\\no-such-folder-here\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
  EXPECT_FALSE(file);
  win::UniqueRegKey key;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\no-such-key-here", 0, KEY_READ, key.Put()), ERROR_SUCCESS);
  EXPECT_FALSE(key);
}

TEST(UniqueHandles, ResetClosesTheKernelHandle) {
  win::UniqueEvent event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  HANDLE raw = event.Get();
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(raw, &flags));
  event.Reset();
  SetLastError(0);
  EXPECT_FALSE(GetHandleInformation(raw, &flags));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// The ICMP echo owner calls the closer that came with the handle, once, and
// never for a handle that was not made.
std::vector<HANDLE> icmpClosed;
BOOL WINAPI CloseFakeEcho(HANDLE handle) {
  icmpClosed.push_back(handle);
  return TRUE;
}

TEST(UniqueHandles, IcmpEchoHandlesCloseWithTheirOwnCloser) {
  icmpClosed.clear();
  {
    win::UniqueIcmpEcho failed(win::IcmpEchoHandle{INVALID_HANDLE_VALUE, &CloseFakeEcho});
    EXPECT_FALSE(failed);
    win::UniqueIcmpEcho echo(win::IcmpEchoHandle{Fake(21), &CloseFakeEcho});
    EXPECT_TRUE(echo);
    win::UniqueIcmpEcho moved(std::move(echo));
    EXPECT_FALSE(echo);
  }
  EXPECT_EQ(icmpClosed, std::vector<HANDLE>{Fake(21)});
}

TEST(UniqueHandles, BstrOwnerFreesTheString) {
  win::UniqueBstr text(SysAllocString(L"ROOT\\CIMV2"));
  ASSERT_TRUE(text);
  EXPECT_EQ(SysStringLen(text.Get()), 10u);
  text.Reset();
  EXPECT_FALSE(text);
}

}  // namespace
