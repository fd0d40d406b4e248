// The job, browser-event and menu machinery of the button base, seen through
// a button of the tests' own.
#include "button/ToolbarButtonBase.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "AccountServiceDouble.h"
#include "JobButton.h"
#include "button/AccountMap.h"
#include "ToolbarHostDouble.h"
#include "ToolbarTestSupport.h"
#include "win/ComPtr.h"
#include "win/Handles.h"

namespace {

bool HasCommand(const ToolbarHostDouble& toolbar, WPARAM wParam, LPARAM lParam) {
  const auto& commands = toolbar.Commands();
  return std::any_of(commands.begin(), commands.end(),
                     [&](const ToolbarHostDouble::Command& c) { return c.wParam == wParam && c.lParam == lParam; });
}

bool MutexExists(const wchar_t* name) {
  win::UniqueMutex mutex(OpenMutexW(SYNCHRONIZE, FALSE, name));
  return mutex.IsValid();
}

// Runs the job contender program and returns its exit code.
DWORD RunContender() {
  std::wstring program = TestProgramFolder() + L"job_contender.exe";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return 0;
  }
  win::UniqueProcess contender(process.hProcess);
  win::UniqueThread contenderThread(process.hThread);
  WaitForSingleObject(contender.Get(), 30000);
  DWORD code = 0;
  GetExitCodeProcess(contender.Get(), &code);
  return code;
}

