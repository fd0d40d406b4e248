// CWMI over a WMI of the tests' own, handed in through the locator seam:
// ten thousand results, failures at each step, queries from two threads,
// and COM initialisations undone by the objects that made them.
#include <gtest/gtest.h>

#include "TestText.h"

#include <atomic>
#include <string>
#include <thread>

#include "CWMI.h"
#include "WmiDouble.h"
#include "WmiLocator.h"

namespace {

using certassist::Wmi;
using certassist::WmiCalls;

WmiDouble* current = nullptr;

// Objects named "object00000"..., each with a uint32 "Size" of index * 3
// and a "Started" that is true for even indexes.
bool NumberedObject(ULONG index, const std::wstring& name, VARIANT& value, CIMTYPE& type) {
  if (name == L"Name") {
    wchar_t text[32];
    swprintf(text, 32, L"object%05lu", index);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text);
    type = CIM_STRING;
    return true;
  }
  if (name == L"Size") {
    value.vt = VT_I4;
    value.lVal = static_cast<LONG>(index * 3);
    type = CIM_UINT32;
    return true;
  }
  if (name == L"Started") {
    value.vt = VT_BOOL;
    value.boolVal = index % 2 == 0 ? VARIANT_TRUE : VARIANT_FALSE;
    type = CIM_BOOLEAN;
    return true;
  }
  return false;
}

class WmiWalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = Wmi();
    current = &wmi_;
    wmi_.property = &NumberedObject;
    Wmi().createLocator = [](IWbemLocator** locator) { return current->CreateLocator(locator); };
  }
  void TearDown() override {
    Wmi() = saved_;
    current = nullptr;
  }

  WmiCalls saved_{};
  WmiDouble wmi_;
};

TEST_F(WmiWalkTest, TenThousandResultsAreReportedInOrderAndReleased) {
  wmi_.count = 10000;
  {
    CWMI report(L"对象", L"SELECT Name, Size FROM Thing");
    const wchar_t* properties[] = {L"Name", L"Size"};
    EXPECT_EQ(0u, report.CreateReport(properties, 2));
    EXPECT_EQ(L"SELECT Name, Size FROM Thing", wmi_.lastQuery);
    CString text = report.GetResult();
    EXPECT_EQ(0, text.Find(L"对象\r\nobject00000\t\t0\r\nobject00001\t\t3\r\n"));
    EXPECT_EQ(text.GetLength() - 20, text.Find(L"object09999\t\t29997\r\n"));
    EXPECT_EQ(10001, text.Replace(L"\r\n", L"\n"));
  }
  EXPECT_EQ(10001u, wmi_.nextCalls);
  EXPECT_EQ(0, wmi_.liveObjects);
}

TEST_F(WmiWalkTest, CheckExaminesEveryResult) {
  wmi_.count = 10000;
  CWMI check(L"SELECT * FROM Thing");
  EXPECT_EQ(0u, check.Check(L"Name", L"object00002", 0));
  EXPECT_EQ(10001u, wmi_.nextCalls);
  EXPECT_EQ(0u, check.Check(L"Name", L"object09998", 1));
  EXPECT_EQ(0xE0010400u, check.Check(L"Name", L"object09999", 1));  // "Started" is false
  EXPECT_EQ(0xE0010400u, check.Check(L"Name", L"OBJECT00002", 0));  // expected is given lower-case
  EXPECT_EQ(0, wmi_.liveObjects);
}

TEST_F(WmiWalkTest, EachFailingStepGivesItsCodeAndLine) {
  wmi_.count = 5;
  const wchar_t* properties[] = {L"Name"};
  wmi_.connectResult = WBEM_E_ACCESS_DENIED;
  CWMI connect(L"SELECT * FROM Thing");
  EXPECT_EQ(0xE0010404u, connect.CreateReport(properties, 1));
  EXPECT_EQ(CString(L"连接ROOT\\CIMV2失败\r\n"), connect.GetResult());

  wmi_.connectResult = S_OK;
  wmi_.queryResult = WBEM_E_INVALID_QUERY;
  CWMI query(L"SELECT * FROM Thing");
  EXPECT_EQ(0xE0010406u, query.Check(L"Name", L"object00000", 0));
  EXPECT_EQ(CString(L"执行查询失败\r\n"), query.GetResult());

  // A query that returns at once reports its error with a later result.
  wmi_.queryResult = S_OK;
  wmi_.nextFailure = WBEM_E_INVALID_CLASS;
  wmi_.failAfter = 2;
  CWMI late(L"标题", L"SELECT * FROM Thing");
  EXPECT_EQ(0xE0010406u, late.CreateReport(properties, 1));
  EXPECT_EQ(CString(L"标题\r\nobject00000\r\nobject00001\r\n执行查询失败\r\n"), late.GetResult());
  EXPECT_EQ(0xE0010406u, late.Check(L"Name", L"object00000", 0));
  EXPECT_EQ(0, wmi_.liveObjects);
}

TEST_F(WmiWalkTest, QueriesFromTwoThreadsRunOneAfterTheOther) {
  static std::atomic<int> running(0), most(0);
  wmi_.count = 200;
  wmi_.property = [](ULONG index, const std::wstring& name, VARIANT& value, CIMTYPE& type) {
    int now = ++running;
    if (now > most) most = now;
    Sleep(index % 50 == 0 ? 2 : 0);
    --running;
    return NumberedObject(index, name, value, type);
  };
  CString reports[2];
  auto run = [&](int which) {
    CWMI report(L"SELECT * FROM Thing");
    const wchar_t* properties[] = {L"Name"};
    report.CreateReport(properties, 1);
    reports[which] = report.GetResult();
  };
  std::thread first(run, 0), second(run, 1);
  first.join();
  second.join();
  EXPECT_EQ(1, most.load());
  EXPECT_EQ(reports[0], reports[1]);
  EXPECT_EQ(200, reports[0].Replace(L"\r\n", L"\n"));
}

TEST_F(WmiWalkTest, ObjectsUndoOnlyTheComInitialisationsTheyMade) {
  wmi_.count = 1;
  const wchar_t* properties[] = {L"Name"};
  HRESULT after = E_FAIL;
  std::thread worker([&] {
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    {
      CWMI report(L"SELECT * FROM Thing");
      EXPECT_EQ(0u, report.CreateReport(properties, 1));
      EXPECT_EQ(0u, report.CreateReport(properties, 1));
      CWMI copy(report);
      CWMI assigned(L"x");
      assigned = report;
    }
    after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // S_FALSE: still initialised by this thread
    CoUninitialize();
    CoUninitialize();
  });
  worker.join();
  EXPECT_EQ(S_FALSE, after);

  // A thread of the other model keeps it.
  DWORD code = 0;
  HRESULT kept = E_FAIL;
  std::thread apartment([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
      CWMI report(L"标题", L"SELECT * FROM Thing");
      code = report.CreateReport(properties, 1);
      EXPECT_EQ(CString(L"标题\r\n初始化Com：CoInitializeEx失败\r\n"), report.GetResult());
    }
    kept = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CoUninitialize();
    CoUninitialize();
  });
  apartment.join();
  EXPECT_EQ(0xE0010401u, code);
  EXPECT_EQ(S_FALSE, kept);
}

}  // namespace
