#include "win/ReplacingFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "win/Handles.h"

namespace {

// The names in the folder, "." and ".." left out.
std::vector<std::string> Names(const TempFolder& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  win::UniqueFind find(FindFirstFileA(folder.File("*").c_str(), &entry));
  if (!find) return names;
  do {
    std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find.Get(), &entry));
  return names;
}

const std::vector<std::string> kOnlyTarget = {"target.txt"};

TEST(ReplacingFile, ReplacesTheContentAndLeavesNoTemporaryFile) {
  TempFolder folder;
  const std::string target = folder.File("target.txt");
  ASSERT_TRUE(WriteFileBytes(target, "the old and longer content"));
  ASSERT_TRUE(win::ReplacingFile::WriteAll(target, "new", 3));
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_EQ(Names(folder), kOnlyTarget);
}

TEST(ReplacingFile, CreatesAMissingFileFromPiecesThroughAWidePath) {
  TempFolder folder;
  const std::string target = folder.File("target.txt");
  win::ReplacingFile file;
  ASSERT_TRUE(file.Open(std::wstring(target.begin(), target.end())));
  EXPECT_TRUE(file.Write("one ", 4));
  EXPECT_TRUE(file.Write("", 0));
  EXPECT_TRUE(file.Write("two", 3));
  EXPECT_EQ(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);  // nothing before the commit
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadFileBytes(target), "one two");
  EXPECT_EQ(Names(folder), kOnlyTarget);
}

TEST(ReplacingFile, WorkThatIsNotCommittedLeavesTheOldContent) {
  TempFolder folder;
  const std::string target = folder.File("target.txt");
  ASSERT_TRUE(WriteFileBytes(target, "old"));
  for (bool discard : {false, true}) {
    {
      win::ReplacingFile file;
      ASSERT_TRUE(file.Open(target));
      file.Write("new", 3);
      EXPECT_EQ(Names(folder).size(), 2u);  // the temporary file sits beside the target
      if (discard) {
        file.Discard();
        EXPECT_FALSE(file.Commit());
      }
    }
    EXPECT_EQ(ReadFileBytes(target), "old") << discard;
    EXPECT_EQ(Names(folder), kOnlyTarget) << discard;
  }
}

// A target that cannot be replaced: the rename fails, and so does Commit.
TEST(ReplacingFile, AFailedReplaceLeavesTheOldContentAndNoTemporaryFile) {
  TempFolder folder;
  const std::string target = folder.File("target.txt");
  ASSERT_TRUE(WriteFileBytes(target, "old"));
  {
    // Held open by another program that does not share deletion.
    win::UniqueFile held(CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(win::ReplacingFile::WriteAll(target, "new", 3));
  }
  EXPECT_EQ(ReadFileBytes(target), "old");
  EXPECT_EQ(Names(folder), kOnlyTarget);

  const std::string folderTarget = folder.File("a folder");
  ASSERT_TRUE(CreateDirectoryA(folderTarget.c_str(), nullptr));
  EXPECT_FALSE(win::ReplacingFile::WriteAll(folderTarget, "new", 3));
  EXPECT_EQ(GetFileAttributesA(folderTarget.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(Names(folder).size(), 2u);  // the target and the folder
}

TEST(ReplacingFile, AMissingFolderFailsAtOpen) {
  TempFolder folder;
  win::ReplacingFile file;
  EXPECT_FALSE(file.Open(folder.File("absent\\target.txt")));
  EXPECT_FALSE(file.Write("x", 1));
  EXPECT_FALSE(file.Commit());
  EXPECT_TRUE(Names(folder).empty());
}

}  // namespace
