#include "EventConnectionPoint.h"

#include <exdisp.h>
#include <olectl.h>

EventConnectionPoint::EventConnectionPoint(IUnknown* control, IConnectionPointContainer* container)
    : control_(control), container_(container) {}

HRESULT EventConnectionPoint::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
  *out = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = DIID_DWebBrowserEvents2;
  return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  *container = container_;
  container_->AddRef();
  return S_OK;
}

// Like the system's control: the event interface first, plain IDispatch after.
HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (sink == nullptr || cookie == nullptr) return E_POINTER;
  *cookie = 0;
  win::ComPtr<IDispatch> dispatch;
  if (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2, dispatch.PutVoid())) &&
      FAILED(sink->QueryInterface(IID_IDispatch, dispatch.PutVoid()))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = nextCookie_++;
  sinks_.push_back({*cookie, dispatch});
  return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
  for (auto sink = sinks_.begin(); sink != sinks_.end(); ++sink) {
    if (sink->cookie == cookie) {
      sinks_.erase(sink);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections != nullptr) *connections = nullptr;
  return E_NOTIMPL;
}

win::ComPtr<IDispatch> EventConnectionPoint::Find(DWORD cookie) const {
  for (const Sink& sink : sinks_) {
    if (sink.cookie == cookie) return sink.dispatch;
  }
  return nullptr;
}

void EventConnectionPoint::Deliver(DISPID event, DISPPARAMS* arguments) {
  std::vector<DWORD> cookies;
  for (const Sink& sink : sinks_) cookies.push_back(sink.cookie);
  for (DWORD cookie : cookies) {
    win::ComPtr<IDispatch> sink = Find(cookie);
    if (sink) sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, arguments, nullptr, nullptr, nullptr);
  }
}
