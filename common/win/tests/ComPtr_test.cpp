#include "win/ComPtr.h"

#include <gtest/gtest.h>

#include <utility>

#include "CountingObject.h"

namespace {

TEST(ComPtr, CopiesAddAReferenceAndEveryHolderReleasesOnce) {
  CountingObject object;
  {
    win::ComPtr<IFirst> first(&object);
    EXPECT_EQ(object.references, 1);
    win::ComPtr<IFirst> copy(first);
    EXPECT_EQ(object.references, 2);
    win::ComPtr<IFirst> assigned;
    assigned = copy;
    EXPECT_EQ(object.references, 3);
    assigned = assigned;  // self-assignment keeps the one reference
    EXPECT_EQ(object.references, 3);
    EXPECT_EQ(assigned.Get(), first.Get());
  }
  EXPECT_EQ(object.references, 0);
}

TEST(ComPtr, MoveLeavesTheSourceEmptyAndKeepsTheCount) {
  CountingObject object;
  win::ComPtr<IFirst> source(&object);
  win::ComPtr<IFirst> target(std::move(source));
  EXPECT_FALSE(source);
  EXPECT_EQ(source.Get(), nullptr);
  EXPECT_EQ(object.references, 1);
  win::ComPtr<IFirst> other(&object);
  other = std::move(target);  // other's own reference goes
  EXPECT_FALSE(target);
  EXPECT_EQ(object.references, 1);
  other = nullptr;
  EXPECT_EQ(object.references, 0);
}

TEST(ComPtr, PutReleasesWhatWasHeldFirst) {
  CountingObject held, next;
  win::ComPtr<IFirst> pointer(&held);
  IFirst** address = pointer.Put();
  EXPECT_EQ(held.references, 0);
  EXPECT_EQ(*address, nullptr);
  ASSERT_EQ(next.QueryInterface(IID_IFirst, pointer.PutVoid()), S_OK);
  EXPECT_EQ(next.references, 1);
  pointer.Reset();
  EXPECT_EQ(next.references, 0);
}

TEST(ComPtr, AttachAndDetachMoveAReferenceWithoutCounting) {
  CountingObject object;
  object.AddRef();
  win::ComPtr<IFirst> pointer;
  pointer.Attach(&object);
  EXPECT_EQ(object.references, 1);
  IFirst* detached = pointer.Detach();
  EXPECT_EQ(detached, static_cast<IFirst*>(&object));
  EXPECT_FALSE(pointer);
  EXPECT_EQ(object.references, 1);
  {
    auto adopted = win::ComPtr<IFirst>::Adopt(detached);
    EXPECT_EQ(object.references, 1);
  }
  EXPECT_EQ(object.references, 0);
}

TEST(ComPtr, CopyToHandsOutAReferenceOfTheCallersOwn) {
  CountingObject object;
  win::ComPtr<IFirst> pointer(&object);
  IFirst* out = nullptr;
  EXPECT_EQ(pointer.CopyTo(&out), S_OK);
  EXPECT_EQ(out, static_cast<IFirst*>(&object));
  EXPECT_EQ(object.references, 2);
  out->Release();  // the caller's reference, released as a COM caller would
  EXPECT_EQ(pointer.CopyTo(nullptr), E_POINTER);
  win::ComPtr<IFirst> empty;
  out = reinterpret_cast<IFirst*>(1);
  EXPECT_EQ(empty.CopyTo(&out), S_OK);
  EXPECT_EQ(out, nullptr);
}

TEST(ComPtr, AsFindsAnotherInterfaceOfTheSameObject) {
  CountingObject object;
  win::ComPtr<IFirst> first(&object);
  win::ComPtr<ISecond> second;
  ASSERT_EQ(first.As(IID_ISecond, second), S_OK);
  EXPECT_EQ(second.Get(), static_cast<ISecond*>(&object));
  EXPECT_EQ(second->Second(), 2);
  EXPECT_EQ(object.references, 2);
  win::ComPtr<IUnknown> unknown;
  ASSERT_EQ(second.As(unknown), S_OK);  // the IID from the type
  EXPECT_EQ(unknown.Get(), static_cast<IUnknown*>(static_cast<IFirst*>(&object)));
}

TEST(ComPtr, AsOnAForeignInterfaceLeavesNull) {
  CountingObject object, other;
  win::ComPtr<IFirst> first(&object);
  win::ComPtr<ISecond> out(&other);  // what `out` held goes as well
  EXPECT_EQ(first.As(IID_IForeign, out), E_NOINTERFACE);
  EXPECT_FALSE(out);
  EXPECT_EQ(other.references, 0);
  EXPECT_EQ(object.references, 1);

  win::ComPtr<IFirst> empty;
  win::ComPtr<ISecond> none(&other);
  EXPECT_EQ(empty.As(IID_ISecond, none), E_POINTER);
  EXPECT_FALSE(none);
  EXPECT_EQ(other.references, 0);
}

TEST(ComPtr, AsIntoItselfReplacesTheReference) {
  CountingObject object;
  win::ComPtr<IUnknown> pointer(static_cast<IFirst*>(&object));
  ASSERT_EQ(pointer.As(IID_IUnknown, pointer), S_OK);
  EXPECT_EQ(object.references, 1);
  EXPECT_EQ(pointer.As(IID_IForeign, pointer), E_NOINTERFACE);
  EXPECT_FALSE(pointer);
  EXPECT_EQ(object.references, 0);
}

}  // namespace
