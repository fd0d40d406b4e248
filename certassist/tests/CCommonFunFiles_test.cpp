#include <gtest/gtest.h>

#include "TestText.h"

#include <algorithm>
#include <string>
#include <vector>

#include "CCommonFun.h"
#include "TempFolder.h"
#include "win/Handles.h"

namespace {

CString Wide(const std::string& path) { return CString(path.c_str()); }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> Sorted(CStringList& list) {
  std::vector<std::wstring> items;
  for (POSITION at = list.GetHeadPosition(); at != nullptr;) items.push_back(list.GetNext(at).GetString());
  std::sort(items.begin(), items.end());
  return items;
}

class FilesTest : public ::testing::Test {
 protected:
  // folder\tree with two levels of files and folders.
  std::string MakeTree() {
    std::string tree = folder_.File("tree");
    CreateDirectoryA(tree.c_str(), nullptr);
    CreateDirectoryA((tree + "\\sub").c_str(), nullptr);
    CreateDirectoryA((tree + "\\sub\\deeper").c_str(), nullptr);
    WriteFileBytes(tree + "\\a.txt", "a");
    WriteFileBytes(tree + "\\sub\\b.dll", "b");
    WriteFileBytes(tree + "\\sub\\deeper\\c.kl", "c");
    return tree;
  }

  TempFolder folder_;
  CCommonFun tools_;
};

TEST_F(FilesTest, DeleteDirectoryRemovesAWholeTree) {
  std::string tree = MakeTree();
  EXPECT_EQ(1, tools_.DeleteDirectory(Wide(tree)));
  EXPECT_FALSE(Exists(tree));

  tree = MakeTree();
  EXPECT_EQ(1, tools_.DeleteDirectory(Wide(tree + "\\")));
  EXPECT_FALSE(Exists(tree));
  EXPECT_EQ(0, tools_.DeleteDirectory(Wide(tree)));
}

TEST_F(FilesTest, DeleteDirectoryLeavesReadOnlyFilesAndTheirFolders) {
  std::string tree = MakeTree();
  std::string locked = tree + "\\sub\\deeper\\c.kl";
  ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(0, tools_.DeleteDirectory(Wide(tree)));
  EXPECT_TRUE(Exists(locked));
  EXPECT_FALSE(Exists(tree + "\\a.txt"));
  EXPECT_FALSE(Exists(tree + "\\sub\\b.dll"));
}

TEST_F(FilesTest, DeleteDirectoryRemovesALinkButNotWhatItPointsAt) {
  std::string kept = MakeTree();
  std::string outer = folder_.File("outer");
  CreateDirectoryA(outer.c_str(), nullptr);
  std::string link = outer + "\\link";
  if (!CreateSymbolicLinkA(link.c_str(), kept.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
    GTEST_SKIP() << "no folder links here (error " << GetLastError() << ")";
  EXPECT_EQ(1, tools_.DeleteDirectory(Wide(outer)));
  EXPECT_FALSE(Exists(outer));
  EXPECT_TRUE(Exists(kept + "\\sub\\deeper\\c.kl"));
}

TEST_F(FilesTest, ChangeFileNameReplacesTheTargetAndNeverLosesBoth) {
  std::string target = folder_.File("HKCommand.dll"), source = folder_.File("HKCommand.new");
  WriteFileBytes(target, "old");
  WriteFileBytes(source, "new");
  tools_.ChangeFileName(Wide(target), Wide(source));
  EXPECT_EQ("new", ReadFileBytes(target));
  EXPECT_FALSE(Exists(source));

  // Nothing to rename: the target stays as it is.
  tools_.ChangeFileName(Wide(target), Wide(source));
  EXPECT_EQ("new", ReadFileBytes(target));

  // A target that cannot be replaced (another program holds it) keeps both files.
  WriteFileBytes(source, "newer");
  {
    win::UniqueFile held(CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.IsValid());
    tools_.ChangeFileName(Wide(target), Wide(source));
  }
  EXPECT_EQ("new", ReadFileBytes(target));
  EXPECT_EQ("newer", ReadFileBytes(source));
}

TEST_F(FilesTest, GetSimilDirListsTheFoldersWhoseNameHoldsThePart) {
  for (const char* name : {"LCCA_RTE", "old LCCA_RTE 2", "lcca_rte", "other"}) CreateDirectoryA(folder_.File(name).c_str(), nullptr);
  WriteFileBytes(folder_.File("LCCA_RTE.txt"), "a file, not a folder");
  CStringList found;
  found.AddTail(L"left over from before");
  tools_.GetSimilDir(Wide(folder_.Path()), L"LCCA_RTE", found);
  EXPECT_EQ((std::vector<std::wstring>{L"LCCA_RTE", L"old LCCA_RTE 2"}), Sorted(found));

  tools_.GetSimilDir(Wide(folder_.File("missing")), L"LCCA", found);
  EXPECT_TRUE(found.IsEmpty());
}

// A key of its own below HKEY_CURRENT_USER, removed with everything in it.
class RegistryTreeTest : public ::testing::Test {
 protected:
  RegistryTreeTest() : path_(L"Software\\certassist-tests\\tree-" + std::to_wstring(GetCurrentProcessId())) {}
  ~RegistryTreeTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }

  void Create(const std::wstring& sub) {
    win::UniqueRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, (path_ + sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, key.Put(), nullptr));
    DWORD one = 1;
    RegSetValueExW(key.Get(), L"value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  }
  bool KeyExists(const std::wstring& sub) {
    win::UniqueRegKey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, (path_ + sub).c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
  }

  std::wstring path_;
  CCommonFun tools_;
};

TEST_F(RegistryTreeTest, DeletesAKeyWithAllItsSubkeys) {
  Create(L"\\tree\\a\\b\\c");
  Create(L"\\tree\\a\\d");
  Create(L"\\tree\\e");
  Create(L"\\sibling");
  EXPECT_EQ(ERROR_SUCCESS, tools_.DeleteSubKeyTree(HKEY_CURRENT_USER, (path_ + L"\\tree").c_str()));
  EXPECT_FALSE(KeyExists(L"\\tree"));
  EXPECT_TRUE(KeyExists(L"\\sibling"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, tools_.DeleteSubKeyTree(HKEY_CURRENT_USER, (path_ + L"\\tree").c_str()));
}

TEST_F(RegistryTreeTest, AnEmptySubkeyNameDeletesNothing) {
  Create(L"\\kept");
  win::UniqueRegKey parent;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, parent.Put()));
  EXPECT_NE(ERROR_SUCCESS, tools_.DeleteSubKeyTree(parent.Get(), L""));
  EXPECT_NE(ERROR_SUCCESS, tools_.DeleteSubKeyTree(parent.Get(), nullptr));
  EXPECT_TRUE(KeyExists(L"\\kept"));
}

// A subkey that cannot be opened (here a link to a key that does not exist)
// ends the walk instead of being tried again and again.
TEST_F(RegistryTreeTest, StopsAtASubkeyThatCannotBeDeleted) {
  Create(L"\\tree\\before");
  std::wstring linkPath = path_ + L"\\tree\\link";
  {
    win::UniqueRegKey link;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, linkPath.c_str(), 0, nullptr,
                                             REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                                             nullptr, link.Put(), nullptr));
    std::wstring target = L"\\Registry\\Machine\\Software\\certassist-tests-no-such-key";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(link.Get(), L"SymbolicLinkValue", 0, REG_LINK,
                                            reinterpret_cast<const BYTE*>(target.c_str()),
                                            static_cast<DWORD>(target.size() * sizeof(wchar_t))));
  }
  EXPECT_NE(ERROR_SUCCESS, tools_.DeleteSubKeyTree(HKEY_CURRENT_USER, (path_ + L"\\tree").c_str()));
  EXPECT_TRUE(KeyExists(L"\\tree"));

  // The link itself goes only when opened as a link.
  using DeleteKey = LONG(WINAPI*)(HANDLE);
  auto deleteKey = reinterpret_cast<DeleteKey>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
  win::UniqueRegKey link;
  if (deleteKey != nullptr &&
      RegOpenKeyExW(HKEY_CURRENT_USER, linkPath.c_str(), REG_OPTION_OPEN_LINK, DELETE, link.Put()) == ERROR_SUCCESS)
    deleteKey(link.Get());
}

