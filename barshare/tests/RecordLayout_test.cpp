// Records whose bytes the toolbar reads: the same size and field offsets in
// the i686 and the x86_64 build, except where the toolbar's own record holds
// a pointer.
#include <gtest/gtest.h>

#include <cstddef>

#include "button/CreatorRecord.h"
#include "button/ToolbarInterfaces.h"

namespace {

TEST(RecordLayout, CreatorInnerRecordIs528Bytes) {
  EXPECT_EQ(sizeof(CreatorInnerRecord), 528u);
  EXPECT_EQ(offsetof(CreatorInnerRecord, size), 0u);
  EXPECT_EQ(offsetof(CreatorInnerRecord, path), 4u);
  EXPECT_EQ(sizeof(CreatorInnerRecord::path), 520u);
  EXPECT_EQ(offsetof(CreatorInnerRecord, flags), 524u);
}

TEST(RecordLayout, CreatorStoredRecordIs592Bytes) {
  EXPECT_EQ(sizeof(CreatorStoredRecord), 592u);
  EXPECT_EQ(offsetof(CreatorStoredRecord, digest), 0u);
  EXPECT_EQ(offsetof(CreatorStoredRecord, padding), 33u);
  EXPECT_EQ(offsetof(CreatorStoredRecord, inner), 48u);
  EXPECT_EQ(offsetof(CreatorStoredRecord, tail), 576u);
}

// The toolbar's description request carries a buffer pointer: 12 bytes in a
// 32-bit toolbar, the pointer at offset 4; 24 bytes with it at 8 in a 64-bit one.
TEST(RecordLayout, DescriptionRequestFollowsThePointerSize) {
  const size_t pointer = sizeof(void*);
  EXPECT_EQ(offsetof(DescriptionRequest, reserved), 0u);
  EXPECT_EQ(offsetof(DescriptionRequest, buffer), pointer);
  EXPECT_EQ(offsetof(DescriptionRequest, bufferChars), 2 * pointer);
  EXPECT_EQ(sizeof(DescriptionRequest), 3 * pointer);
#if defined(__i386__)
  EXPECT_EQ(sizeof(DescriptionRequest), 12u);
#endif
}

}  // namespace
