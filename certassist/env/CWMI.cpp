#include "CWMI.h"

#include <wbemcli.h>

#include <mutex>

#include "WmiLocator.h"
#include "WmiValueText.h"
#include "win/ComPtr.h"
#include "win/OleHandles.h"

using namespace certassist;

namespace {

const wchar_t kReadError[] = L"\r\n---获取值发生错误---\r\n";
const wchar_t kNamespace[] = L"ROOT\\CIMV2";

// The result enumerator of the running query, shared by all objects: set by
// Initial, released by the report or check that walks it. The lock keeps a
// second query from starting before the first has been walked.
win::ComPtr<IEnumWbemClassObject> results;
std::mutex& QueryLock() {
  static std::mutex lock;
  return lock;
}

HRESULT CreateSystemLocator(IWbemLocator** locator) {
  return CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                          reinterpret_cast<void**>(locator));
}

// Calls visit(object) for every result, in order, until it returns false;
// then releases the enumerator. False when the query failed on the way: a
// query that returns at once may report its error with the first result.
template <typename Visit>
bool WalkResults(Visit visit) {
  HRESULT next = S_OK;
  for (;;) {
    win::ComPtr<IWbemClassObject> object;
    ULONG returned = 0;
    next = results->Next(WBEM_INFINITE, 1, object.Put(), &returned);
    if (FAILED(next) || returned == 0 || !visit(object.Get())) break;
  }
  results = nullptr;
  return SUCCEEDED(next);
}

bool ReadText(IWbemClassObject* object, const wchar_t* property, CString& text) {
  if (property == nullptr) return false;
  VARIANT value;
  VariantInit(&value);
  CIMTYPE type = CIM_EMPTY;
  if (FAILED(object->Get(property, 0, &value, &type, nullptr))) return false;
  bool converted = WmiValueText(value, type, text);
  VariantClear(&value);
  return converted;
}

CString Normalised(CString text) {
  text.Remove(L' ');
  return text.MakeLower();
}

// "Started" where WMI has it; otherwise a service whose state is running or
// paused has been started.
bool IsStarted(IWbemClassObject* object) {
  CString text;
  if (ReadText(object, L"Started", text) && !text.IsEmpty()) return text == L"TRUE";
  return ReadText(object, L"State", text) && (text == L"Running" || text == L"Paused");
}

}  // namespace

WmiCalls& certassist::Wmi() {
  static WmiCalls calls = {&CreateSystemLocator};
  return calls;
}

CWMI::CWMI(CString query) : m_strQuery(query), m_comInitialised(0) {}

CWMI::CWMI(CString title, CString query) : m_strResult(title + L"\r\n"), m_strQuery(query), m_comInitialised(0) {}

// A copy has initialised nothing of its own.
CWMI::CWMI(const CWMI& other)
    : m_strResult(other.m_strResult), m_strQuery(other.m_strQuery), m_comInitialised(0) {}

CWMI& CWMI::operator=(const CWMI& other) {
  m_strResult = other.m_strResult;
  m_strQuery = other.m_strQuery;
  return *this;
}

CWMI::~CWMI() {
  for (; m_comInitialised > 0; --m_comInitialised) CoUninitialize();
}

CString CWMI::GetResult() { return m_strResult; }

DWORD CWMI::Fail(DWORD code, const wchar_t* line) {
  m_strResult += line;
  return code;
}

DWORD CWMI::Initial() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
    return Fail(WMI_COM_FAILED, L"初始化Com：CoInitializeEx失败\r\n");
  ++m_comInitialised;
  // Security is set once a process: a later query finds it set already.
  HRESULT security = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                          RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(security) && security != RPC_E_TOO_LATE) {
    CoUninitialize();
    --m_comInitialised;
    return Fail(WMI_SECURITY_FAILED, L"初始化Com security：CoInitializeSecurity失败\r\n");
  }
  win::ComPtr<IWbemLocator> locator;
  if (FAILED(Wmi().createLocator(locator.Put())))
    return Fail(WMI_LOCATOR_FAILED, L"初始化Com 实例：CoCreateInstance失败\r\n");
  win::UniqueBstr space(SysAllocString(kNamespace));
  win::ComPtr<IWbemServices> services;
  if (!space || FAILED(locator->ConnectServer(space.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                              services.Put())))
    return Fail(WMI_CONNECT_FAILED, L"连接ROOT\\CIMV2失败\r\n");
  // A services object that is not a proxy (WMI in the process itself) has
  // no blanket to set.
  HRESULT blanket = CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                      RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  if (FAILED(blanket) && blanket != E_NOINTERFACE) return Fail(WMI_PROXY_FAILED, L"CoSetProxyBlanket失败\r\n");
  win::UniqueBstr language(SysAllocString(L"WQL"));
  win::UniqueBstr query(SysAllocStringLen(m_strQuery.GetString(), static_cast<UINT>(m_strQuery.GetLength())));
  if (!language || !query ||
      FAILED(services->ExecQuery(language.Get(), query.Get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                 nullptr, results.Put())))
    return QueryFailed();
  return WMI_OK;
}

DWORD CWMI::QueryFailed() { return Fail(WMI_QUERY_FAILED, L"执行查询失败\r\n"); }

DWORD CWMI::CreateReport(const wchar_t* const* properties, int count) {
  if (properties == nullptr || count <= 0) return WMI_OK;
  std::lock_guard<std::mutex> oneQuery(QueryLock());
  DWORD code = Initial();
  if (code != WMI_OK) return code;
  bool walked = WalkResults([&](IWbemClassObject* object) {
    for (int i = 0; i < count; ++i) {
      CString value;
      if (!ReadText(object, properties[i], value)) {
        m_strResult += kReadError;
        return false;
      }
      m_strResult += value;
      m_strResult += i + 1 < count ? L"\t\t" : L"\r\n";
    }
    return true;
  });
  return walked ? WMI_OK : QueryFailed();
}

DWORD CWMI::Check(const wchar_t* property, CString expected, int mustBeStarted) {
  std::lock_guard<std::mutex> oneQuery(QueryLock());
  DWORD code = Initial();
  if (code != WMI_OK) return code;
  DWORD result = WMI_NO_MATCH;
  bool walked = WalkResults([&](IWbemClassObject* object) {
    CString value;
    if (!expected.IsEmpty() && ReadText(object, property, value) && Normalised(value) == expected &&
        (mustBeStarted == 0 || IsStarted(object)))
      result = WMI_OK;
    return true;
  });
  return walked ? result : QueryFailed();
}
