// The DLL as the toolbar meets it: exports, class factory, creator object,
// registration and the live-object count.
#include <gtest/gtest.h>

#include <objbase.h>

#include "CreatorRecordReader.h"
#include "SlotCall.h"
#include "ToolbarHostDouble.h"
#include "ToolbarTestSupport.h"
#include "button/CreatorRecord.h"
#include "button/ToolbarInterfaces.h"
#include "win/ComPtr.h"

namespace {

using GetClassObjectFunction = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);

::testing::Environment* const kSerial =
    ::testing::AddGlobalTestEnvironment(new CrossProcessLock(L"barshare-button-tests"));

const CLSID kForeignClass = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

class ButtonServer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(dll_.Module(), nullptr); }

  HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** out) {
    return dll_.Export<GetClassObjectFunction>("DllGetClassObject")(classId, iid, out);
  }
  win::ComPtr<IClassFactory> Factory(REFCLSID classId) {
    win::ComPtr<IClassFactory> factory;
    EXPECT_EQ(GetClassObject(classId, IID_IClassFactory, factory.PutVoid()), S_OK);
    return factory;
  }

  ToolbarRegistryGuard registry_;
  BarshareDll dll_;
};

TEST_F(ButtonServer, FactoryForAnyClassMakesOnlyTheCreator) {
  win::ComPtr<IClassFactory> foreign = Factory(kForeignClass);
  ASSERT_TRUE(foreign);
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(foreign->CreateInstance(nullptr, IID_IUnknown, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  foreign.Reset();

  // Raw pointers: the count each final Release answers is under test.
  IClassFactory* factory = Factory(CLSID_ButtonCreator).Detach();
  ASSERT_NE(factory, nullptr);
  IUnknown* outer = factory;
  EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->LockServer(TRUE), E_NOTIMPL);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  IButtonCreator* creator = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IButtonCreator, reinterpret_cast<void**>(&creator)), S_OK);
  IUnknown* unknown = nullptr;
  EXPECT_EQ(creator->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown->Release(), 1u);
  EXPECT_EQ(creator->Release(), 0u);
  EXPECT_EQ(factory->Release(), 0u);
}

TEST_F(ButtonServer, GetClassObjectChecksItsArguments) {
  EXPECT_EQ(GetClassObject(CLSID_ButtonCreator, IID_IClassFactory, nullptr), E_POINTER);
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(GetClassObject(CLSID_ButtonCreator, IID_IButtonCreator, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  win::ComPtr<IUnknown> unknown;
  ASSERT_EQ(GetClassObject(CLSID_ButtonCreator, IID_IUnknown, unknown.PutVoid()), S_OK);
}

TEST_F(ButtonServer, UnloadsOnlyWhenEveryObjectIsGone) {
  EXPECT_EQ(dll_.Call("DllCanUnloadNow"), S_OK);
  win::ComPtr<IClassFactory> factory = Factory(CLSID_ButtonCreator);
  EXPECT_EQ(dll_.Call("DllCanUnloadNow"), S_FALSE);
  win::ComPtr<IButtonCreator> creator;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IButtonCreator, creator.PutVoid()), S_OK);
  factory.Reset();
  EXPECT_EQ(dll_.Call("DllCanUnloadNow"), S_FALSE);
  {
    ToolbarHostDouble toolbar;
    EXPECT_EQ(creator->InitializeObjects(&toolbar), S_OK);
    creator.Reset();
    ASSERT_EQ(toolbar.ButtonCount(), 1u);
    // The toolbar's reference keeps the button.
    EXPECT_EQ(dll_.Call("DllCanUnloadNow"), S_FALSE);
    toolbar.RemoveButtons();
    EXPECT_EQ(dll_.Call("DllCanUnloadNow"), S_OK);
    EXPECT_EQ(toolbar.References(), 1);  // the button let go of the toolbar too
  }
}

TEST_F(ButtonServer, GetCreatorGuidNamesTheCreatorClass) {
  auto getCreatorGuid = dll_.Export<HRESULT(__stdcall*)(GUID*)>("GetCreatorGuid");
  GUID guid = {};
  EXPECT_EQ(getCreatorGuid(&guid), S_OK);
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  EXPECT_STREQ(text, L"{289B311F-C5F3-40CE-A6C1-8903C0ADE026}");
  EXPECT_EQ(getCreatorGuid(nullptr), E_POINTER);
}

