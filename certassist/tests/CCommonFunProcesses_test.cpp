#include <gtest/gtest.h>

#include "TestText.h"

#include <atomic>
#include <thread>

#include "CCommonFun.h"
#include "OwnWindows.h"
#include "TestProcess.h"

namespace {

// Program names unique to this test program, so parallel tests never meet.
std::wstring UniqueName(const wchar_t* stem, const wchar_t* tail = L".exe") {
  wchar_t name[64];
  wsprintfW(name, L"%s%06lu%s", stem, GetCurrentProcessId() % 1000000, tail);
  return name;
}

CString Upper(const std::wstring& text) {
  CString upper(text.c_str());
  return upper.MakeUpper();
}

bool IsSignaled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

class ProcessesTest : public ::testing::Test {
 protected:
  CCommonFun tools_;
};

TEST_F(ProcessesTest, FindsTestProcessesByExactNameAndEndsThemWithExitCodeFour) {
  std::wstring name = UniqueName(L"ca-find-");
  TestProcess running(name);
  ASSERT_TRUE(running.Started());

  EXPECT_EQ(running.Id(), tools_.FindProcess(name.c_str()));
  EXPECT_EQ(0u, tools_.FindProcess(Upper(name)));
  EXPECT_EQ(1, tools_.getProcessState(name.c_str()));
  EXPECT_EQ(1, tools_.getProcessState(Upper(name)));

  EXPECT_EQ(1, tools_.KillProcess(name.c_str()));
  EXPECT_EQ(4u, running.ExitCode());
  EXPECT_EQ(0u, tools_.FindProcess(name.c_str()));
  EXPECT_EQ(0, tools_.getProcessState(name.c_str()));
  EXPECT_EQ(0, tools_.KillProcess(name.c_str()));
}

TEST_F(ProcessesTest, EmptyAndOverlongNamesMatchNothing) {
  CString overlong(L'x', 296);
  overlong += L".exe";
  ASSERT_EQ(300, overlong.GetLength());
  EXPECT_EQ(1, tools_.KillProcess(L""));
  EXPECT_EQ(1, tools_.getProcessState(L""));
  EXPECT_EQ(0u, tools_.FindProcess(L""));
  EXPECT_EQ(0u, tools_.FindProcess(overlong));
  EXPECT_EQ(0, tools_.KillProcess(overlong));
  EXPECT_EQ(0, tools_.getProcessState(overlong));
  win::UniqueEvent event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  tools_.IsExit(overlong, event.Get());
  EXPECT_TRUE(IsSignaled(event.Get()));
}

// Only Windows 2000 cuts program names to 15 characters; elsewhere the whole
// name counts, so a 16-character name differing in its last character is
// another program.
TEST_F(ProcessesTest, FifteenAndSixteenCharacterNamesAreTellApart) {
  std::wstring fifteen = UniqueName(L"c", L"1234.exe");
  std::wstring sixteen = UniqueName(L"c", L"12345.exe");
  std::wstring sixteenOther = UniqueName(L"c", L"12345.exz");
  ASSERT_EQ(15u, fifteen.size());
  ASSERT_EQ(16u, sixteen.size());
  TestProcess short15(fifteen), long16(sixteen);
  ASSERT_TRUE(short15.Started() && long16.Started());

  EXPECT_EQ(short15.Id(), tools_.FindProcess(fifteen.c_str()));
  EXPECT_EQ(long16.Id(), tools_.FindProcess(sixteen.c_str()));
  EXPECT_EQ(0u, tools_.FindProcess(sixteenOther.c_str()));
  EXPECT_EQ(1, tools_.getProcessState(fifteen.c_str()));
  EXPECT_EQ(1, tools_.getProcessState(sixteen.c_str()));
  EXPECT_EQ(0, tools_.getProcessState(sixteenOther.c_str()));
}

TEST_F(ProcessesTest, IsExitSignalsOnlyOnceNoProcessRunsTheProgram) {
  std::wstring name = UniqueName(L"ca-exit-");
  win::UniqueEvent event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  TestProcess running(name);
  ASSERT_TRUE(running.Started());

  tools_.IsExit(name.c_str(), event.Get());
  tools_.IsExit(Upper(name), event.Get());
  EXPECT_FALSE(IsSignaled(event.Get()));

  ASSERT_EQ(1, tools_.KillProcessByProcessID(running.Id()));
  EXPECT_EQ(4u, running.ExitCode());
  tools_.IsExit(name.c_str(), event.Get());
  EXPECT_TRUE(IsSignaled(event.Get()));
}

TEST_F(ProcessesTest, AProcessThatEndedBeforeItIsOpenedIsNotEnded) {
  std::wstring name = UniqueName(L"ca-gone-");
  TestProcess running(name);
  ASSERT_TRUE(running.Started());
  DWORD found = tools_.FindProcess(name.c_str());
  ASSERT_EQ(running.Id(), found);

  // Ended by someone else between the search and the call.
  ASSERT_EQ(1, tools_.KillProcessByProcessID(found));
  ASSERT_EQ(4u, running.ExitCode());
  running.Forget();
  EXPECT_EQ(0, tools_.KillProcessByProcessID(found));
  EXPECT_EQ(0, tools_.KillProcess(name.c_str()));
}

// A program asking to end programs of its own name ends the others and lives.
TEST_F(ProcessesTest, KillProcessNeverEndsTheCaller) {
  std::wstring name = UniqueName(L"ca-self-");
  {
    TestProcess alone(name, L"kill-own-name");
    ASSERT_TRUE(alone.Started());
    EXPECT_EQ(100u, alone.ExitCode(20000));
  }
  TestProcess sibling(name);
  ASSERT_TRUE(sibling.Started());
  TestProcess caller(name, L"kill-own-name");
  ASSERT_TRUE(caller.Started());
  EXPECT_EQ(101u, caller.ExitCode(20000));
  EXPECT_EQ(4u, sibling.ExitCode());
}

TEST_F(ProcessesTest, ExeuteStartsTheProgramHidden) {
  std::wstring name = UniqueName(L"ca-shell-");
  TestProcess copy(name);  // a copy of the helper to start once more
  ASSERT_TRUE(copy.Started());
  ASSERT_EQ(1, tools_.KillProcess(name.c_str()));
  ASSERT_EQ(4u, copy.ExitCode());

  tools_.EXEUTE(copy.Path().c_str());
  DWORD started = 0;
  for (int attempt = 0; attempt < 200 && started == 0; ++attempt, Sleep(25)) started = tools_.FindProcess(name.c_str());
  EXPECT_NE(0u, started);
  EXPECT_EQ(1, tools_.KillProcess(name.c_str()));
}

// Runs ExWinExec on this thread while a second one reads and closes the
// message box it shows, if any.
struct WinExecRun {
  int result = 0;
  CString message;
  bool boxShown = false;
};

WinExecRun RunWinExec(const std::wstring& commandLine) {
  WinExecRun run;
  std::atomic<bool> returned{false};
  std::thread reader([&run, &returned] {
    for (int attempt = 0; attempt < 400 && !returned; ++attempt, Sleep(25)) {
      HWND box = OwnWindows::FindOwnWindow(nullptr, nullptr);
      if (box == nullptr) continue;
      run.boxShown = true;
      run.message = OwnWindows::ChildTexts(box);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return;
    }
  });
  run.result = CCommonFun().ExWinExec(commandLine.c_str());
  returned = true;
  reader.join();
  return run;
}

TEST_F(ProcessesTest, ExWinExecTellsWhyAProgramDidNotStart) {
  TempFolder folder;
  std::wstring base(folder.Path().begin(), folder.Path().end());

  WinExecRun missing = RunWinExec(base + L"\\missing.exe");
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, missing.result);
  EXPECT_TRUE(missing.boxShown);
  EXPECT_GE(missing.message.Find(L"可执行文件没有找到!"), 0) << missing.message.GetString();