// A manual-reset event, not yet signalled.
win::UniqueEvent NewEvent() { return win::UniqueEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

// A JobButton held by its first reference.
template <typename... Arguments>
win::ComPtr<JobButton> NewButton(Arguments... arguments) {
  return win::ComPtr<JobButton>::Adopt(new JobButton(arguments...));
}

TEST(ToolbarButtonBase, JobRunsOnItsThreadAndPostsItsResult) {
  ToolbarHostDouble toolbar;
  auto button = NewButton(91, 0);
  ASSERT_EQ(button->Initialize(&toolbar), S_OK);
  // The job timer and thread may be slow on a busy machine: give them time,
  // and take no further job once the first one ran.
  for (int i = 0; i < 100 && button->ranJob == 0; ++i) toolbar.PumpMessages(50);
  button->accept = false;
  for (int i = 0; i < 100 && button->RunningJob() != 0; ++i) toolbar.PumpMessages(50);
  toolbar.PumpMessages(50);
  EXPECT_EQ(button->ranJob, 1);
  EXPECT_TRUE(HasCommand(toolbar, JobButton::kCommand, JobButton::kResult));
  EXPECT_EQ(button->RunningJob(), 0);
  EXPECT_FALSE(button->HoldsJobMutex());
  EXPECT_FALSE(MutexExists(L"ToolbarBaseObjJob__91"));
  toolbar.RemoveButtons();
}

TEST(ToolbarButtonBase, NoAcceptedJobReleasesTheMutexAtOnce) {
  auto button = NewButton(92, 0);
  button->accept = false;
  button->JobTick();
  EXPECT_EQ(button->offered, 2);  // both jobs of the list were offered
  EXPECT_FALSE(button->HoldsJobMutex());
  EXPECT_FALSE(MutexExists(L"ToolbarBaseObjJob__92"));
}

TEST(ToolbarButtonBase, PendingJobIsOfferedAlone) {
  win::UniqueEvent release = NewEvent();
  auto button = NewButton(93, 0);
  button->release = release.Get();  // the job runs until the test lets it end
  button->SetPendingJob(2);
  button->JobTick();
  EXPECT_EQ(button->offered, 1);
  EXPECT_EQ(button->RunningJob(), 2);
  SetEvent(release.Get());
  for (int i = 0; i < 500 && button->RunningJob() != 0; ++i) Sleep(10);
  EXPECT_EQ(button->ranJob, 2);

  button->SetPendingJob(2);
  button->refusedJob = 2;
  button->JobTick();  // the refused pending job is not replaced by another
  EXPECT_EQ(button->RunningJob(), 0);
  EXPECT_FALSE(button->HoldsJobMutex());
}

TEST(ToolbarButtonBase, StopJobEndsARunningJobAndTellsTheToolbar) {
  ToolbarHostDouble toolbar;
  win::UniqueEvent release = NewEvent();
  auto button = NewButton(94, 0, 60000);
  button->release = release.Get();
  ASSERT_EQ(button->Initialize(&toolbar), S_OK);
  button->JobTick();
  for (int i = 0; i < 100 && button->ranJob == 0; ++i) Sleep(10);
  ASSERT_EQ(button->RunningJob(), 1);
  EXPECT_TRUE(MutexExists(L"ToolbarBaseObjJob__94"));
  button->StopJob();
  EXPECT_EQ(button->RunningJob(), 0);
  EXPECT_FALSE(button->HoldsJobMutex());
  toolbar.PumpMessages(50);
  EXPECT_TRUE(HasCommand(toolbar, JobButton::kCommand + 0x10000, 0));
  EXPECT_FALSE(HasCommand(toolbar, JobButton::kCommand, JobButton::kResult));
  EXPECT_FALSE(MutexExists(L"ToolbarBaseObjJob__94"));
  toolbar.RemoveButtons();
}

TEST(ToolbarButtonBase, SecondProcessFindsTheJobMutexAndLeavesTheJob) {
  win::UniqueEvent release = NewEvent();
  auto holder = NewButton(68, 0, 60000);
  holder->release = release.Get();
  holder->JobTick();
  ASSERT_EQ(holder->RunningJob(), 1);
  EXPECT_EQ(RunContender(), 2u);  // the other process closes the mutex it found
  EXPECT_TRUE(holder->HoldsJobMutex());

  SetEvent(release.Get());
  for (int i = 0; i < 200 && holder->RunningJob() != 0; ++i) Sleep(10);
  EXPECT_EQ(holder->RunningJob(), 0);
  EXPECT_EQ(RunContender(), 1u);  // with the job done, the other process may run it
}

TEST(ToolbarButtonBase, FollowsBrowserEventsWhileShown) {
  ToolbarHostDouble toolbar;
  auto button = NewButton(95, kButtonFollowsBrowser);
  button->accept = false;
  ASSERT_EQ(button->Initialize(&toolbar), S_OK);
  EXPECT_TRUE(button->BrowserEventsConnected());
  EXPECT_EQ(std::count(toolbar.Log().begin(), toolbar.Log().end(), L"AdviseBrowserEvents"), 1);

  // A new browser: events are moved over.
  EXPECT_EQ(button->OnBrowserChanged(0, toolbar.Browser()), S_OK);
  EXPECT_EQ(std::count(toolbar.Log().begin(), toolbar.Log().end(), L"AdviseBrowserEvents"), 2);
  EXPECT_EQ(button->Browser(), toolbar.Browser());

  // The browser quits: the sink disconnects itself.
  EXPECT_EQ(button->Invoke(253, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_FALSE(button->BrowserEventsConnected());
  EXPECT_EQ(toolbar.Log().back(), L"UnadviseBrowserEvents(101)");
  EXPECT_EQ(button->Invoke(250, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), S_OK);

  UINT count = 9;
  EXPECT_EQ(button->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(button->GetTypeInfoCount(nullptr), E_POINTER);
  toolbar.RemoveButtons();
}

TEST(ToolbarButtonBase, StateTestAndOptionFollowTheFlags) {
  auto strict = NewButton(96, kButtonOptionSet);
  EXPECT_EQ(strict->AcceptsState(1), 1);
  EXPECT_EQ(strict->AcceptsState(2), 0);
  EXPECT_EQ(strict->IsOptionSet(), 1);
  EXPECT_EQ(strict->IsActive(), 0);
  wchar_t text[8];
  int image = 0;
  EXPECT_EQ(strict->GetCaption(96, text, 8, &image), 0);  // no caption without flag bit 0
  RECT rect = {0, 0, 10, 10};
  strict->ShowMenu(0, &rect);  // no menu: nothing happens
}

TEST(ToolbarButtonBase, AsksForTheAccountWhenFlagged) {
  ToolbarHostDouble toolbar;
  toolbar.Accounts().SignIn(31337, L"key");
  auto button = NewButton(97, kButtonAsksAccount);
  button->accept = false;
  ASSERT_EQ(button->Initialize(&toolbar), S_OK);
  EXPECT_EQ(button->Account(), 31337);
  EXPECT_EQ(toolbar.Accounts().Calls(), 1);
  EXPECT_EQ(toolbar.Log().back(), L"GetHostService(195)");
  toolbar.RemoveButtons();
}

}  // namespace

namespace {

TEST(ToolbarButtonBase, FinalReleaseEndsARunningJobFirst) {
  win::UniqueEvent release = NewEvent();
  const LONG before = ServerModule::LiveObjects();
  // A raw pointer: the final Release and what it ends are under test.
  JobButton* button = new JobButton(98, 0, 60000);
  button->release = release.Get();
  button->JobTick();
  for (int i = 0; i < 100 && button->ranJob == 0; ++i) Sleep(10);
  ASSERT_EQ(button->RunningJob(), 1);
  EXPECT_EQ(button->Release(), 0u);
  EXPECT_EQ(ServerModule::LiveObjects(), before);
  EXPECT_FALSE(MutexExists(L"ToolbarBaseObjJob__98"));
  // Had the thread survived, this would let it call into a freed object.
  SetEvent(release.Get());
  Sleep(50);
}

TEST(AccountMap, ReadsTheToolbarsAccountNumber) {
  EXPECT_EQ(AccountMap::CurrentAccount(), 0);  // no toolbar, no map
  {
    AccountMapping toolbarMap(5150);
    ASSERT_TRUE(toolbarMap.Valid());
    EXPECT_EQ(AccountMap::CurrentAccount(), 5150);
    AccountMap existing(true);  // opened, not zeroed
    EXPECT_EQ(existing.Account(), 5150);
  }
  AccountMap created(true);
  ASSERT_TRUE(created.Valid());
  EXPECT_EQ(created.Account(), 0);
  created.SetAccount(-3);
  EXPECT_EQ(AccountMap::CurrentAccount(), -3);
}

}  // namespace
