#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "win/ComPtr.h"

// The control's DWebBrowserEvents2 connection point. It lives inside the
// control and shares its lifetime: AddRef and Release go to the control.
class EventConnectionPoint : public IConnectionPoint {
 public:
  EventConnectionPoint(IUnknown* control, IConnectionPointContainer* container);
  EventConnectionPoint(const EventConnectionPoint&) = delete;
  EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return control_->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return control_->Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

  // Calls Invoke(event) on every sink, in the order they connected. A sink
  // that is disconnected while the event is delivered is not called after.
  void Deliver(DISPID event, DISPPARAMS* arguments);
  int Count() const { return static_cast<int>(sinks_.size()); }
  // Drops every sink (the control is going away).
  void Clear() { sinks_.clear(); }

 private:
  struct Sink {
    DWORD cookie;
    win::ComPtr<IDispatch> dispatch;
  };
  win::ComPtr<IDispatch> Find(DWORD cookie) const;

  IUnknown* const control_;
  IConnectionPointContainer* const container_;
  std::vector<Sink> sinks_;
  DWORD nextCookie_ = 1;
};