TEST_F(ButtonServer, InitializeObjectsWithoutAToolbarLeavesNothingBehind) {
  auto initializeObjects = dll_.Export<HRESULT(__stdcall*)(IUnknown*)>("InitializeObjects");
  EXPECT_EQ(initializeObjects(nullptr), 0);
  ToolbarHostDouble::Options options;
  options.answersToolbarHost = false;
  ToolbarHostDouble noToolbar(options);
  EXPECT_EQ(initializeObjects(&noToolbar), 0);
  EXPECT_EQ(noToolbar.ButtonCount(), 0u);
  EXPECT_TRUE(noToolbar.Log().empty());
  EXPECT_EQ(dll_.Call("DllCanUnloadNow"), S_OK);
}

// The toolbar calls the exports as WINAPI functions: each must pop its own
// arguments.
TEST_F(ButtonServer, ExportsPopTheirArguments) {
#if defined(__i386__)
  using slot_call::StackDrift;
  using slot_call::Word;
  GUID guid = {};
  EXPECT_EQ(StackDrift(dll_.Export<void*>("GetCreatorGuid"), nullptr, {Word(&guid)}), 0);
  EXPECT_EQ(guid, CLSID_ButtonCreator);
  IClassFactory* factory = nullptr;
  EXPECT_EQ(StackDrift(dll_.Export<void*>("DllGetClassObject"), nullptr,
                       {Word(&CLSID_ButtonCreator), Word(&IID_IClassFactory), Word(&factory)}),
            0);
  ASSERT_NE(factory, nullptr);
  factory->Release();
  EXPECT_EQ(StackDrift(dll_.Export<void*>("InitializeObjects"), nullptr, {0}), 0);
  EXPECT_EQ(StackDrift(dll_.Export<void*>("DllCanUnloadNow"), nullptr, {}), 0);
#else
  GTEST_SKIP() << "x86_64 has one calling convention; the caller always pops";
#endif
}

TEST_F(ButtonServer, RegistrationRecordDecodesToThisDll) {
  ASSERT_EQ(dll_.Call("DllRegisterServer"), S_OK);
  std::vector<BYTE> value = CreatorRecordReader::ReadValue(CLSID_ButtonCreator);
  ASSERT_EQ(value.size(), 592u);
  CreatorEntry entry;
  ASSERT_TRUE(CreatorRecordReader::Decode(value, CreatorRecordReader::SystemKey(), &entry));
  EXPECT_EQ(entry.path, dll_.Path());
  EXPECT_EQ(entry.flags, 0u);
  // Under another key the digest no longer matches.
  EXPECT_FALSE(CreatorRecordReader::Decode(value, CreatorRecordReader::SystemKey() ^ 0x5A, &entry));
  EXPECT_TRUE(KeyExists(ToolbarRegistry::CreatorsKey()));
}

TEST_F(ButtonServer, RegisteringTwiceChangesOnlyTheRandomBytes) {
  ASSERT_EQ(dll_.Call("DllRegisterServer"), S_OK);
  std::vector<BYTE> first = CreatorRecordReader::ReadValue(CLSID_ButtonCreator);
  ASSERT_EQ(dll_.Call("DllRegisterServer"), S_OK);
  std::vector<BYTE> second = CreatorRecordReader::ReadValue(CLSID_ButtonCreator);
  ASSERT_EQ(first.size(), 592u);
  ASSERT_EQ(second.size(), 592u);
  auto range = [](const std::vector<BYTE>& v, size_t from, size_t to) {
    return std::vector<BYTE>(v.begin() + from, v.begin() + to);
  };
  EXPECT_EQ(range(first, 0, 33), range(second, 0, 33));
  EXPECT_EQ(range(first, 48, 576), range(second, 48, 576));
  std::vector<BYTE> firstRandom = range(first, 33, 48), secondRandom = range(second, 33, 48);
  firstRandom.insert(firstRandom.end(), first.begin() + 576, first.end());
  secondRandom.insert(secondRandom.end(), second.begin() + 576, second.end());
  EXPECT_EQ(firstRandom.size(), 31u);
  EXPECT_NE(firstRandom, secondRandom);
}

TEST_F(ButtonServer, UnregisterRemovesTheValueOnce) {
  ASSERT_EQ(dll_.Call("DllRegisterServer"), S_OK);
  EXPECT_EQ(dll_.Call("DllUnregisterServer"), S_OK);
  EXPECT_TRUE(CreatorRecordReader::ReadValue(CLSID_ButtonCreator).empty());
  EXPECT_EQ(dll_.Call("DllUnregisterServer"), E_FAIL);
}

}  // namespace
