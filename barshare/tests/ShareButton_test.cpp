// The Share button as a toolbar creates it: through the registered creator
// record and barshare.dll, with the toolbar double recording every call.
#include "button/ShareButton.h"

#include <gtest/gtest.h>

#include <exdisp.h>

#include "AccountServiceDouble.h"
#include "ToolbarHostDouble.h"
#include "ToolbarLoader.h"
#include "SlotCall.h"
#include "ToolbarTestSupport.h"
#include "button/ToolbarRegistry.h"
#include "win/ComPtr.h"
#include "win/Handles.h"

namespace {

const wchar_t kTooltip[] = L"热门网址，酷炫视频，分享给我的空间好友。";

std::wstring IconLine() {
  wchar_t line[64];
  swprintf(line, 64, L"AddButtonIcon(%dx%d)", GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  return line;
}

class ShareButtonInToolbar : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(dll_.Module(), nullptr);
    ASSERT_EQ(dll_.Call("DllRegisterServer"), S_OK);
  }
  IToolbarButton* Load(ToolbarHostDouble& toolbar, ToolbarLoader& loader,
                       ToolbarLoader::Road road = ToolbarLoader::Road::CreatorClass) {
    EXPECT_EQ(loader.Load(CLSID_ButtonCreator, &toolbar, road), S_OK);
    return toolbar.ButtonCount() == 1 ? toolbar.Button(0) : nullptr;
  }
  // The loaded button's uninstall interface, or null.
  win::ComPtr<IButtonUninstall> LoadUninstaller(ToolbarHostDouble& toolbar, ToolbarLoader& loader) {
    IToolbarButton* button = Load(toolbar, loader);
    win::ComPtr<IButtonUninstall> uninstall;
    if (button != nullptr) button->QueryInterface(IID_IButtonUninstall, uninstall.PutVoid());
    return uninstall;
  }

  ToolbarRegistryGuard registry_;
  BarshareDll dll_;
};

TEST_F(ShareButtonInToolbar, InitializeTalksToTheToolbarInOrder) {
  ToolbarHostDouble toolbar;
  ToolbarLoader loader;
  ASSERT_NE(Load(toolbar, loader), nullptr);
  std::vector<std::wstring> expected = {L"GetToolbarWindow",       L"AddButton(68, button, 0)",
                                        L"SetButtonStyle(68, 64)", L"SetButtonState(68, 4)",
                                        IconLine(),                L"SetButtonImage(68, 0)",
                                        L"SetButtonText(68, 分享)"};
  EXPECT_EQ(toolbar.Log(), expected);
  EXPECT_EQ(loader.Path(), dll_.Path());
}

TEST_F(ShareButtonInToolbar, IconIsAddedOncePerProcess) {
  ToolbarHostDouble first;
  ToolbarLoader loader;
  ASSERT_NE(Load(first, loader), nullptr);
  ToolbarHostDouble second;
  ToolbarLoader secondLoader;
  ASSERT_NE(Load(second, secondLoader, ToolbarLoader::Road::InitializeObjectsExport), nullptr);
  std::vector<std::wstring> expected = {L"GetToolbarWindow",      L"AddButton(68, button, 0)",
                                        L"SetButtonStyle(68, 64)", L"SetButtonState(68, 4)",
                                        L"SetButtonImage(68, 0)", L"SetButtonText(68, 分享)"};
  EXPECT_EQ(second.Log(), expected);
}