// Start-up entries under HKLM's Run key, with value names of this test program.
class AutoRunTest : public ::testing::Test {
 protected:
  AutoRunTest() : name_(L"certassist-test-" + std::to_wstring(GetCurrentProcessId())) {}
  ~AutoRunTest() override { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRun, name_.c_str()); }

  bool Read(std::wstring& value) {
    wchar_t buffer[2048] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kRun, name_.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS)
      return false;
    value = buffer;
    return true;
  }

  static constexpr const wchar_t* kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  std::wstring name_;
  CCommonFun tools_;
};

TEST_F(AutoRunTest, SetAutoRunWritesOnlyWhatDiffersIgnoringCase) {
  EXPECT_EQ(0, tools_.SetAutoRun(L"", name_.c_str()));
  EXPECT_EQ(0, tools_.SetAutoRun(L"C:\\x.exe", L""));
  std::wstring value;
  EXPECT_FALSE(Read(value));

  EXPECT_EQ(1, tools_.SetAutoRun(L"\"C:\\Program Files\\LCCA\\Monitor.exe\" /tray", name_.c_str()));
  ASSERT_TRUE(Read(value));
  EXPECT_EQ(L"\"C:\\Program Files\\LCCA\\Monitor.exe\" /tray", value);
  EXPECT_EQ(1, tools_.SetAutoRun(L"\"c:\\program files\\lcca\\monitor.exe\" /TRAY", name_.c_str()));
  ASSERT_TRUE(Read(value));
  EXPECT_EQ(L"\"C:\\Program Files\\LCCA\\Monitor.exe\" /tray", value);
  EXPECT_EQ(1, tools_.SetAutoRun(L"C:\\岚川\\新.exe", name_.c_str()));
  ASSERT_TRUE(Read(value));
  EXPECT_EQ(L"C:\\岚川\\新.exe", value);
}

TEST_F(AutoRunTest, CancelAutoRunRemovesEntriesOfAnyLength) {
  EXPECT_EQ(1, tools_.CancelAutoRun(L""));
  EXPECT_EQ(1, tools_.CancelAutoRun(name_.c_str()));
  std::wstring longCommand = L"C:\\" + std::wstring(300, L'x') + L".exe";
  ASSERT_EQ(1, tools_.SetAutoRun(longCommand.c_str(), name_.c_str()));
  std::wstring value;
  ASSERT_TRUE(Read(value));
  EXPECT_EQ(longCommand, value);
  EXPECT_EQ(1, tools_.CancelAutoRun(name_.c_str()));
  EXPECT_FALSE(Read(value));
}

}  // namespace
