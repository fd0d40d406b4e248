// WMI reports against Wine's own WMI (ROOT\CIMV2), compared with what the
// service manager and the system say themselves. A service double of the
// tests' own is installed, started and removed again.
#include <gtest/gtest.h>

#include "TestText.h"

#include <set>
#include <string>
#include <vector>

#include "CWMI.h"
#include "PrefixListing.h"
#include "win/Handles.h"

namespace {

const wchar_t kServices[] = L"SELECT * FROM Win32_Service";
const wchar_t kReadError[] = L"\r\n---获取值发生错误---\r\n";

std::vector<std::wstring> Split(const std::wstring& text, const std::wstring& separator) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::wstring::npos; start = at + separator.size())
    parts.push_back(text.substr(start, at - start));
  parts.push_back(text.substr(start));
  return parts;
}

// The report's lines after the title, without the empty piece after the
// last "\r\n".
std::vector<std::wstring> Lines(const CString& report) {
  std::vector<std::wstring> lines = Split(report.GetString(), L"\r\n");
  lines.erase(lines.begin());
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

std::set<std::wstring> ServiceManagerNames() {
  std::set<std::wstring> names;
  win::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  DWORD bytes = 0, count = 0, resume = 0;
  EnumServicesStatusExW(manager.Get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_STATE_ALL,
                        nullptr, 0, &bytes, &count, &resume, nullptr);
  std::vector<BYTE> buffer(bytes);
  resume = 0;
  if (!EnumServicesStatusExW(manager.Get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_STATE_ALL,
                             buffer.data(), bytes, &bytes, &count, &resume, nullptr))
    return names;
  const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (!PrefixListing::IsPassingService(services[i].lpServiceName)) names.insert(PrefixListing::ServiceName(services[i].lpServiceName));
  }
  return names;
}

