#include "win/QiTable.h"

#include <gtest/gtest.h>

#include "CountingObject.h"

namespace {

TEST(QiSearch, AnswersEachListedInterfaceWithItsOwnPointer) {
  CountingObject object;
  void* out = nullptr;
  ASSERT_EQ(object.QueryInterface(IID_IFirst, &out), S_OK);
  EXPECT_EQ(out, static_cast<IFirst*>(&object));
  ASSERT_EQ(object.QueryInterface(IID_ISecond, &out), S_OK);
  EXPECT_EQ(out, static_cast<ISecond*>(&object));
  EXPECT_NE(static_cast<void*>(static_cast<IFirst*>(&object)), static_cast<void*>(static_cast<ISecond*>(&object)));
  EXPECT_EQ(static_cast<ISecond*>(out)->Second(), 2);
  EXPECT_EQ(object.references, 2);  // one reference per answer
}

TEST(QiSearch, IUnknownIsTheFirstRowsInterfaceWhicheverWayItIsAsked) {
  CountingObject object;
  void* viaFirst = nullptr;
  void* viaSecond = nullptr;
  ASSERT_EQ(static_cast<IFirst*>(&object)->QueryInterface(IID_IUnknown, &viaFirst), S_OK);
  ASSERT_EQ(static_cast<ISecond*>(&object)->QueryInterface(IID_IUnknown, &viaSecond), S_OK);
  EXPECT_EQ(viaFirst, viaSecond);
  EXPECT_EQ(viaFirst, static_cast<IFirst*>(&object));
}

TEST(QiSearch, UnknownInterfacesAndBadArguments) {
  CountingObject object;
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(object.QueryInterface(IID_IForeign, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(object.QueryInterface(IID_IFirst, nullptr), E_POINTER);
  EXPECT_EQ(object.references, 0);

  const win::QiEntry empty[] = {{nullptr, 0}};
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(win::QiSearch(&object, empty, IID_IUnknown, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
}

TEST(QiOffset, IsTheDistanceOfTheInterfaceInsideTheObject) {
  CountingObject object;
  const char* base = reinterpret_cast<const char*>(&object);
  EXPECT_EQ((win::QiOffset<IFirst, CountingObject>()),
            reinterpret_cast<const char*>(static_cast<IFirst*>(&object)) - base);
  EXPECT_EQ((win::QiOffset<ISecond, CountingObject>()),
            reinterpret_cast<const char*>(static_cast<ISecond*>(&object)) - base);
}

}  // namespace