  ASSERT_TRUE(WriteFileBytes(folder.File("broken.exe"), "this is no program"));
  WinExecRun broken = RunWinExec(base + L"\\broken.exe");
  EXPECT_EQ(ERROR_BAD_FORMAT, broken.result);
  EXPECT_GE(broken.message.Find(L"可执行文件有误!"), 0) << broken.message.GetString();
}

TEST_F(ProcessesTest, ExWinExecStartsAProgramWithoutAMessage) {
  std::wstring name = UniqueName(L"ca-winexec-");
  TestProcess copy(name);
  ASSERT_TRUE(copy.Started());
  ASSERT_EQ(1, tools_.KillProcess(name.c_str()));
  copy.ExitCode();

  WinExecRun run = RunWinExec(L"\"" + copy.Path() + L"\"");
  EXPECT_GE(run.result, 32);
  EXPECT_FALSE(run.boxShown);
  DWORD started = 0;
  for (int attempt = 0; attempt < 200 && started == 0; ++attempt, Sleep(25)) started = tools_.FindProcess(name.c_str());
  EXPECT_NE(0u, started);
  EXPECT_EQ(1, tools_.KillProcess(name.c_str()));
}

TEST_F(ProcessesTest, GetDebugPrivEnablesTheDebugPrivilege) {
  ASSERT_EQ(1, tools_.GetDebugPriv());
  LUID debug{};
  ASSERT_TRUE(LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &debug));
  win::UniqueHandle token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put()));
  BYTE buffer[4096];
  DWORD bytes = 0;
  ASSERT_TRUE(GetTokenInformation(token.Get(), TokenPrivileges, buffer, sizeof buffer, &bytes));
  const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer);
  bool enabled = false;
  for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
    const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
    if (entry.Luid.LowPart == debug.LowPart && entry.Luid.HighPart == debug.HighPart)
      enabled = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
  }
  EXPECT_TRUE(enabled);
}

}  // namespace

namespace {

TEST(OpenUrlTest, OpensTheAddressInTheBrowserOfTheSystemDrive) {
  CCommonFun tools;
  CString browser = tools.GetSystemDriver().Left(3) + L"Program Files\\Internet Explorer\\iexplore.exe";
  if (GetFileAttributesW(browser) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no browser in the program folder";
  HINSTANCE result = tools.OpenUrlWithIEXPLORE(L"about:blank");
  EXPECT_GT(reinterpret_cast<INT_PTR>(result), 32);
  DWORD started = 0;
  for (int attempt = 0; attempt < 200 && started == 0; ++attempt, Sleep(25)) started = tools.FindProcess(L"iexplore.exe");
  EXPECT_NE(0u, started);
  for (int attempt = 0; attempt < 10 && tools.FindProcess(L"iexplore.exe") != 0; ++attempt) tools.KillProcess(L"iexplore.exe");
}

}  // namespace