std::wstring Lower(std::wstring text) {
  CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

// A service installed under a name of this test program's own and a display
// name with blanks; it is never started.
class InstalledService {
 public:
  InstalledService() : name_(L"CertAssist-WMI-" + std::to_wstring(GetCurrentProcessId())) {
    manager_.Reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (manager_)
      service_.Reset(CreateServiceW(manager_.Get(), name_.c_str(), (L"证书 助手 " + name_).c_str(),
                                    SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                    SERVICE_ERROR_IGNORE, L"C:\\certassist\\service.exe", nullptr, nullptr, nullptr,
                                    nullptr, nullptr));
  }
  ~InstalledService() {
    if (service_) DeleteService(service_.Get());
  }
  bool Installed() const { return service_.IsValid(); }
  const std::wstring& Name() const { return name_; }

 private:
  std::wstring name_;
  win::UniqueServiceHandle manager_;
  win::UniqueServiceHandle service_;
};

// One of Wine's own services, started for a test and stopped again.
class WineService {
 public:
  static const DWORD kStartPatienceMs = 240000;

  explicit WineService(const wchar_t* name) {
    manager_.Reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (manager_) service_.Reset(OpenServiceW(manager_.Get(), name, SERVICE_ALL_ACCESS));
  }
  ~WineService() { Stop(); }
  // 0 once running, else the error of the start or ERROR_TIMEOUT. Early in
  // a session Wine's service manager is busy starting its device services
  // (each of which may take its full start timeout here) and refuses or
  // times out other starts for a minute or more; those are retried.
  DWORD Start() {
    for (DWORD first = GetTickCount(); !StartServiceW(service_.Get(), 0, nullptr);) {
      DWORD error = GetLastError();
      if (error == ERROR_SERVICE_ALREADY_RUNNING) break;
      bool busy = error == ERROR_SERVICE_DATABASE_LOCKED || error == ERROR_SERVICE_REQUEST_TIMEOUT;
      if (!busy || GetTickCount() - first > kStartPatienceMs) return error;
      Sleep(500);
    }
    return WaitFor(SERVICE_RUNNING) ? 0 : ERROR_TIMEOUT;
  }
  bool Stop() {
    SERVICE_STATUS status{};
    ControlService(service_.Get(), SERVICE_CONTROL_STOP, &status);
    return WaitFor(SERVICE_STOPPED);
  }

 private:
  bool WaitFor(DWORD state) {
    for (int attempt = 0; attempt < 200; ++attempt) {
      SERVICE_STATUS status{};
      if (QueryServiceStatus(service_.Get(), &status) && status.dwCurrentState == state) return true;
      Sleep(25);
    }
    return false;
  }

  win::UniqueServiceHandle manager_;
  win::UniqueServiceHandle service_;
};

TEST(WmiReport, ListsEveryServiceTheServiceManagerKnowsWithItsProperties) {
  CWMI wmi(L"服务列表", kServices);
  const wchar_t* properties[] = {L"Name", L"StartMode", L"State"};
  EXPECT_EQ(0u, wmi.CreateReport(properties, 3));
  CString report = wmi.GetResult();
  EXPECT_EQ(0, report.Find(L"服务列表\r\n"));
  std::set<std::wstring> names;
  for (const std::wstring& line : Lines(report)) {
    std::vector<std::wstring> fields = Split(line, L"\t\t");
    ASSERT_EQ(3u, fields.size()) << line;
    if (!PrefixListing::IsPassingService(fields[0])) names.insert(PrefixListing::ServiceName(fields[0]));
    EXPECT_TRUE(fields[1] == L"Auto" || fields[1] == L"Manual" || fields[1] == L"Disabled" ||
                fields[1] == L"Boot" || fields[1] == L"System")
        << line;
  }
  EXPECT_EQ(ServiceManagerNames(), names);
  // Security is set once a process; the next query finds it set.
  CWMI again(kServices);
  EXPECT_EQ(0u, again.CreateReport(properties, 1));
  std::set<std::wstring> againNames;
  for (const std::wstring& name : Lines(L"\r\n" + again.GetResult()))
    if (!PrefixListing::IsPassingService(name)) againNames.insert(PrefixListing::ServiceName(name));
  EXPECT_EQ(names, againNames);
}

TEST(WmiReport, NumbersBooleansAndDatesBecomeText) {
  CWMI wmi(L"SELECT * FROM Win32_OperatingSystem");
  const wchar_t* properties[] = {L"BuildNumber", L"OSType", L"Primary", L"CurrentTimeZone", L"InstallDate"};
  ASSERT_EQ(0u, wmi.CreateReport(properties, 5));
  std::vector<std::wstring> lines = Lines(L"\r\n" + wmi.GetResult());
  ASSERT_EQ(1u, lines.size());
  std::vector<std::wstring> fields = Split(lines[0], L"\t\t");
  ASSERT_EQ(5u, fields.size());
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExW(&version);
  EXPECT_EQ(std::to_wstring(version.dwBuildNumber), fields[0]);
  EXPECT_EQ(L"18", fields[1]);  // WINNT, a uint16
  EXPECT_EQ(L"TRUE", fields[2]);
  TIME_ZONE_INFORMATION zone{};
  GetTimeZoneInformation(&zone);
  EXPECT_EQ(std::to_wstring(-zone.Bias), fields[3]);  // a signed number
  EXPECT_EQ(25u, fields[4].size()) << fields[4];      // yyyymmddHHMMSS.mmmmmmsUUU
}

TEST(WmiReport, APropertyTheClassLacksEndsTheReport) {
  CWMI wmi(L"标题", kServices);
  const wchar_t* properties[] = {L"Name", L"NoSuchProperty"};
  EXPECT_EQ(0u, wmi.CreateReport(properties, 2));
  CString report = wmi.GetResult();
  // The first service's name and its separator, then the error, and
  // nothing after it.
  std::vector<std::wstring> parts = Split(report.GetString(), L"\t\t");
  ASSERT_EQ(2u, parts.size()) << report;
  EXPECT_EQ(0u, parts[0].find(L"标题\r\n"));
  EXPECT_EQ(std::wstring::npos, parts[0].find(L"\r\n", 4));
  EXPECT_EQ(kReadError, parts[1]);
}

TEST(WmiReport, BadQueriesAndQueriesWithoutResults) {
  const wchar_t* properties[] = {L"Name"};
  CWMI malformed(L"标题", L"SELECT * FROM");
  EXPECT_EQ(0xE0010406u, malformed.CreateReport(properties, 1));
  EXPECT_EQ(CString(L"标题\r\n执行查询失败\r\n"), malformed.GetResult());
  EXPECT_EQ(0xE0010406u, malformed.Check(L"Name", L"x", 0));

  // Wine answers a class it does not know with no results.
  CWMI unknown(L"标题", L"SELECT * FROM Win32_NoSuchClass");
  EXPECT_EQ(0u, unknown.CreateReport(properties, 1));
  EXPECT_EQ(CString(L"标题\r\n"), unknown.GetResult());

  CWMI none(L"标题", L"SELECT * FROM Win32_Service WHERE Name = 'no-such-service'");
  EXPECT_EQ(0u, none.CreateReport(properties, 1));
  EXPECT_EQ(CString(L"标题\r\n"), none.GetResult());
  EXPECT_EQ(0xE0010400u, none.Check(L"Name", L"no-such-service", 0));
  // Nothing to report: no query is made and nothing is added.
  EXPECT_EQ(0u, none.CreateReport(properties, 0));
  EXPECT_EQ(0u, none.CreateReport(nullptr, 3));
  EXPECT_EQ(CString(L"标题\r\n"), none.GetResult());
}

TEST(WmiCheck, MatchesWithoutBlanksAndCase) {
  InstalledService service;
  ASSERT_TRUE(service.Installed());
  std::wstring expected = Lower(service.Name());
  CWMI wmi(kServices);
  EXPECT_EQ(0u, wmi.Check(L"Name", expected.c_str(), 0));
  EXPECT_EQ(0u, wmi.Check(L"DisplayName", (L"证书助手" + expected).c_str(), 0));
  EXPECT_EQ(0xE0010400u, wmi.Check(L"DisplayName", (L"证书 助手 " + expected).c_str(), 0));
  EXPECT_EQ(0xE0010400u, wmi.Check(L"Name", service.Name().c_str(), 0));  // expected is given lower-case
  EXPECT_EQ(0xE0010400u, wmi.Check(L"Name", expected.c_str(), 1));  // installed, not started
  EXPECT_EQ(0xE0010400u, wmi.Check(L"Name", L"", 0));
  EXPECT_EQ(0xE0010400u, wmi.Check(L"NoSuchProperty", expected.c_str(), 0));
  EXPECT_TRUE(wmi.GetResult().IsEmpty());
}

TEST(WmiCheck, AStartedServiceMatchesOnlyWhileItRuns) {
  // Wine's automatic updates service, run by its service host.
  WineService updates(L"wuauserv");
  ASSERT_TRUE(updates.Stop());
  CWMI wmi(kServices);
  EXPECT_EQ(0u, wmi.Check(L"Name", L"wuauserv", 0));
  EXPECT_EQ(0xE0010400u, wmi.Check(L"Name", L"wuauserv", 1));
  ASSERT_EQ(0u, updates.Start());
  EXPECT_EQ(0u, wmi.Check(L"Name", L"wuauserv", 1));
  EXPECT_EQ(0u, wmi.Check(L"DisplayName", L"automaticupdates", 1));
  ASSERT_TRUE(updates.Stop());
  EXPECT_EQ(0xE0010400u, wmi.Check(L"Name", L"wuauserv", 1));
}

}  // namespace