TEST_F(ShareButtonInToolbar, AnswersExactlyItsInterfaces) {
  ToolbarHostDouble toolbar;
  ToolbarLoader loader;
  IToolbarButton* button = Load(toolbar, loader);
  ASSERT_NE(button, nullptr);
  for (const IID* iid : {&IID_IUnknown, &IID_IToolbarButton, &IID_IToolbarButtonAlt, &IID_IShareButtonMarker}) {
    win::ComPtr<IUnknown> primary;
    ASSERT_EQ(button->QueryInterface(*iid, primary.PutVoid()), S_OK);
    EXPECT_EQ(primary.Get(), static_cast<IUnknown*>(button));
  }
  for (const IID* iid : {&IID_ICaptionProvider, &IID_IButtonOption, &IID_IButtonUninstall, &IID_IDispatch}) {
    win::ComPtr<IUnknown> other;
    ASSERT_EQ(button->QueryInterface(*iid, other.PutVoid()), S_OK);
    EXPECT_NE(other.Get(), static_cast<IUnknown*>(button));
    // Every interface leads back to the same object.
    win::ComPtr<IUnknown> identity;
    ASSERT_EQ(other->QueryInterface(IID_IUnknown, identity.PutVoid()), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(button));
  }
  for (const IID* iid : {&IID_IWebBrowser2, &IID_IClassFactory, &DIID_DWebBrowserEvents2, &IID_IButtonCreator}) {
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(button->QueryInterface(*iid, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
  }
  EXPECT_EQ(button->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

// Calls slot `slot` of the object's first table, as the toolbar's compiler
// would: a COM interface, so stdcall on i686.
template <typename Result, typename... Arguments>
Result CallSlot(IUnknown* object, int slot, Arguments... arguments) {
  return slot_call::StdCall<Result>(object, slot, arguments...);
}

TEST_F(ShareButtonInToolbar, SlotsSitWhereTheToolbarCallsThem) {
  ToolbarHostDouble toolbar;
  ToolbarLoader loader;
  IToolbarButton* button = Load(toolbar, loader);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(CallSlot<int>(button, 6), 50);                    // GetKind
  EXPECT_EQ(CallSlot<int>(button, 7, 1234u), 0);              // OnTimer, foreign id
  EXPECT_EQ(CallSlot<int>(button, 7, 0x20000u), 1);           // OnTimer, low word 0
  EXPECT_EQ(CallSlot<int>(button, 8), 0);
  EXPECT_EQ(CallSlot<int>(button, 11), 1);
  EXPECT_EQ(CallSlot<int>(button, 14, 2), 1);                 // AcceptsState: any nonzero
  EXPECT_EQ(CallSlot<int>(button, 14, 0), 0);
  EXPECT_EQ(CallSlot<int>(button, 16), 0);
  EXPECT_EQ(CallSlot<int>(button, 17, WPARAM(68), LPARAM(0)), 0);
  EXPECT_EQ(CallSlot<int>(button, 24, 1), 0);                 // AcceptJob
  EXPECT_EQ(CallSlot<int>(button, 25, 1), 0);                 // JobResult
  EXPECT_EQ(CallSlot<HRESULT>(button, 4), S_OK);              // Execute
}

// The toolbar removes nothing from the stack after a call: each method must
// pop `this` and exactly the arguments it was given.
TEST_F(ShareButtonInToolbar, SlotsPopWhatTheToolbarPushed) {
#if defined(__i386__)
  using slot_call::StdCallDrift;
  using slot_call::Word;
  ToolbarHostDouble toolbar;
  ToolbarLoader loader;
  IToolbarButton* button = Load(toolbar, loader);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(StdCallDrift(button, 6, {}), 0);              // GetKind
  EXPECT_EQ(StdCallDrift(button, 7, {1234}), 0);          // OnTimer
  EXPECT_EQ(StdCallDrift(button, 14, {2}), 0);            // AcceptsState
  EXPECT_EQ(StdCallDrift(button, 17, {68, 0}), 0);        // OnCommand
  wchar_t text[64] = L"";
  EXPECT_EQ(StdCallDrift(button, 5, {1, Word(text), 64}), 0);  // GetTooltip
  EXPECT_EQ(StdCallDrift(button, 12, {0, 1}), 0);         // OnToolbarVisible
  EXPECT_EQ(StdCallDrift(button, 4, {}), 0);              // Execute
#else
  GTEST_SKIP() << "x86_64 has one calling convention; the caller always pops";
#endif
}

TEST_F(ShareButtonInToolbar, TextsComeFromTheResources) {
  ToolbarHostDouble toolbar;
  ToolbarLoader loader;
  IToolbarButton* button = Load(toolbar, loader);
  ASSERT_NE(button, nullptr);
  wchar_t text[128] = L"";
  EXPECT_EQ(button->GetTooltip(68, text, 128), 1);
  EXPECT_STREQ(text, kTooltip);
  EXPECT_EQ(button->GetTooltip(68 + 256, text, 128), 1);  // only the id byte counts
  EXPECT_EQ(button->GetTooltip(69, text, 128), 0);
  EXPECT_EQ(button->GetTooltip(68, nullptr, 128), 0);

  wchar_t description[8] = L"";
  DescriptionRequest request = {0, description, 8};
  EXPECT_EQ(button->GetDescription(0, 1, &request), 1);
  EXPECT_EQ(std::wstring(description), std::wstring(kTooltip, 7));  // cut to the buffer
  EXPECT_EQ(button->GetDescription(0, 2, &request), 0);
  EXPECT_EQ(button->GetDescription(0, 1, nullptr), 0);

  win::ComPtr<ICaptionProvider> caption;
  ASSERT_EQ(button->QueryInterface(IID_ICaptionProvider, caption.PutVoid()), S_OK);
  int image = -7;
  EXPECT_EQ(caption->IsActive(), 1);
  EXPECT_EQ(caption->GetCaption(68, text, 128, &image), 1);
  EXPECT_STREQ(text, L"分享");
  EXPECT_EQ(image, 0);
  EXPECT_EQ(caption->GetCaption(70, text, 128, &image), 0);
  EXPECT_EQ(caption->GetCaption(68, text, 128, nullptr), 0);

  win::ComPtr<IButtonOption> option;
  ASSERT_EQ(button->QueryInterface(IID_IButtonOption, option.PutVoid()), S_OK);
  EXPECT_EQ(option->IsOptionSet(), 0);
  EXPECT_EQ(option->Reserved4(), 0);
}

TEST_F(ShareButtonInToolbar, JobTimerRunsWhileShown) {
  ToolbarHostDouble toolbar;
  ToolbarLoader loader;
  ASSERT_NE(Load(toolbar, loader), nullptr);
  toolbar.PumpMessages(3300);
  ASSERT_FALSE(toolbar.Timers().empty());
  EXPECT_EQ(toolbar.Timers().front(), L"17508->1");
  // Share runs no job: nothing is posted to the toolbar, and the mutex is not kept.
  EXPECT_TRUE(toolbar.Commands().empty());
  win::UniqueMutex mutex(CreateMutexW(nullptr, FALSE, L"ToolbarBaseObjJob__68"));
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST_F(ShareButtonInToolbar, UninstallRemovesTheRegistrationAndTheAccountSettings) {
  const std::wstring account = ToolbarRegistry::AccountKey(424242, nullptr);
  registry_.Track(account);
  win::UniqueRegKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (account + L"\\Share").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            key.Put(), nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (account + L"\\Other").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            key.Put(), nullptr), ERROR_SUCCESS);

  AccountMapping map(424242);
  ASSERT_TRUE(map.Valid());
  ToolbarHostDouble toolbar;
  ToolbarLoader loader;
  win::ComPtr<IButtonUninstall> uninstall = LoadUninstaller(toolbar, loader);
  ASSERT_TRUE(uninstall);

  EXPECT_EQ(uninstall->Uninstall(69), S_OK);  // another button: only the registration goes
  EXPECT_EQ(dll_.Call("DllUnregisterServer"), E_FAIL);
  EXPECT_TRUE(KeyExists(account + L"\\Share"));

  EXPECT_EQ(uninstall->Uninstall(68), S_OK);
  EXPECT_FALSE(KeyExists(account + L"\\Share"));
  EXPECT_TRUE(KeyExists(account + L"\\Other"));
}

TEST_F(ShareButtonInToolbar, UninstallWithoutAccountMapUsesAccountZero) {
  const std::wstring account = ToolbarRegistry::AccountKey(0, nullptr);
  registry_.Track(account);
  win::UniqueRegKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (account + L"\\Share\\Deep").c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, key.Put(), nullptr), ERROR_SUCCESS);
  ToolbarHostDouble toolbar;
  ToolbarLoader loader;
  win::ComPtr<IButtonUninstall> uninstall = LoadUninstaller(toolbar, loader);
  ASSERT_TRUE(uninstall);
  EXPECT_EQ(uninstall->Uninstall(68), S_OK);
  EXPECT_FALSE(KeyExists(account + L"\\Share"));
}

// The button objects of this program, built from the same code as the DLL.
TEST(ShareButton, HostWithoutBrowserOrToolbarGetsNoButton) {
  for (int missing = 0; missing < 2; ++missing) {
    ToolbarHostDouble::Options options;
    (missing == 0 ? options.answersBrowser : options.answersToolbarHost) = false;
    ToolbarHostDouble toolbar(options);
    const LONG before = ServerModule::LiveObjects();
    ShareButton* button = new ShareButton();
    EXPECT_EQ(button->Initialize(&toolbar), E_FAIL);
    EXPECT_EQ(button->Initialize(nullptr), E_POINTER);
    EXPECT_TRUE(toolbar.Log().empty());
    EXPECT_EQ(toolbar.References(), 1);  // nothing of the toolbar is kept
    EXPECT_EQ(button->Release(), 0u);  // the count is under test
    EXPECT_EQ(ServerModule::LiveObjects(), before);
  }
}

TEST(ShareButton, RefusedAddButtonFailsInitialize) {
  ToolbarHostDouble::Options options;
  options.addButtonResult = E_ACCESSDENIED;
  ToolbarHostDouble toolbar(options);
  auto button = win::ComPtr<ShareButton>::Adopt(new ShareButton());
  EXPECT_EQ(button->Initialize(&toolbar), E_FAIL);
  std::vector<std::wstring> expected = {L"GetToolbarWindow", L"AddButton(68, button, 0)"};
  EXPECT_EQ(toolbar.Log(), expected);
}

TEST(ShareButton, ShownFollowsTheToolbarAndTheHost) {
  ToolbarHostDouble::Options options;
  options.toolbarVisible = false;
  ToolbarHostDouble toolbar(options);
  ShareButton* button = new ShareButton();
  ASSERT_EQ(button->Initialize(&toolbar), S_OK);
  EXPECT_FALSE(button->Shown());
  button->OnToolbarVisible(0, 1);
  EXPECT_TRUE(button->Shown());
  button->SetHostShown(69, 0);  // not ours
  EXPECT_TRUE(button->Shown());
  button->SetHostShown(68, 0);
  EXPECT_FALSE(button->Shown());
  button->SetHostShown(68, 1);
  EXPECT_TRUE(button->Shown());
  button->Uninitialize();
  EXPECT_FALSE(button->Shown());
  button->OnToolbarVisible(0, 1);  // the host has let the button go
  EXPECT_FALSE(button->Shown());
  // Share does not follow the browser: no events were asked for.
  for (const std::wstring& line : toolbar.Log()) EXPECT_EQ(line.find(L"AdviseBrowserEvents"), std::wstring::npos);
  toolbar.RemoveButtons();
  EXPECT_EQ(button->Release(), 0u);  // the count is under test
}

TEST(ShareButton, ReleaseToZeroFreesOnce) {
  const LONG before = ServerModule::LiveObjects();
  ShareButton* button = new ShareButton();
  EXPECT_EQ(ServerModule::LiveObjects(), before + 1);
  EXPECT_EQ(button->AddRef(), 2u);
  EXPECT_EQ(button->Release(), 1u);  // the count is under test
  EXPECT_EQ(ServerModule::LiveObjects(), before + 1);
  EXPECT_EQ(button->Release(), 0u);  // the count is under test
  EXPECT_EQ(ServerModule::LiveObjects(), before);
}

}  // namespace
